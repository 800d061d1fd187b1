#include "wizard/exception_dialog_win.h"

#include "core/codepage.h"
#include "core/wide_win.h"
#include "res/exception_dialog.h"

namespace {

const char16_t kApology[] =
    u"We apologize for the inconvenience, but the program has performed an illegal operation and must close.  "
    u"Please report this problem to %hs by clicking the \"Inform Us\" button below.";
constexpr int kReportTabWidth = 10;

struct DialogState {
    String reportWide;
    const char *makerName;
    bool canSend;
    ExceptionDialogAnswer answer;
};


String ItemText(HWND dialog, int id)
{
    HWND item = GetDlgItem(dialog, id);
    const int length = item ? GetWindowTextLengthW(item) : 0;
    String wide;
    if (length > 0) {
        wide.Resize((length + 1) * 2);
        const int got = GetWindowTextW(item, reinterpret_cast<wchar_t *>(wide.MutableWide()), length + 1);
        wide.Resize(got > 0 ? got * 2 : 0);
    }
    String narrow;
    CodePageFromWide(wide, kCodePageAnsi, "?", narrow);
    return narrow;
}

INT_PTR CALLBACK ExceptionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    DialogState *state = reinterpret_cast<DialogState *>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        state = reinterpret_cast<DialogState *>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SetDlgItemTextW(dialog, IDC_EXCEPTION_APOLOGY, AsWide(String::FormatWide(kApology, state->makerName)));
        const int tab = kReportTabWidth;
        SendDlgItemMessageW(dialog, IDC_EXCEPTION_REPORT, EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tab));
        SetDlgItemTextW(dialog, IDC_EXCEPTION_REPORT, AsWide(state->reportWide));
        EnableWindow(GetDlgItem(dialog, IDC_EXCEPTION_INFORM), state->canSend);
        if (!state->canSend) {
            // The default button is disabled: Enter and the focus go to "Exit".
            SendMessageW(dialog, DM_SETDEFID, IDC_EXCEPTION_EXIT, 0);
            SetFocus(GetDlgItem(dialog, IDC_EXCEPTION_EXIT));
            return FALSE;
        }
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_EXCEPTION_INFORM:
            state->answer.inform = true;
            state->answer.email = ItemText(dialog, IDC_EXCEPTION_EMAIL);
            state->answer.comments = ItemText(dialog, IDC_EXCEPTION_COMMENTS);
            EndDialog(dialog, IDC_EXCEPTION_INFORM);
            return TRUE;
        case IDC_EXCEPTION_COPY:
            // A clipboard held by another program: the user can try again.
            CopyTextToClipboard(dialog, state->reportWide);
            return TRUE;
        case IDC_EXCEPTION_EXIT:
        case IDCANCEL:
            EndDialog(dialog, IDC_EXCEPTION_EXIT);
            return TRUE;
        default:
            break;
        }
        break;
    case WM_CLOSE:
        EndDialog(dialog, IDC_EXCEPTION_EXIT);
        return TRUE;
    default:
        break;
    }
    return FALSE;
}

} // namespace

bool CopyTextToClipboard(HWND owner, const String &wide)
{
    if (!OpenClipboard(owner))
        return false;
    bool copied = false;
    if (EmptyClipboard()) {
        const SIZE_T bytes = static_cast<SIZE_T>(wide.Length()) + sizeof(wchar_t);
        if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
            if (void *target = GlobalLock(memory)) {
                CopyMemory(target, wide.Wide(), bytes);
                GlobalUnlock(memory);
                copied = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
            }
            // The clipboard owns the memory once SetClipboardData succeeded.
            if (!copied)
                GlobalFree(memory);
        }
    }
    CloseClipboard();
    return copied;
}

ExceptionDialogAnswer ShowExceptionDialog(HINSTANCE instance, HWND owner, const String &report, const char *makerName,
                                          bool canSend)
{
    DialogState state;
    CodePageToWide(report, kCodePageAnsi, state.reportWide);
    state.makerName = makerName;
    state.canSend = canSend;
    const INT_PTR result = DialogBoxParamW(instance, L"ExceptionDlg", owner, ExceptionDialogProc,
                                           reinterpret_cast<LPARAM>(&state));
    if (result != IDC_EXCEPTION_INFORM)
        state.answer = ExceptionDialogAnswer();
    return state.answer;
}
