// The Start-menu folder page: the folder name for the shortcuts, with a chooser of the existing
// Start-menu folders. The accept button follows the name rules as the user types.
#include <windows.h>

#include <shlobj.h>

#include "core/wide_win.h"
#include "res/page_ids.h"
#include "setupdata/language.h"
#include "setupdata/settings.h"
#include "setupdata/path_variables.h"
#include "wizard/page_frame_win.h"
#include "wizard/page_rules.h"
#include "wizard/pages.h"

namespace {

constexpr int kTitleRow = 89;
constexpr int kTextRow = 88;      // also the chooser's title
constexpr int kInstallRow = 90;
constexpr int kBrowseRow = 52;
constexpr int kMaxNameLength = 259;

String ProgramsFolder(int csidl)
{
    wchar_t path[MAX_PATH];   // the limit of SHGetFolderPathW itself
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return String();
    return String(FromWide(path));
}

int CALLBACK SelectRoot(HWND chooser, UINT message, LPARAM, LPARAM data)
{
    if (message == BFFM_INITIALIZED && data)
        SendMessageW(chooser, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

// A chosen folder under the Start menu's programs folder gives its path below that folder.
void Browse(HWND page)
{
    const int csidl = g_settings.ShortcutMode == 1 ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS;
    PIDLIST_ABSOLUTE root = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(page, csidl, &root)))
        root = nullptr;
    const String base = ProgramsFolder(csidl);
    const String title = LanguageString(kTextRow);
    BROWSEINFOW info{};
    info.hwndOwner = page;
    info.pidlRoot = root;
    info.lpszTitle = AsWide(title);
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = SelectRoot;
    if (PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info)) {
        wchar_t path[MAX_PATH];
        if (SHGetPathFromIDListW(chosen, path)) {
            String name(FromWide(path));
            if (!base.Empty() && name.WideLength() > base.WideLength() &&
                String(name.Wide(), base.WideLength()).EqualsIgnoreCaseWide(base)) {
                name = String(name.Wide() + base.WideLength());
                name.TrimLeftWide(u"\\");
                SetControlText(page, IDC_FOLDER_EDIT, name);
            }
        }
        CoTaskMemFree(chosen);
    }
    if (root)
        CoTaskMemFree(root);
    SetFocus(GetDlgItem(page, IDC_FOLDER_EDIT));
}

INT_PTR CALLBACK StartMenuProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetUpPage(page, *reinterpret_cast<PageFrame *>(lParam));
        HWND edit = GetDlgItem(page, IDC_FOLDER_EDIT);
        SendMessageW(edit, EM_LIMITTEXT, kMaxNameLength, 0);
        SetControlText(page, IDC_FOLDER_EDIT, g_settings.ProductStartMenu);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_FOLDER_EDIT && HIWORD(wParam) == EN_CHANGE) {
            EnableWindow(GetDlgItem(page, IDC_ACCEPT), IsAcceptableStartMenuName(ControlText(page, IDC_FOLDER_EDIT)));
            return TRUE;
        }
        if (LOWORD(wParam) == IDC_BROWSE && HIWORD(wParam) == BN_CLICKED) {
            Browse(page);
            return TRUE;
        }
        if (LOWORD(wParam) == IDC_ACCEPT && HIWORD(wParam) == BN_CLICKED) {
            // Enter reaches here through the default button even while it is disabled.
            const String name = ControlText(page, IDC_FOLDER_EDIT);
            if (!IsAcceptableStartMenuName(name))
                return TRUE;
            g_settings.ProductStartMenu = name;
            CopySettingsToPathState(g_settings, InstallationPathState());
        }
        break;
    default:
        break;
    }
    INT_PTR result = FALSE;
    return CommonPageHandler(page, message, wParam, lParam, result) ? result : FALSE;
}

} // namespace

bool ShowStartMenuPage()
{
    PageFrame frame;
    frame.titleRow = kTitleRow;
    frame.textRow = kTextRow;
    frame.acceptRow = kInstallRow;
    frame.browseRow = kBrowseRow;
    return RunWizardPage(u"StartMenuDlg", kVariantStartMenu, frame, StartMenuProc);
}
