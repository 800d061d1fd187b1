// The language page: one entry per language of the setup data; the selected one becomes the active
// language at once and the page (and the installer window's title) follows it.
#include <windows.h>

#include "core/wide_win.h"
#include "res/page_ids.h"
#include "setupdata/language.h"
#include "setupdata/settings.h"
#include "wizard/installer_window_win.h"
#include "wizard/page_frame_win.h"
#include "wizard/page_rules.h"
#include "wizard/pages.h"
#include "wizard/wizard_flags.h"

namespace {

constexpr int kTitleRow = 94;
constexpr int kTextRow = 82;
constexpr int kWindowTitleRow = 0;

// The English name of the user's interface language without its country ("English (United
// States)" gives "English"), with a tab in front as the entries have it.
String PreferredEntry()
{
    String entry(u"\t");
    wchar_t name[128];
    const LCID locale = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
    const int got = GetLocaleInfoW(locale, LOCALE_SENGLANGUAGE, name, 128);
    if (got <= 1)
        return entry;
    String language(FromWide(name));
    for (int32_t i = 0; i < language.WideLength(); ++i)
        if (language.Wide()[i] == u'(') {
            language.Resize(i * 2);
            break;
        }
    language.TrimRightWide(u" ");
    entry.Append(language);
    return entry;
}

int FindEntry(HWND list, const String &entry)
{
    const LRESULT found = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(entry.Wide()));
    return found == LB_ERR ? -1 : static_cast<int>(found);
}

void Retranslate(HWND page)
{
    if (!(g_settings.ProductFlags & WizardFlag::KeepWindowTitle)) {
        ApplyLanguageCaption(LanguageString(kWindowTitleRow));
    }
    RetranslatePage(page, *FrameOf(page));
}

void SelectLanguage(HWND page, int index)
{
    if (index < 0 || size_t(index) >= g_settings.Languages.names.size())
        return;
    SetActiveLanguage(g_settings.Languages, index);
    Retranslate(page);
}

INT_PTR CALLBACK LanguageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetUpPage(page, *reinterpret_cast<PageFrame *>(lParam));
        HWND list = GetDlgItem(page, IDC_LANGUAGE_LIST);
        for (const String &name : g_settings.Languages.names) {
            String entry(u"\t");
            entry.Append(name);
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.Wide()));
        }
        int selected = FindEntry(list, PreferredEntry());
        if (selected < 0)
            selected = FindEntry(list, String(u"\tEnglish"));
        if (selected < 0)
            selected = 0;
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
        SelectLanguage(page, selected);
        SetFocus(list);
        return FALSE;   // the focus is set
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_LANGUAGE_LIST) {
            HWND list = reinterpret_cast<HWND>(lParam);
            if (HIWORD(wParam) == LBN_SELCHANGE) {
                SelectLanguage(page, static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)));
                return TRUE;
            }
            if (HIWORD(wParam) == LBN_DBLCLK) {
                EndDialog(page, kPageAccept);
                return TRUE;
            }
        }
        break;
    default:
        break;
    }
    INT_PTR result = FALSE;
    return CommonPageHandler(page, message, wParam, lParam, result) ? result : FALSE;
}

} // namespace

bool ShowLanguagePage()
{
    PageFrame frame;
    frame.titleRow = kTitleRow;
    frame.textRow = kTextRow;
    frame.acceptRow = kNextButtonRow;
    return RunWizardPage(u"LanguageDlg", kVariantLanguage, frame, LanguageProc);
}
