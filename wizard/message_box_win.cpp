#include "wizard/message_box_win.h"

#include <vector>

#include "app/exit.h"
#include "app/program_win.h"
#include "app/run_mode.h"
#include "core/wide_win.h"
#include "setupdata/language.h"
#include "setupdata/settings.h"
#include "wizard/page_frame_win.h"
#include "wizard/pages.h"
#include "wizard/wizard_flags.h"

namespace {

constexpr int kYesRow = 79;
constexpr int kNoRow = 80;
constexpr int kCancelRow = 49;
constexpr int kRetryRow = 100;
constexpr int kCancelledRow = 98;
constexpr int kUninstallCancelledRow = 101;
constexpr int kCancelledCaptionRow = 111;

HHOOK g_hook = nullptr;

int TextWidth(HWND button, const String &text)
{
    HDC dc = GetDC(button);
    if (!dc)
        return 0;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(button, WM_GETFONT, 0, 0)));
    SIZE size = {0, 0};
    GetTextExtentPoint32W(dc, AsWide(text), text.WideLength(), &size);
    SelectObject(dc, old);
    ReleaseDC(button, dc);
    return size.cx;
}

struct BoxButton {
    HWND window;
    RECT rect;
};

BOOL CALLBACK CollectButton(HWND child, LPARAM param)
{
    wchar_t className[16];
    if (GetClassNameW(child, className, 16) && lstrcmpiW(className, L"Button") == 0) {
        BoxButton button{child, {}};
        if (GetWindowRect(child, &button.rect)) {
            MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT *>(&button.rect), 2);
            reinterpret_cast<std::vector<BoxButton> *>(param)->push_back(button);
        }
    }
    return TRUE;
}

// Renames the buttons of the box in the active language (OK keeps its text) and widens those
// whose text does not fit, keeping the row's right edge and its gaps.
void NameAndFitButtons(HWND box)
{
    std::vector<BoxButton> buttons;
    EnumChildWindows(box, CollectButton, reinterpret_cast<LPARAM>(&buttons));
    for (BoxButton &button : buttons) {
        int row = -1;
        switch (GetDlgCtrlID(button.window)) {
        case IDYES: row = kYesRow; break;
        case IDNO: row = kNoRow; break;
        case IDCANCEL: row = kCancelRow; break;
        case IDRETRY: row = kRetryRow; break;
        default: break;
        }
        const String text = row >= 0 ? LanguageString(row) : String();
        if (!text.Empty())
            SetWindowTextW(button.window, AsWide(text));
    }
    // Right to left.
    for (size_t i = 0; i < buttons.size(); ++i)
        for (size_t j = i + 1; j < buttons.size(); ++j)
            if (buttons[j].rect.left > buttons[i].rect.left)
                std::swap(buttons[i], buttons[j]);
    int shift = 0;
    RECT margin = {0, 0, 8, 0};
    MapDialogRect(box, &margin);
    for (size_t i = 0; i < buttons.size(); ++i) {
        RECT &rect = buttons[i].rect;
        OffsetRect(&rect, -shift, 0);
        wchar_t text[256];
        const int units = GetWindowTextW(buttons[i].window, text, 256);
        String shown;
        for (int k = 0; k < units; ++k)
            if (text[k] != L'&')
                shown.AppendWideChar(static_cast<char16_t>(text[k]));
        const int need = TextWidth(buttons[i].window, shown) + 2 * margin.right;
        if (rect.right - rect.left < need) {
            shift += need - (rect.right - rect.left);
            rect.left = rect.right - need;
        }
        SetWindowPos(buttons[i].window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (shift > 0 && !buttons.empty()) {
        // The row grew to the left: widen the box when the first button would leave it.
        const RECT &leftmost = buttons.back().rect;
        if (leftmost.left < margin.right) {
            const int grow = margin.right - leftmost.left;
            RECT boxRect;
            if (GetWindowRect(box, &boxRect))
                SetWindowPos(box, nullptr, 0, 0, boxRect.right - boxRect.left + grow, boxRect.bottom - boxRect.top,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            for (BoxButton &button : buttons)
                SetWindowPos(button.window, nullptr, button.rect.left + grow, button.rect.top, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
}

LRESULT CALLBACK MessageBoxHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        // One box only: the hook goes before anything that might open another window.
        UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
        if (g_settings.ProductFlags & WizardFlag::ProductIcons) {
            SendMessageW(box, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_program.smallIcon));
            SendMessageW(box, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_program.largeIcon));
        }
        NameAndFitButtons(box);
        CentreOnOwner(box);
        return 0;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

void InstallMessageBoxHook()
{
    if (g_hook)
        UnhookWindowsHookEx(g_hook);
    // Without the hook the box is the system's plain one, still usable.
    g_hook = SetWindowsHookExW(WH_CBT, MessageBoxHook, nullptr, GetCurrentThreadId());
}

namespace {

int ShowBox(const String &text, const String &caption, unsigned flags, HWND owner)
{
    InstallMessageBoxHook();
    const int answer = MessageBoxW(owner, AsWide(text), AsWide(caption), flags | MB_SETFOREGROUND);
    if (g_hook) {
        // The box never opened (no window was activated): the hook must not catch a later window.
        UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
    }
    return answer;
}

} // namespace

void ShowErrorBox(const String &wideText, bool silent, const String &caption)
{
    if (silent)
        return;
    // Nothing to do when the box cannot be shown: the caller ends or returns either way.
    ShowBox(wideText, caption.Empty() ? String(u"Error") : caption, MB_OK | MB_ICONERROR,
            CurrentPage() ? CurrentPage() : WizardOwner());
}

int ShowMessage(const String &text, const String &caption, unsigned flags, HWND owner)
{
    if (g_runMode.silent)
        return 1;
    if (!owner)
        owner = CurrentPage() ? CurrentPage() : WizardOwner();
    String title = caption;
    if (title.Empty())
        title = LanguageString(kInstallerCaptionRow);
    if (title.Empty())
        title = String(kInstallerTitleW);
    return ShowBox(text, title, flags, owner);
}

bool AskYesNo(const String &text, const String &caption)
{
    if (g_runMode.silent)
        return true;
    return ShowMessage(text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void AbortInstallation()
{
    if (!g_runMode.automatic)
        ShowMessage(LanguageString(g_runMode.uninstall ? kUninstallCancelledRow : kCancelledRow),
                    LanguageString(kCancelledCaptionRow), MB_OK | MB_ICONWARNING);
    ExitInstaller(1);
}
