#include "core/wide_win.h"
#include "wizard/document_view_win.h"

#include <richedit.h>
#include <shellapi.h>

#include "core/codepage.h"
#include "core/system_library_win.h"
#include "res/page_ids.h"
#include "setupdata/path_variables.h"
#include "wizard/page_frame_win.h"
#include "wizard/page_rules.h"

namespace {

constexpr UINT_PTR kCaretTimer = 1;       // keeps the caret out of the read-only text
constexpr UINT kCaretTimerMs = 100;
constexpr UINT_PTR kFocusTimer = 2;       // once: the focus goes to the text
constexpr UINT kFocusTimerMs = 250;

struct RtfSource {
    const char *bytes;
    LONG left;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buffer, LONG room, LONG *got)
{
    RtfSource *source = reinterpret_cast<RtfSource *>(cookie);
    const LONG n = source->left < room ? source->left : room;
    CopyMemory(buffer, source->bytes, static_cast<SIZE_T>(n));
    source->bytes += n;
    source->left -= n;
    *got = n;
    return 0;
}

// Replaces the page's edit by a rich-edit control of the same place; null when the control cannot
// be had (the plain edit then shows the document's source text).
HWND ReplaceByRichEdit(HWND page)
{
    // The DLL planting rule: the rich-edit library comes from the system folder only.
    if (!LoadSystemLibrary(L"riched20.dll"))
        return nullptr;
    HWND edit = GetDlgItem(page, IDC_DOCUMENT);
    RECT rect;
    if (!edit || !GetWindowRect(edit, &rect))
        return nullptr;
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT *>(&rect), 2);
    HWND rich = CreateWindowExW(WS_EX_CLIENTEDGE, L"RichEdit20W", L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                                    ES_AUTOVSCROLL,
                                rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, page,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_DOCUMENT)),
                                reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(page, GWLP_HINSTANCE)), nullptr);
    if (!rich)
        return nullptr;
    // Same place in the tab order as the edit it replaces.
    SetWindowPos(rich, edit, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DestroyWindow(edit);
    SendMessageW(rich, WM_SETFONT, SendMessageW(page, WM_GETFONT, 0, 0), FALSE);
    return rich;
}

bool ShowRichText(HWND page, const String &document, int32_t start)
{
    HWND rich = ReplaceByRichEdit(page);
    if (!rich)
        return false;
    SendMessageW(rich, EM_AUTOURLDETECT, TRUE, 0);
    SendMessageW(rich, EM_SETEVENTMASK, 0, ENM_LINK);
    RtfSource source{document.Bytes() + start, document.Length() - start};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadRtf;
    SendMessageW(rich, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    SendMessageW(rich, EM_SETSEL, 0, 0);
    SendMessageW(rich, EM_SCROLLCARET, 0, 0);
    SetTimer(page, kCaretTimer, kCaretTimerMs, nullptr);
    SetTimer(page, kFocusTimer, kFocusTimerMs, nullptr);
    return true;
}

// Plain text: UTF-8 after a byte-order mark, else the ANSI code page; line ends made CR LF, which
// the edit control needs to break lines.
String PlainText(const String &document)
{
    String wide;
    if (document.StartsWith("\xEF\xBB\xBF"))
        CodePageToWide(document.Bytes() + 3, document.Length() - 3, kCodePageUtf8, wide);
    else
        CodePageToWide(document, kCodePageAnsi, wide);
    ExpandProductPlaceholders(wide);
    String out;
    const char16_t *text = wide.Wide();
    for (int32_t i = 0; i < wide.WideLength(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'))
            out.AppendWideChar(u'\r');
        out.AppendWideChar(text[i]);
    }
    return out;
}

void OpenLink(HWND rich, const ENLINK &link)
{
    String url;
    const LONG units = link.chrg.cpMax - link.chrg.cpMin;
    if (units <= 0)
        return;
    url.Resize((units + 1) * 2);
    TEXTRANGEW range{link.chrg, AsWide(url.MutableWide())};
    const LRESULT got = SendMessageW(rich, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    url.Resize(static_cast<int32_t>(got) * 2);
    // The shell opens it in the user's browser; a failure leaves the page as it is.
    ShellExecuteW(nullptr, nullptr, AsWide(url), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace

void ShowDocument(HWND page, const String &document)
{
    int32_t start = 0;
    if (IsRichTextDocument(document, &start) && ShowRichText(page, document, start))
        return;
    const String text = PlainText(document);
    HWND edit = GetDlgItem(page, IDC_DOCUMENT);
    if (!SetWindowTextW(edit, AsWide(text))) {
        String narrow;
        CodePageFromWide(text, kCodePageAnsi, "?", narrow);
        SetWindowTextA(edit, narrow.Bytes());
    }
}

namespace {

bool HandleDocumentMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && (wParam == kCaretTimer || wParam == kFocusTimer)) {
        HWND rich = GetDlgItem(page, IDC_DOCUMENT);
        if (wParam == kFocusTimer) {
            KillTimer(page, kFocusTimer);
            SetFocus(rich);
        }
        HideCaret(rich);
        return true;
    }
    if (message == WM_NOTIFY) {
        const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
        if (header->idFrom == IDC_DOCUMENT && header->code == EN_LINK) {
            const ENLINK *link = reinterpret_cast<const ENLINK *>(lParam);
            if (link->msg == WM_LBUTTONUP)
                OpenLink(header->hwndFrom, *link);
            return true;
        }
    }
    if (message == WM_DESTROY) {
        KillTimer(page, kCaretTimer);
        KillTimer(page, kFocusTimer);
    }
    return false;
}

} // namespace

INT_PTR CALLBACK DocumentPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        DocumentPage &document = *reinterpret_cast<DocumentPage *>(lParam);
        SetUpPage(page, document.frame);
        ShowDocument(page, *document.document);
        SetFocus(GetDlgItem(page, IDC_DOCUMENT));
        return FALSE;
    }
    if (HandleDocumentMessage(page, message, wParam, lParam))
        return TRUE;
    INT_PTR result = FALSE;
    return CommonPageHandler(page, message, wParam, lParam, result) ? result : FALSE;
}
