#include "core/wide_win.h"
#include "wizard/page_frame_win.h"

#include <commctrl.h>

#include "app/program_win.h"
#include "res/page_ids.h"
#include "setupdata/language.h"
#include "setupdata/settings.h"
#include "setupdata/settings_flags.h"
#include "wizard/page_rules.h"
#include "wizard/installer_window_win.h"
#include "wizard/pages.h"
#include "wizard/wizard_flags.h"

namespace {

HWND g_owner = nullptr;
HWND g_currentPage = nullptr;

// The pictures of the program, loaded at first use and kept for the run.
HBITMAP g_sidePicture = nullptr;
HBITMAP g_banner = nullptr;
HBITMAP g_buttonImages[3] = {};   // accept, cancel, browse
bool g_picturesLoaded = false;

constexpr UINT_PTR kPictureSubclass = 1;
// Room around a button's text (each side) and between an image and the text, in pixels at 96 DPI.
constexpr int kButtonTextMargin = 8;
constexpr int kButtonImageRoom = 20;

HBITMAP LoadPicture(int id, UINT flags)
{
    return static_cast<HBITMAP>(LoadImageW(g_program.instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, flags));
}

void LoadPictures()
{
    if (g_picturesLoaded)
        return;
    g_picturesLoaded = true;
    // The link control and the progress bar are registered by the common controls library.
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LINK_CLASS | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    // A picture that cannot be loaded leaves its control empty; the page works without it.
    g_sidePicture = LoadPicture(IDB_SIDE_PICTURE, LR_CREATEDIBSECTION);
    g_banner = LoadPicture(IDB_BANNER, LR_CREATEDIBSECTION);
    // Light grey in the button images is the button face.
    g_buttonImages[0] = LoadPicture(IDB_BUTTON_ACCEPT, LR_LOADMAP3DCOLORS);
    g_buttonImages[1] = LoadPicture(IDB_BUTTON_CANCEL, LR_LOADMAP3DCOLORS);
    g_buttonImages[2] = LoadPicture(IDB_BUTTON_BROWSE, LR_LOADMAP3DCOLORS);
}

// Draws `picture` scaled into the whole client area of `window`.
void DrawPicture(HWND window, HDC dc, HBITMAP picture)
{
    RECT client;
    if (!GetClientRect(window, &client))
        return;
    BITMAP info;
    HDC source = CreateCompatibleDC(dc);
    if (!source)
        return;
    if (picture && GetObjectW(picture, sizeof info, &info)) {
        HGDIOBJ old = SelectObject(source, picture);
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        SelectObject(source, old);
    } else {
        FillRect(dc, &client, GetSysColorBrush(COLOR_3DFACE));
    }
    DeleteDC(source);
}

LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (dc) {
            DrawPicture(window, dc, reinterpret_cast<HBITMAP>(data));
            EndPaint(window, &paint);
        }
        return 0;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, PictureProc, kPictureSubclass);
        break;
    default:
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

// Frame of the side picture by the settings: 1 a sunken edge, 2 a thin border, 3 the sunken edge
// only beside the content (not on the full-height picture), 0 none.
void FramePicture(HWND picture, int variant)
{
    const int mode = g_settings.PictureFrameStyle == 3 ? (variant == kVariantSidePicture ? 1 : 0)
                                                        : g_settings.PictureFrameStyle;
    if (mode == 1)
        SetWindowLongPtrW(picture, GWL_EXSTYLE, GetWindowLongPtrW(picture, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
    else if (mode == 2)
        SetWindowLongPtrW(picture, GWL_STYLE, GetWindowLongPtrW(picture, GWL_STYLE) | WS_BORDER);
    else
        return;
    SetWindowPos(picture, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

void ShowPicture(HWND page, int control, HBITMAP picture, int variant)
{
    HWND window = GetDlgItem(page, control);
    if (!window)
        return;
    if (control == IDC_SIDE_PICTURE)
        FramePicture(window, variant);
    SetWindowSubclass(window, PictureProc, kPictureSubclass, reinterpret_cast<DWORD_PTR>(picture));
}

// The banner, scaled to its control, as a brush: the texts on the banner paint their background
// with it, so that they look transparent and a changed text never draws over the old one.
HBRUSH MakeBannerBrush(HWND page)
{
    HWND banner = GetDlgItem(page, IDC_BANNER_PICTURE);
    RECT client;
    if (!banner || !g_banner || !GetClientRect(banner, &client) || client.right <= 0 || client.bottom <= 0)
        return nullptr;
    HDC screen = GetDC(banner);
    if (!screen)
        return nullptr;
    HBRUSH brush = nullptr;
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    if (dc && bitmap) {
        HGDIOBJ old = SelectObject(dc, bitmap);
        DrawPicture(banner, dc, g_banner);
        SelectObject(dc, old);
        brush = CreatePatternBrush(bitmap);
    }
    if (bitmap)
        DeleteObject(bitmap);   // the brush keeps its own copy
    if (dc)
        DeleteDC(dc);
    ReleaseDC(banner, screen);
    return brush;
}

bool OnBanner(int control) { return control == IDC_BANNER_HEADLINE || control == IDC_BANNER_TITLE; }

bool OnWhitePanel(int control)
{
    switch (control) {
    case IDC_PAGE_TEXT: case IDC_STATUS_TEXT: case IDC_SPACE_REQUIRED: case IDC_SPACE_FREE: case IDC_GREETING_LINK:
    case IDC_FINISH_OPEN_FILE: case IDC_FINISH_LAUNCH: case IDC_FINISH_VIEW_LOG: case IDC_FINISH_OPEN_SECOND_FILE:
        return true;
    default:
        return false;
    }
}

void SetRowText(HWND page, int control, int row)
{
    if (row >= 0)
        SetControlText(page, control, LanguageString(row));
}

// With button images the texts get a leading blank, which keeps them off the image.
void SetButtonText(HWND page, int control, int row, const char16_t *fixed, int image)
{
    HWND button = GetDlgItem(page, control);
    if (!button || (row < 0 && !fixed))
        return;
    String text;
    const bool images = (g_settings.ProductFlags2 & ProductFlag2::ButtonImages) && g_buttonImages[image];
    if (images)
        text.AppendWide(u" ");
    text.Append(fixed ? String(fixed) : LanguageString(row));
    SetControlText(page, control, text);
    if (images)
        SendMessageW(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(g_buttonImages[image]));
}

void SetFrameTexts(HWND page, PageFrame &frame)
{
    if (frame.titleRow >= 0)
        frame.title = LanguageString(frame.titleRow);
    SetRowText(page, IDC_PAGE_TEXT, frame.textRow);
    SetButtonText(page, IDC_ACCEPT, frame.acceptRow, frame.acceptText, 0);
    SetButtonText(page, IDC_CANCEL, frame.cancelRow, nullptr, 1);
    SetButtonText(page, IDC_BROWSE, frame.browseRow, nullptr, 2);
    // The caption: the page title, or in the banner variant the installer's caption with the
    // title on the banner.
    if (frame.variant == kVariantBanner) {
        SetControlText(page, IDC_BANNER_HEADLINE, g_settings.BannerHeadline);
        SetControlText(page, IDC_BANNER_TITLE, frame.title);
        SetControlText(page, 0, LanguageString(kInstallerCaptionRow));
    } else {
        SetControlText(page, 0, frame.title);
    }
}

int ButtonTextWidth(HWND button)
{
    HDC dc = GetDC(button);
    if (!dc)
        return 0;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(button, WM_GETFONT, 0, 0)));
    const String text = ControlText(GetParent(button), GetDlgCtrlID(button));
    // Mnemonic ampersands take no room.
    String shown;
    for (int32_t i = 0; i < text.WideLength(); ++i) {
        const char16_t c = text.Wide()[i];
        if (c == u'&' && i + 1 < text.WideLength() && text.Wide()[i + 1] != u'&')
            continue;
        shown.AppendWideChar(c);
    }
    SIZE size = {0, 0};
    GetTextExtentPoint32W(dc, AsWide(shown), shown.WideLength(), &size);
    SelectObject(dc, old);
    ReleaseDC(button, dc);
    return size.cx;
}

int PixelsPerInch(HWND window)
{
    HDC dc = GetDC(window);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 0;
    if (dc)
        ReleaseDC(window, dc);
    return dpi > 0 ? dpi : 96;
}

RECT ChildRect(HWND page, HWND child)
{
    RECT rect = {0, 0, 0, 0};
    if (GetWindowRect(child, &rect))
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

} // namespace

void SetWizardOwner(HWND owner) { g_owner = owner; }
HWND WizardOwner()
{
    HWND owner = g_owner ? g_owner : InstallerWindow();
    return owner && IsWindow(owner) ? owner : nullptr;
}
HWND CurrentPage() { return g_currentPage && IsWindow(g_currentPage) ? g_currentPage : nullptr; }

PageFrame *FrameOf(HWND page) { return reinterpret_cast<PageFrame *>(GetWindowLongPtrW(page, DWLP_USER)); }

void SetControlText(HWND page, int control, const String &wide)
{
    HWND window = control ? GetDlgItem(page, control) : page;
    if (window)
        SetWindowTextW(window, AsWide(wide));
}

String ControlText(HWND page, int control)
{
    HWND window = control ? GetDlgItem(page, control) : page;
    String text;
    const int units = window ? GetWindowTextLengthW(window) : 0;
    if (units <= 0)
        return text;
    text.Resize((units + 1) * 2);
    const int got = GetWindowTextW(window, AsWide(text.MutableWide()), units + 1);
    text.Resize(got > 0 ? got * 2 : 0);
    return text;
}

void CentreOnOwner(HWND window)
{
    RECT work;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) && !GetWindowRect(GetDesktopWindow(), &work))
        return;
    RECT around = work;
    if (HWND owner = WizardOwner()) {
        RECT ownerRect;
        if (GetWindowRect(owner, &ownerRect) && !IsIconic(owner))
            around = ownerRect;
    }
    RECT rect;
    if (!GetWindowRect(window, &rect))
        return;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    int x = around.left + (around.right - around.left - width) / 2;
    int y = around.top + (around.bottom - around.top - height) / 2;
    // Keep the whole page, its caption first, on the work area.
    if (x + width > work.right)
        x = work.right - width;
    if (y + height > work.bottom)
        y = work.bottom - height;
    if (x < work.left)
        x = work.left;
    if (y < work.top)
        y = work.top;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FitButtons(HWND page)
{
    // Right to left along the button row, so that a grown button pushes its left neighbour.
    const int row[] = {IDC_CANCEL, IDC_ACCEPT};
    const bool images = (g_settings.ProductFlags2 & ProductFlag2::ButtonImages) != 0;
    const int scale = PixelsPerInch(page);
    const int margin = MulDiv(kButtonTextMargin, scale, 96);
    const int imageRoom = images ? MulDiv(kButtonImageRoom, scale, 96) : 0;
    int limit = -1;   // the left edge of the button to the right, minus the gap
    int gap = 0;
    for (int id : row) {
        HWND button = GetDlgItem(page, id);
        // The page is not shown yet while it is set up: the button's own style says whether it is.
        if (!button || !(GetWindowLongPtrW(button, GWL_STYLE) & WS_VISIBLE))
            continue;
        RECT rect = ChildRect(page, button);
        const int need = ButtonTextWidth(button) + 2 * margin + imageRoom;
        if (limit >= 0 && rect.right > limit)
            OffsetRect(&rect, limit - rect.right, 0);
        if (rect.right - rect.left < need)
            rect.left = rect.right - need;
        SetWindowPos(button, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        if (gap == 0) {
            // The template's gap between the two buttons (4 dialog units).
            RECT units = {0, 0, 4, 0};
            MapDialogRect(page, &units);
            gap = units.right;
        }
        limit = rect.left - gap;
    }
    if (HWND browse = GetDlgItem(page, IDC_BROWSE)) {
        RECT rect = ChildRect(page, browse);
        const int need = ButtonTextWidth(browse) + 2 * margin + imageRoom;
        if (rect.right - rect.left < need)
            SetWindowPos(browse, nullptr, rect.right - need, rect.top, need, rect.bottom - rect.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void SetUpPage(HWND page, PageFrame &frame)
{
    frame.window = page;
    SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(&frame));
    g_currentPage = page;
    LoadPictures();
    if (HMENU menu = GetSystemMenu(page, FALSE))
        EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
    if (g_settings.ProductFlags & WizardFlag::ProductIcons) {
        SendMessageW(page, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_program.smallIcon));
        SendMessageW(page, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_program.largeIcon));
    }
    CentreOnOwner(page);
    SetFrameTexts(page, frame);
    FitButtons(page);
    if (frame.variant == kVariantSidePicture || frame.variant == kVariantFullPicture)
        ShowPicture(page, IDC_SIDE_PICTURE, g_sidePicture, frame.variant);
    if (frame.variant == kVariantBanner) {
        ShowPicture(page, IDC_BANNER_PICTURE, g_banner, frame.variant);
        frame.bannerBrush = MakeBannerBrush(page);
    }
    RedrawWindow(page, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void RetranslatePage(HWND page, PageFrame &frame)
{
    SetFrameTexts(page, frame);
    FitButtons(page);
    RedrawWindow(page, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void RefreshControl(HWND page, int control)
{
    if (HWND window = GetDlgItem(page, control))
        RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW);
}

bool CommonPageHandler(HWND page, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR &result)
{
    PageFrame *frame = FrameOf(page);
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if ((id == IDC_ACCEPT || id == IDC_CANCEL || id == IDCANCEL) && HIWORD(wParam) == BN_CLICKED) {
            // Escape and the close box come as IDCANCEL: the page's cancel.
            EndDialog(page, id == IDCANCEL ? IDC_CANCEL : id);
            result = TRUE;
            return true;
        }
        return false;
    }
    case WM_CTLCOLORSTATIC: {
        if (!frame)
            return false;
        HDC dc = reinterpret_cast<HDC>(wParam);
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        if (OnBanner(id) && frame->variant == kVariantBanner) {
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkMode(dc, TRANSPARENT);
            RECT at = ChildRect(page, reinterpret_cast<HWND>(lParam));
            RECT banner = ChildRect(page, GetDlgItem(page, IDC_BANNER_PICTURE));
            SetBrushOrgEx(dc, banner.left - at.left, banner.top - at.top, nullptr);
            result = reinterpret_cast<INT_PTR>(frame->bannerBrush ? frame->bannerBrush : GetStockObject(NULL_BRUSH));
            return true;
        }
        if ((OnWhitePanel(id) && frame->variant == kVariantFullPicture) || id == IDC_DOCUMENT) {
            // The panel (and a document) is white: the text is drawn black on white, which shows
            // the panel through it and never leaves an old text behind when the text changes.
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkColor(dc, RGB(255, 255, 255));
            result = reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
            return true;
        }
        return false;
    }
    case WM_DESTROY:
        if (frame && frame->bannerBrush) {
            DeleteObject(frame->bannerBrush);
            frame->bannerBrush = nullptr;
        }
        if (g_currentPage == page)
            g_currentPage = nullptr;
        return false;
    default:
        return false;
    }
}

bool RunWizardPage(const char16_t *baseName, int variantSlot, PageFrame &frame, DLGPROC proc)
{
    frame.variant = NormalisedVariant(g_settings.DialogVariants[size_t(variantSlot)]);
    if (frame.cancelRow < 0)
        frame.cancelRow = kCancelButtonRow;
    return RunModalPage(PageTemplateName(baseName, frame.variant), proc, &frame) == kPageAccept;
}

INT_PTR RunModalPage(const String &templateName, DLGPROC proc, PageFrame *frame, HWND owner)
{
    LoadPictures();
    HWND previous = g_currentPage;
    if (!owner)
        owner = WizardOwner();
    INT_PTR result = DialogBoxParamW(g_program.instance, AsWide(templateName), owner,
                                     proc, reinterpret_cast<LPARAM>(frame));
    if (result == -1) {
        // Where the wide dialog functions are refused, the 8-bit ones take the same template.
        String narrow;
        for (int32_t i = 0; i < templateName.WideLength(); ++i)
            narrow.AppendByte(static_cast<char>(templateName.Wide()[i]));
        result = DialogBoxParamA(g_program.instance, narrow.Bytes(), owner, proc, reinterpret_cast<LPARAM>(frame));
    }
    g_currentPage = previous;
    return result;
}

HWND CreateModelessPage(const String &templateName, DLGPROC proc, PageFrame *frame, HWND owner)
{
    LoadPictures();
    if (!owner)
        owner = WizardOwner();
    HWND page = CreateDialogParamW(g_program.instance, AsWide(templateName), owner,
                                   proc, reinterpret_cast<LPARAM>(frame));
    if (!page) {
        String narrow;
        for (int32_t i = 0; i < templateName.WideLength(); ++i)
            narrow.AppendByte(static_cast<char>(templateName.Wide()[i]));
        page = CreateDialogParamA(g_program.instance, narrow.Bytes(), owner, proc, reinterpret_cast<LPARAM>(frame));
    }
    return page;
}
