// Shows the installer window in a series of looks, one after another, for screenshots.
//
// Usage: window_show.exe FOLDER. For each look it paints the window, creates FOLDER\ready-NAME and
// waits (up to a minute) until FOLDER\shot-NAME exists, then goes on to the next look. The test
// takes the screenshot in between. The look names and what they show are listed in kLooks.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "core/wide_win.h"
#include "wizard/installer_window_win.h"

namespace {

// A 40 x 30 picture, 8 bits: a red frame (index 1), a white inside (2) with a green diagonal (3),
// and a block of index 0 in the middle that the transparent look leaves see-through.
String SamplePicture()
{
    const int width = 40, height = 30, row = 40;
    std::vector<uint8_t> b = {'B', 'M'};
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    const uint32_t offset = 14 + 40 + 4 * 4;
    put32(offset + row * height);
    put32(0);
    put32(offset);
    put32(40);
    put32(width);
    put32(height);
    put32(1 | (8 << 16));
    put32(0);
    put32(row * height);
    put32(0);
    put32(0);
    put32(4);
    put32(0);
    put32(0x00FF00FF);   // 0 magenta (transparent in the look that says so)
    put32(0x00FF0000);   // 1 red
    put32(0x00FFFFFF);   // 2 white
    put32(0x0000A000);   // 3 green
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t v = 2;
            if (x < 3 || y < 3 || x >= width - 3 || y >= height - 3)
                v = 1;
            else if (x >= 15 && x < 25 && y >= 10 && y < 20)
                v = 0;
            else if (x * height / width == y)
                v = 3;
            b.push_back(v);
        }
    return String(reinterpret_cast<const char *>(b.data()), static_cast<int32_t>(b.size()));
}

struct Look {
    const char *name;
    void (*apply)(WindowLook &look);
};

WindowLook Base()
{
    WindowLook look;
    look.TaskbarText = String(u"Kestrival Setup window test");
    look.TitleSize = 1.5;
    look.TitleColor = RGB(255, 255, 255);
    look.TitleShadow = 100;   // 100 / 1300 of the font height: a few pixels
    look.TitleFont = "No Such Face, Tahoma";
    look.TopColor = RGB(0, 64, 128);
    look.BottomColor = RGB(0, 64, 128);
    look.MonoColor = true;
    return look;
}

void Title(WindowLook &l, const char16_t *text, int position)
{
    l.DisplayTitle = String(text);
    l.TitlePosition = static_cast<uint8_t>(position);
}

void Picture(WindowLook &l, int mode, int32_t transparent)
{
    l.BackgroundBitmap = SamplePicture();
    l.StretchMode = mode;
    l.BitmapSize = 50;
    l.BitmapTPI = transparent;
    l.TopColor = RGB(0, 0, 128);
    l.BottomColor = RGB(0, 160, 200);
    l.MonoColor = false;
}

const Look kLooks[] = {
    {"flat", [](WindowLook &) {}},
    {"gradient",
     [](WindowLook &l) {
         l.TopColor = RGB(200, 40, 0);
         l.BottomColor = RGB(0, 0, 64);
         l.MonoColor = false;
     }},
    {"title-1", [](WindowLook &l) { Title(l, u"Top left title", 1); }},
    {"title-2", [](WindowLook &l) { Title(l, u"Top centre title", 2); }},
    {"title-3", [](WindowLook &l) { Title(l, u"Top right title", 3); }},
    {"title-4", [](WindowLook &l) { Title(l, u"Bottom left title", 4); }},
    {"title-5",
     [](WindowLook &l) {
         Title(l, u"Bottom centre title", 5);
         l.CopyrightText = String(u"Copyright \u00a9 2026 Kestrival");
         l.CopyrightSize = 1.0;
         l.CopyrightColor = RGB(255, 255, 0);
         l.CopyrightPos = 1;
     }},
    {"title-6", [](WindowLook &l) { Title(l, u"Bottom right title", 6); }},
    {"title-too-wide",
     [](WindowLook &l) {
         Title(l, u"A product title far too long to fit across the window at the size it asks for", 2);
         l.TitleSize = 3.0;
     }},
    {"picture-mode-0", [](WindowLook &l) { Picture(l, 0, -1); }},
    {"picture-mode-1", [](WindowLook &l) { Picture(l, 1, 0); }},
    {"picture-mode-2", [](WindowLook &l) { Picture(l, 2, -1); }},
    {"picture-mode-3", [](WindowLook &l) { Picture(l, 3, 0); }},
};

String FileIn(const String &folder, const char *prefix, const char *name)
{
    String path = folder;
    path.AppendWide(u"\\");
    for (const char *c = prefix; *c; ++c)
        path.AppendWideChar(static_cast<char16_t>(*c));
    for (const char *c = name; *c; ++c)
        path.AppendWideChar(static_cast<char16_t>(*c));
    return path;
}

void Pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool WaitForFile(const String &path, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (GetFileAttributesW(AsWide(path)) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Pump();
        Sleep(50);
    }
    return true;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc < 2)
        return 2;
    const String folder(reinterpret_cast<const char16_t *>(argv[1]));
    SetInstallerWindowLook(Base());
    HWND window = CreateInstallerWindow(GetModuleHandleW(nullptr), nullptr, false);
    if (!window)
        return 3;
    for (const Look &entry : kLooks) {
        WindowLook look = Base();
        entry.apply(look);
        SetInstallerWindowLook(look);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Pump();
        HANDLE ready = CreateFileW(reinterpret_cast<const wchar_t *>(FileIn(folder, "ready-", entry.name).Wide()),
                                   GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (ready == INVALID_HANDLE_VALUE)
            return 4;
        CloseHandle(ready);
        if (!WaitForFile(FileIn(folder, "shot-", entry.name), 60000))
            return 5;
    }
    CloseInstallerWindow();
    return 0;
}
