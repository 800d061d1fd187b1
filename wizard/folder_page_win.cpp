// The installation folder page: the folder edit with a browse button, and the space the
// installation needs and the space free on the folder's drive, both following every keystroke.
#include <windows.h>

#include <shlobj.h>

#include "core/wide_win.h"
#include "res/page_ids.h"
#include "setupdata/language.h"
#include "setupdata/settings.h"
#include "setupdata/settings_flags.h"
#include "wizard/folder_space_win.h"
#include "wizard/page_frame_win.h"
#include "wizard/page_rules.h"
#include "wizard/pages.h"

namespace {

constexpr int kTitleRow = 24;
constexpr int kTextRow = 11;      // also the browse dialog's title
constexpr int kInstallRow = 90;
constexpr int kBrowseRow = 52;
constexpr int kRequiredRow = 92;
constexpr int kFreeRow = 93;
constexpr int kMaxFolderLength = 259;

void UpdateSpaceLines(HWND page)
{
    const String folder = ControlText(page, IDC_FOLDER_EDIT);
    String required = LanguageString(kRequiredRow);
    required.AppendWide(u" ");
    required.Append(SizeText(RequiredSpaceOn(folder)));
    SetControlText(page, IDC_SPACE_REQUIRED, required);
    String free;
    int64_t bytes = 0;
    if (FreeSpaceOn(folder, bytes)) {
        free = LanguageString(kFreeRow);
        free.AppendWide(u" ");
        free.Append(SizeText(bytes));
    }
    SetControlText(page, IDC_SPACE_FREE, free);
    RefreshControl(page, IDC_SPACE_REQUIRED);
    RefreshControl(page, IDC_SPACE_FREE);
}

int CALLBACK StartAtFolder(HWND chooser, UINT message, LPARAM, LPARAM data)
{
    if (message == BFFM_INITIALIZED)
        SendMessageW(chooser, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

void Browse(HWND page)
{
    const String current = ControlText(page, IDC_FOLDER_EDIT);
    const String title = LanguageString(kTextRow);
    BROWSEINFOW info{};
    info.hwndOwner = page;
    info.lpszTitle = AsWide(title);
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = StartAtFolder;
    info.lParam = reinterpret_cast<LPARAM>(current.Wide());
    if (PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info)) {
        wchar_t path[MAX_PATH];   // the shell's own limit for this call
        if (SHGetPathFromIDListW(chosen, path))
            SetWindowTextW(GetDlgItem(page, IDC_FOLDER_EDIT), path);
        CoTaskMemFree(chosen);
    }
    SetFocus(GetDlgItem(page, IDC_FOLDER_EDIT));
}

INT_PTR CALLBACK FolderProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetUpPage(page, *reinterpret_cast<PageFrame *>(lParam));
        HWND edit = GetDlgItem(page, IDC_FOLDER_EDIT);
        SendMessageW(edit, EM_LIMITTEXT, kMaxFolderLength, 0);
        SetControlText(page, IDC_FOLDER_EDIT, g_settings.InstallFolder);
        UpdateSpaceLines(page);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_FOLDER_EDIT && HIWORD(wParam) == EN_CHANGE) {
            UpdateSpaceLines(page);
            return TRUE;
        }
        if (LOWORD(wParam) == IDC_BROWSE && HIWORD(wParam) == BN_CLICKED) {
            Browse(page);
            return TRUE;
        }
        if (LOWORD(wParam) == IDC_ACCEPT && HIWORD(wParam) == BN_CLICKED)
            g_settings.InstallFolder = ControlText(page, IDC_FOLDER_EDIT);
        break;
    default:
        break;
    }
    INT_PTR result = FALSE;
    return CommonPageHandler(page, message, wParam, lParam, result) ? result : FALSE;
}

} // namespace

bool ShowFolderPage()
{
    PageFrame frame;
    frame.titleRow = kTitleRow;
    frame.textRow = kTextRow;
    // "Next" when the Start-menu page follows, else the folder page is the last before installing.
    frame.acceptRow = (g_settings.ProductFlags & ProductFlag::StartMenuPage) ? kNextButtonRow : kInstallRow;
    frame.browseRow = kBrowseRow;
    return RunWizardPage(u"ChooseDirDlg", kVariantFolder, frame, FolderProc);
}
