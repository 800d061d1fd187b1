#include "wizard/dib_image_win.h"

#include "core/file_win.h"
#include "core/system_library_win.h"

namespace {

using AlphaBlendFunction = BOOL(WINAPI *)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);

const BITMAPINFO *InfoOf(const String &block) { return reinterpret_cast<const BITMAPINFO *>(block.Data()); }

// StretchDIBits takes the source rectangle from the bottom row up for bottom-up pictures and from
// the top for top-down ones; the whole picture is the same rectangle in both.
bool Stretch(HDC dc, const DibImage &image, const String &block, const RECT &target, DWORD rop)
{
    SetStretchBltMode(dc, COLORONCOLOR);
    const int lines = StretchDIBits(dc, target.left, target.top, target.right - target.left,
                                    target.bottom - target.top, 0, 0, image.Width(), image.Height(),
                                    block.Data() + image.BitsOffset(), InfoOf(block), DIB_RGB_COLORS, rop);
    return lines != 0 && lines != static_cast<int>(GDI_ERROR);
}

// A 1-bit picture of the mask with the palette black (opaque) and white (transparent).
bool StretchMask(HDC dc, DibImage &image, const RECT &target)
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } info = {};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = image.Width();
    info.header.biHeight = image.TopDown() ? -image.Height() : image.Height();
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.header.biCompression = BI_RGB;
    info.colours[1] = RGBQUAD{255, 255, 255, 0};
    SetStretchBltMode(dc, COLORONCOLOR);
    const int lines = StretchDIBits(dc, target.left, target.top, target.right - target.left,
                                    target.bottom - target.top, 0, 0, image.Width(), image.Height(),
                                    image.MaskBits().Data(), reinterpret_cast<const BITMAPINFO *>(&info),
                                    DIB_RGB_COLORS, SRCAND);
    return lines != 0 && lines != static_cast<int>(GDI_ERROR);
}

// Per-pixel alpha: the premultiplied copy goes into a DIB section and is blended from there.
bool BlendAlpha(HDC dc, DibImage &image, const RECT &target)
{
    static AlphaBlendFunction alphaBlend =
        GetSystemFunctionAs<AlphaBlendFunction>(L"msimg32.dll", "AlphaBlend");
    if (!alphaBlend)
        return false;
    const String &block = image.PremultipliedBlock();
    void *bits = nullptr;
    HBITMAP section = CreateDIBSection(dc, InfoOf(block), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section)
        return false;
    bool drawn = false;
    if (HDC source = CreateCompatibleDC(dc)) {
        HGDIOBJ old = SelectObject(source, section);
        CopyMemory(bits, block.Data() + image.BitsOffset(),
                   static_cast<size_t>(image.RowBytes()) * static_cast<size_t>(image.Height()));
        const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        drawn = alphaBlend(dc, target.left, target.top, target.right - target.left, target.bottom - target.top,
                           source, 0, 0, image.Width(), image.Height(), blend) != FALSE;
        SelectObject(source, old);
        DeleteDC(source);
    }
    DeleteObject(section);
    return drawn;
}

} // namespace

bool LoadDibFromResource(DibImage &image, HINSTANCE instance, int id)
{
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), reinterpret_cast<LPCWSTR>(RT_BITMAP));
    if (!found)
        return false;
    HGLOBAL loaded = LoadResource(instance, found);
    const DWORD size = SizeofResource(instance, found);
    const void *bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0)
        return false;
    return image.LoadFromPacked(static_cast<const uint8_t *>(bytes), static_cast<int32_t>(size));
}

bool LoadDibFromFile(DibImage &image, const String &path)
{
    image.Clear();
    String bytes;
    if (ReadWholeFile(path, bytes) != 0)
        return false;
    return image.LoadFromFileBytes(bytes.Data(), bytes.Length());
}

bool SaveDibToFile(const DibImage &image, const String &path)
{
    if (!image.Loaded()) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    const String bytes = image.FileBytes();
    return WriteWholeFile(path, bytes.Bytes(), bytes.Length()) == 0;
}

bool DrawStretched(HDC dc, DibImage &image, const RECT &target)
{
    if (!image.Loaded())
        return false;
    if (image.UsesAlpha() && BlendAlpha(dc, image, target))
        return true;
    if (image.UsesMask())
        return StretchMask(dc, image, target) && Stretch(dc, image, image.MaskedBlock(), target, SRCPAINT);
    return Stretch(dc, image, image.Block(), target, SRCCOPY);
}

bool DrawCopy(HDC dc, const DibImage &image, const RECT &target)
{
    return image.Loaded() && Stretch(dc, image, image.Block(), target, SRCCOPY);
}
