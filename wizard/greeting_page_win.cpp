// The greeting: the greeting text and, when the setup script gives an address, a link to it. The
// plain variant is an OK/Cancel message box instead of a page.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include "core/wide_win.h"
#include "app/notification_win.h"
#include "core/codepage.h"
#include "res/page_ids.h"
#include "setupdata/language.h"
#include "setupdata/settings.h"
#include "wizard/message_box_win.h"
#include "wizard/page_frame_win.h"
#include "wizard/page_rules.h"
#include "wizard/pages.h"

namespace {

constexpr int kBannerTitleRow = 103;
constexpr int kLinkRow = 105;

struct GreetingPage {
    PageFrame frame;
    String text;
    String address;   // wide; empty: no link
};

String LinkAddress()
{
    String address;
    CodePageToWide(g_settings.GreetingLink, kCodePageAnsi, address);
    return address.TrimWide();
}

void OpenLink(const String &address)
{
    // The shell opens the address with the user's browser; nothing to do when it cannot.
    ShellExecuteW(nullptr, nullptr, AsWide(address), nullptr, nullptr, SW_SHOWNORMAL);
    String notify;
    CodePageToWide(g_settings.GreetingText, kCodePageAnsi, notify);
    StartNotificationRequest(notify, g_settings.DisplayVersionWide);
}

INT_PTR CALLBACK GreetingProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        GreetingPage &greeting = *reinterpret_cast<GreetingPage *>(lParam);
        SetUpPage(page, greeting.frame);
        SetControlText(page, IDC_PAGE_TEXT, greeting.text);
        const String link = LanguageString(kLinkRow);
        HWND linkControl = GetDlgItem(page, IDC_GREETING_LINK);
        if (greeting.address.Empty() || link.Empty())
            ShowWindow(linkControl, SW_HIDE);
        else
            SetControlText(page, IDC_GREETING_LINK, GreetingLinkMarkup(link));
        SetFocus(GetDlgItem(page, IDC_ACCEPT));
        return FALSE;
    }
    case WM_NOTIFY: {
        const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
        if (header->idFrom == IDC_GREETING_LINK && (header->code == NM_CLICK || header->code == NM_RETURN)) {
            OpenLink(reinterpret_cast<GreetingPage *>(FrameOf(page))->address);
            return TRUE;
        }
        break;
    }
    default:
        break;
    }
    INT_PTR result = FALSE;
    return CommonPageHandler(page, message, wParam, lParam, result) ? result : FALSE;
}

} // namespace

bool ShowGreetingPage(HWND owner, const String &caption, const String &text, int variant)
{
    variant = NormalisedVariant(variant);
    if (variant == kVariantPlain)
        return ShowMessage(text, caption, MB_OKCANCEL, owner) == IDOK;
    GreetingPage greeting;
    greeting.frame.variant = variant;
    greeting.frame.title = variant == kVariantBanner ? LanguageString(kBannerTitleRow) : caption;
    greeting.frame.acceptRow = kNextButtonRow;
    greeting.frame.cancelRow = kCancelButtonRow;
    if (variant == kVariantBanner)
        greeting.text.AppendWide(u"\r\n\r\n");
    greeting.text.Append(text);
    greeting.address = LinkAddress();
    return RunModalPage(PageTemplateName(u"GreetingDlg", variant), GreetingProc, &greeting.frame, owner) == kPageAccept;
}
