// The password page: the typed text must equal the setup script's password byte for byte. A wrong
// one is answered after half a second, so that guessing is slow, and the page stays.
#include <windows.h>

#include "core/codepage.h"
#include "res/page_ids.h"
#include "setupdata/language.h"
#include "setupdata/settings.h"
#include "wizard/message_box_win.h"
#include "wizard/page_frame_win.h"
#include "wizard/page_rules.h"
#include "wizard/pages.h"

namespace {

constexpr int kTitleRow = 75;
constexpr int kTextRow = 76;
constexpr int kLabelRow = 27;
constexpr int kWrongPasswordRow = 102;
constexpr int kMaxPasswordLength = 64;
constexpr DWORD kWrongPasswordDelay = 500;

bool TypedPasswordMatches(HWND page)
{
    String typed;
    CodePageFromWide(ControlText(page, IDC_PASSWORD_EDIT), kCodePageAnsi, "?", typed);
    return PasswordMatches(typed, g_settings.InstallPassword);
}

INT_PTR CALLBACK PasswordProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetUpPage(page, *reinterpret_cast<PageFrame *>(lParam));
        SetControlText(page, IDC_PASSWORD_LABEL, LanguageString(kLabelRow));
        SendDlgItemMessageW(page, IDC_PASSWORD_EDIT, EM_LIMITTEXT, kMaxPasswordLength, 0);
        SetFocus(GetDlgItem(page, IDC_PASSWORD_EDIT));
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_ACCEPT || LOWORD(wParam) == IDOK) {
            if (TypedPasswordMatches(page)) {
                EndDialog(page, 1);
                return TRUE;
            }
            Sleep(kWrongPasswordDelay);
            ShowMessage(LanguageString(kWrongPasswordRow), LanguageString(kErrorCaptionRow), MB_OK | MB_ICONERROR, page);
            HWND edit = GetDlgItem(page, IDC_PASSWORD_EDIT);
            SetFocus(edit);
            SendMessageW(edit, EM_SETSEL, 0, -1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDC_CANCEL || LOWORD(wParam) == IDCANCEL) {
            EndDialog(page, 0);
            return TRUE;
        }
        break;
    default:
        break;
    }
    INT_PTR result = FALSE;
    return CommonPageHandler(page, message, wParam, lParam, result) ? result : FALSE;
}

} // namespace

bool ShowPasswordPage()
{
    if (g_settings.InstallPassword.Empty())
        return true;
    PageFrame frame;
    frame.variant = kVariantPlain;
    frame.titleRow = kTitleRow;
    frame.textRow = kTextRow;
    frame.acceptText = u"OK";
    frame.cancelRow = kCancelButtonRow;
    return RunModalPage(String(u"EnterPassword"), PasswordProc, &frame) == 1;
}
