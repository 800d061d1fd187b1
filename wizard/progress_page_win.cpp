// The progress page: modeless over the installer window while the install sequence runs; it shows
// the sequence's status line and position (install/progress.h), asks before a cancel, and refuses a
// Windows shutdown while it is open.
#include <windows.h>

#include <commctrl.h>

#include "app/exit.h"
#include "app/run_mode.h"
#include "install/progress.h"
#include "res/page_ids.h"
#include "setupdata/language.h"
#include "setupdata/settings.h"
#include "setupdata/settings_flags.h"
#include "wizard/message_box_win.h"
#include "wizard/page_frame_win.h"
#include "wizard/page_rules.h"
#include "wizard/pages.h"
#include "wizard/wizard_flags.h"

namespace {

constexpr int kTitleRow = 54;
constexpr int kUninstallTitleRow = 55;
constexpr int kTextRow = 39;
constexpr int kUninstallTextRow = 71;
constexpr int kCancelQuestionRow = 28;
constexpr int kQuestionCaptionRow = 20;

// Placement bits of the settings' progress window position.
constexpr int kHorizontalMask = 0x3, kLeft = 1, kRight = 2, kCentreH = 3;
constexpr int kVerticalMask = 0x18, kTop = 8, kBottom = 16, kCentreV = 24;

class ProgressWindow final : public ProgressPage {
public:
    void SetStatus(const String &wide) override
    {
        if (!window_)
            return;
        SetControlText(window_, IDC_STATUS_TEXT, wide);
        RefreshControl(window_, IDC_STATUS_TEXT);
    }
    void SetPosition(int percent) override
    {
        if (window_)
            SendDlgItemMessageW(window_, IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    }
    void Close() override;

    HWND window_ = nullptr;
    HHOOK keyboardHook_ = nullptr;
    PageFrame frame_;
};

ProgressWindow g_progress;

void Place(HWND page)
{
    const int position = g_settings.ProgressWindowPosition;
    RECT area;
    const bool wholeScreen = WizardOwner() && g_settings.LargeTitle;
    if (wholeScreen || !SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0))
        area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT rect;
    if (!GetWindowRect(page, &rect))
        return;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    int x = rect.left, y = rect.top;
    switch (position & kHorizontalMask) {
    case kLeft: x = area.left; break;
    case kRight: x = area.right - width; break;
    case kCentreH: x = area.left + (area.right - area.left - width) / 2; break;
    default: break;
    }
    switch (position & kVerticalMask) {
    case kTop: y = area.top; break;
    case kBottom: y = area.bottom - height; break;
    case kCentreV: y = area.top + (area.bottom - area.top - height) / 2; break;
    default: break;
    }
    SetWindowPos(page, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CancelAllowed()
{
    return !g_runMode.uninstall && !(g_settings.ProductFlags & WizardFlag::CancelDisabled);
}

INT_PTR CALLBACK ProgressProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetUpPage(page, *reinterpret_cast<PageFrame *>(lParam));
        SendDlgItemMessageW(page, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, 100);
        EnableWindow(GetDlgItem(page, IDC_CANCEL), CancelAllowed());
        Place(page);
        return TRUE;
    case WM_QUERYENDSESSION:
        // No shutdown or log-off in the middle of an installation.
        SetWindowLongPtrW(page, DWLP_MSGRESULT, FALSE);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_CANCEL || LOWORD(wParam) == IDCANCEL) {
            if (CancelAllowed() && AskYesNo(LanguageString(kCancelQuestionRow), LanguageString(kQuestionCaptionRow)))
                AbortInstallation();
            return TRUE;
        }
        break;
    case WM_CLOSE:
        // The close box is the Cancel button.
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_CANCEL, BN_CLICKED), 0);
        return TRUE;
    default:
        break;
    }
    INT_PTR result = FALSE;
    return CommonPageHandler(page, message, wParam, lParam, result) ? result : FALSE;
}

// The sequence pumps messages itself; the dialog keys (Tab, Escape, Space) reach the modeless page
// through this hook.
LRESULT CALLBACK DialogKeys(int code, WPARAM wParam, LPARAM lParam)
{
    MSG *message = reinterpret_cast<MSG *>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && g_progress.window_ && message->message >= WM_KEYFIRST &&
        message->message <= WM_KEYLAST && IsDialogMessageW(g_progress.window_, message)) {
        message->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CloseAtExit() { g_progress.Close(); }

void ProgressWindow::Close()
{
    SetProgressPage(nullptr);
    if (keyboardHook_)
        UnhookWindowsHookEx(keyboardHook_);
    keyboardHook_ = nullptr;
    if (window_)
        DestroyWindow(window_);
    window_ = nullptr;
    SetExitAction(ExitStep::ProgressWindow, nullptr);
}

} // namespace

void OpenProgressPage()
{
    // The uninstaller always shows its progress; the installer only when its settings ask.
    if (g_progress.window_ || g_runMode.silent || !(g_runMode.uninstall || (g_settings.ProductFlags & ProductFlag::ProgressWindow)))
        return;
    PageFrame &frame = g_progress.frame_;
    frame = PageFrame();
    frame.variant = g_runMode.uninstall ? kVariantBanner
                                        : NormalisedVariant(g_settings.DialogVariants[kVariantProgress]);
    frame.titleRow = g_runMode.uninstall ? kUninstallTitleRow : kTitleRow;
    frame.textRow = g_runMode.uninstall ? kUninstallTextRow : kTextRow;
    frame.cancelRow = kCancelButtonRow;
    HWND page = CreateModelessPage(PageTemplateName(u"ProgressDlg", frame.variant), ProgressProc, &frame);
    if (!page)
        return;   // the installation runs on without a page; the installer window shows progress
    g_progress.window_ = page;
    g_progress.keyboardHook_ = SetWindowsHookExW(WH_GETMESSAGE, DialogKeys, nullptr, GetCurrentThreadId());
    SetExitAction(ExitStep::ProgressWindow, CloseAtExit);
    SetProgressPage(&g_progress);
    ShowWindow(page, SW_SHOW);
    UpdateWindow(page);
}

HWND ProgressPageWindow() { return g_progress.window_; }
