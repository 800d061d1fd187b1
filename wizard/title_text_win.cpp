#include "wizard/title_text_win.h"

#include "core/codepage.h"
#include "core/wide_win.h"
#include "wizard/window_geometry.h"
#include "wizard/window_look.h"

namespace {

constexpr int kTitleWeight = 900;

struct FontContext {
    HDC dc;
    const String *face;        // wide
    const String *text;        // wide
};

HFONT CreateTitleFont(const String &face, int height)
{
    LOGFONTW font = {};
    // A negative height asks for the character height, the measure of a point size.
    font.lfHeight = -height;
    font.lfWeight = kTitleWeight;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = ANTIALIASED_QUALITY;
    const int units = face.WideLength() < LF_FACESIZE - 1 ? face.WideLength() : LF_FACESIZE - 1;
    for (int i = 0; i < units; ++i)
        font.lfFaceName[i] = static_cast<wchar_t>(face.Wide()[i]);
    return CreateFontIndirectW(&font);
}

SIZE MeasureText(HDC dc, const String &face, int height, const String &text)
{
    SIZE size = {0, 0};
    HFONT font = CreateTitleFont(face, height);
    if (!font)
        return size;
    HGDIOBJ old = SelectObject(dc, font);
    if (!GetTextExtentPoint32W(dc, AsWide(text), text.WideLength(), &size))
        size = SIZE{0, 0};
    SelectObject(dc, old);
    DeleteObject(font);
    return size;
}

int MeasureWidth(void *context, int height)
{
    const FontContext *c = static_cast<FontContext *>(context);
    return MeasureText(c->dc, *c->face, height, *c->text).cx;
}

int CALLBACK FoundFace(const LOGFONTW *, const TEXTMETRICW *, DWORD, LPARAM found)
{
    *reinterpret_cast<bool *>(found) = true;
    return 0;
}

bool Installed(void *, const String &face) { return FontFaceInstalled(face); }

void DrawTextAt(HDC dc, const String &text, int x, int y, COLORREF colour)
{
    SetTextColor(dc, colour);
    TextOutW(dc, x, y, AsWide(text), text.WideLength());
}

} // namespace

bool FontFaceInstalled(const String &face)
{
    String wide;
    if (!CodePageToWide(face, kCodePageAnsi, wide) || wide.WideLength() >= LF_FACESIZE)
        return false;
    LOGFONTW query = {};
    query.lfCharSet = DEFAULT_CHARSET;
    for (int i = 0; i < wide.WideLength(); ++i)
        query.lfFaceName[i] = static_cast<wchar_t>(wide.Wide()[i]);
    bool found = false;
    HDC dc = GetDC(nullptr);
    if (!dc)
        return false;
    EnumFontFamiliesExW(dc, &query, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

int PaintTitleText(HDC dc, const RECT &client, const TitleTextStyle &style)
{
    if (style.text.Empty() || !IsTextPosition(style.position) || style.points <= 0)
        return 0;
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    const TextMargins margins = TextMarginsFor(width, height);
    String face;
    CodePageToWide(ChooseFontFace(style.fontList, Installed, nullptr), kCodePageAnsi, face);
    FontContext context{dc, &face, &style.text};
    const TitleFit fit = FitTitle(style.points, GetDeviceCaps(dc, LOGPIXELSY), style.shadow, width,
                                  margins.horizontal, MeasureWidth, &context);
    HFONT font = CreateTitleFont(face, fit.fontHeight);
    if (!font)
        return 0;
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {0, 0};
    GetTextExtentPoint32W(dc, AsWide(style.text), style.text.WideLength(), &size);
    const TextOrigin origin = PlaceText(style.position, width, height, size.cx, size.cy, margins, fit.shadow);
    SetBkMode(dc, TRANSPARENT);
    if (fit.shadow > 0)
        DrawTextAt(dc, style.text, client.left + origin.x + fit.shadow, client.top + origin.y + fit.shadow, RGB(0, 0, 0));
    DrawTextAt(dc, style.text, client.left + origin.x, client.top + origin.y, style.colour);
    SelectObject(dc, old);
    DeleteObject(font);
    return fit.points;
}
