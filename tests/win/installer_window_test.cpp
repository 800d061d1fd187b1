// The installer window's painting into a bitmap of the test's own (no display needed), its pictures
// on disk, and the look the uninstaller reads back from the registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/file_win.h"
#include "core/registry_win.h"
#include "core/wide_win.h"
#include "wizard/dib_image_win.h"
#include "wizard/installer_window_look_win.h"
#include "wizard/installer_window_win.h"
#include "wizard/title_text_win.h"

namespace {

// A 32-bit top-down DIB section selected into a memory DC.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void **>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    RECT Rect() const { return RECT{0, 0, width_, height_}; }
    bool Ready() const { return dc_ && bitmap_ && bits_; }
    // As a COLORREF.
    COLORREF At(int x, int y) const
    {
        GdiFlush();
        const uint32_t v = bits_[y * width_ + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t *bits_ = nullptr;
};

TEST(InstallerWindowPainting, GradientRowsRunFromTopToBottomColour)
{
    const COLORREF top = RGB(200, 40, 0), bottom = RGB(0, 10, 64);
    for (bool system : {false, true}) {
        SCOPED_TRACE(system ? "system gradient" : "bands");
        Canvas canvas(16, 448);
        ASSERT_TRUE(canvas.Ready());
        ASSERT_TRUE(PaintGradient(canvas.Dc(), canvas.Rect(), top, bottom, system));
        EXPECT_EQ(canvas.At(0, 0), top);
        EXPECT_EQ(canvas.At(15, 0), top);
        if (!system) {
            // The bands end exactly on the bottom colour, two rows to a band at this height.
            EXPECT_EQ(canvas.At(0, 447), bottom);
            EXPECT_EQ(canvas.At(0, 446), bottom);
            EXPECT_NE(canvas.At(0, 445), bottom);
        } else {
            EXPECT_LE(GetRValue(canvas.At(0, 447)), 2);
        }
        for (int y = 1; y < 448; ++y) {
            ASSERT_LE(GetRValue(canvas.At(0, y)), GetRValue(canvas.At(0, y - 1))) << y;
            ASSERT_GE(GetBValue(canvas.At(0, y)), GetBValue(canvas.At(0, y - 1))) << y;
            ASSERT_EQ(canvas.At(0, y), canvas.At(15, y)) << y;
        }
    }
}

TEST(InstallerWindowPainting, AFlatLookPaintsOneColour)
{
    WindowLook look;
    look.TopColor = look.BottomColor = RGB(10, 20, 30);
    look.MonoColor = true;
    SetInstallerWindowLook(look);
    Canvas canvas(64, 48);
    ASSERT_TRUE(canvas.Ready());
    PaintInstallerWindow(canvas.Dc(), canvas.Rect());
    for (int y = 0; y < 48; y += 7)
        for (int x = 0; x < 64; x += 5)
            ASSERT_EQ(canvas.At(x, y), RGB(10, 20, 30)) << x << "," << y;
}

TEST(InstallerWindowPainting, ATitleTooWideShrinksAndAShortOneKeepsItsSize)
{
    Canvas canvas(400, 100);
    ASSERT_TRUE(canvas.Ready());
    const String font("Tahoma");
    const String shortTitle(u"Setup");
    const String longTitle(u"A title much too long for a window only four hundred pixels wide");
    EXPECT_EQ(PaintTitleText(canvas.Dc(), canvas.Rect(), TitleTextStyle{shortTitle, font, 26, RGB(255, 255, 255), 1, 2}),
              26);
    const int shrunk =
        PaintTitleText(canvas.Dc(), canvas.Rect(), TitleTextStyle{longTitle, font, 26, RGB(255, 255, 255), 1, 2});
    EXPECT_LT(shrunk, 26);
    EXPECT_GE(shrunk, 6);
    EXPECT_EQ(PaintTitleText(canvas.Dc(), canvas.Rect(), TitleTextStyle{shortTitle, font, 26, 0, 1, 0}), 0);
    EXPECT_EQ(PaintTitleText(canvas.Dc(), canvas.Rect(), TitleTextStyle{String(), font, 26, 0, 1, 1}), 0);
}

class TempFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH + 1];
        ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
        folder_ = String(FromWide(temp));
        folder_.AppendWide(u"ks-window-test");
        CreateDirectoryW(AsWide(folder_), nullptr);
    }
    String In(const char16_t *name) const
    {
        String path = folder_;
        path.AppendWide(u"\\");
        path.AppendWide(name);
        return path;
    }
    String folder_;
};

// 2 x 1, 24 bits: a red and a blue pixel.
String TinyBmp()
{
    const unsigned char bytes[] = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0,
                                   1, 0, 24, 0, 0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                   0, 0, 255, 255, 0, 0, 0, 0};
    return String(reinterpret_cast<const char *>(bytes), sizeof(bytes));
}

TEST_F(TempFolder, PicturesSaveAndLoadAsBmpFiles)
{
    DibImage image;
    const String bmp = TinyBmp();
    ASSERT_TRUE(image.LoadFromFileBytes(bmp.Data(), bmp.Length()));
    ASSERT_TRUE(SaveDibToFile(image, In(u"saved.bmp")));
    DibImage again;
    ASSERT_TRUE(LoadDibFromFile(again, In(u"saved.bmp")));
    EXPECT_EQ(again.Width(), 2);
    EXPECT_EQ(again.FileBytes(), bmp);

    Canvas canvas(4, 2);
    ASSERT_TRUE(canvas.Ready());
    ASSERT_TRUE(DrawStretched(canvas.Dc(), again, canvas.Rect()));
    EXPECT_EQ(canvas.At(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(3, 1), RGB(0, 0, 255));

    // A file without the signature counts as not loaded; so does a missing one.
    ASSERT_EQ(WriteWholeFile(In(u"bad.bmp"), "XX", 2), 0);
    EXPECT_FALSE(LoadDibFromFile(again, In(u"bad.bmp")));
    EXPECT_FALSE(again.Loaded());
    EXPECT_FALSE(LoadDibFromFile(again, In(u"missing.bmp")));
}

TEST_F(TempFolder, TheUninstallerReadsTheLookBackFromTheEntry)
{
    const String path(u"Software\\Kestrival Window Test");
    RegSetValueW(HKEY_CURRENT_USER, AsWide(path), REG_SZ, L"", 0);   // a fresh key
    RegistryKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS), ERROR_SUCCESS);
    RegistryKey empty;
    ASSERT_EQ(empty.Create(HKEY_CURRENT_USER, String(u"Software\\Kestrival Window Test\\Empty"), KEY_ALL_ACCESS),
              ERROR_SUCCESS);

    const WindowLook defaults = ReadWindowLookFromUninstallEntry(empty, 0x8000, folder_);
    EXPECT_EQ(defaults.TaskbarText, String(u"Setup"));
    EXPECT_EQ(defaults.TitleSize, 1.0);
    EXPECT_EQ(defaults.TitleShadow, 1);
    EXPECT_TRUE(defaults.MonoColor);
    EXPECT_EQ(defaults.TitleColor, GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(defaults.TopColor, GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(defaults.BitmapTPI, -1);
    EXPECT_TRUE(defaults.BackgroundBitmap.Empty());

    const double size = 1.5;
    ASSERT_EQ(RegSetValueExW(key.Handle(), L"TitleSize", 0, REG_BINARY, reinterpret_cast<const BYTE *>(&size), 8), 0);
    ASSERT_EQ(key.WriteString(String(u"CopyrightSize"), String(u"0.75")), ERROR_SUCCESS);
    ASSERT_EQ(key.WriteString(String(u"CopyrightColor"), String(u"65535")), ERROR_SUCCESS);
    ASSERT_EQ(key.WriteDword(String(u"TopColor"), RGB(1, 2, 3)), ERROR_SUCCESS);
    ASSERT_EQ(key.WriteDword(String(u"MonoColor"), 0), ERROR_SUCCESS);
    ASSERT_EQ(key.WriteDword(String(u"TitlePosition"), 5), ERROR_SUCCESS);
    ASSERT_EQ(key.WriteString(String(u"TitleFont"), String(u"Tahoma,Arial")), ERROR_SUCCESS);
    ASSERT_EQ(key.WriteString(String(u"TaskbarText"), String(u"Remove Demo")), ERROR_SUCCESS);
    ASSERT_EQ(key.WriteDword(String(u"BitmapTPI"), 3), ERROR_SUCCESS);
    ASSERT_EQ(key.WriteDword(String(u"StretchMode"), 2), ERROR_SUCCESS);
    ASSERT_EQ(key.WriteDword(String(u"BitmapSize"), 40), ERROR_SUCCESS);
    const String bmp = TinyBmp();
    ASSERT_EQ(WriteWholeFile(In(kBackgroundPictureFile), bmp.Bytes(), bmp.Length()), 0);

    const WindowLook look = ReadWindowLookFromUninstallEntry(key, 0x8000, folder_);
    EXPECT_EQ(look.TitleSize, 1.5);
    EXPECT_EQ(look.CopyrightSize, 0.75);
    EXPECT_EQ(look.CopyrightColor, 65535u);
    EXPECT_EQ(look.TopColor, RGB(1, 2, 3));
    EXPECT_FALSE(look.MonoColor);
    EXPECT_EQ(look.TitlePosition, 5);
    EXPECT_STREQ(look.TitleFont.Bytes(), "Tahoma,Arial");
    EXPECT_EQ(look.TaskbarText, String(u"Remove Demo"));
    EXPECT_EQ(look.BitmapTPI, 3);
    EXPECT_EQ(look.StretchMode, 2);
    EXPECT_EQ(look.BitmapSize, 40);
    EXPECT_EQ(look.BackgroundBitmap, bmp);

    // Without the background flag neither the picture nor its values are read.
    const WindowLook plain = ReadWindowLookFromUninstallEntry(key, 0, folder_);
    EXPECT_TRUE(plain.BackgroundBitmap.Empty());
    EXPECT_EQ(plain.BitmapSize, 0);
    EXPECT_EQ(plain.BitmapTPI, -1);
}

} // namespace
