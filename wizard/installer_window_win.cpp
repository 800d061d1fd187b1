#include "wizard/installer_window_win.h"

#include "core/codepage.h"
#include "core/wide_win.h"
#include "core/system_library_win.h"
#include "wizard/dib_image_win.h"
#include "wizard/title_text_win.h"
#include "wizard/window_geometry.h"

namespace {

constexpr char kInstallerWindowClassAnsi[] = "SEA Window Class";

using GradientFillFunction = BOOL(WINAPI *)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

struct InstallerWindowState {
    HWND window = nullptr;
    bool maximized = false;
    WindowLook look;
    DibImage picture;
    String languageTitle;      // row 0 of the active language (wide)
    // Set when the gradient could not be drawn at all: one colour from then on.
    bool gradientFailed = false;
};

InstallerWindowState g_state;


String AnsiFromWide(const String &wide)
{
    String ansi;
    CodePageFromWide(wide, kCodePageAnsi, "?", ansi);
    return ansi;
}

void SetWindowTextAnyWidth(HWND window, const String &wide)
{
    // The 8-bit window (created when the wide one could not be) takes 8-bit text.
    if (IsWindowUnicode(window))
        SetWindowTextW(window, AsWide(wide));
    else
        SetWindowTextA(window, AnsiFromWide(wide).Bytes());
}

void LoadPicture()
{
    g_state.picture.Clear();
    const String &bytes = g_state.look.BackgroundBitmap;
    if (bytes.Empty() || !g_state.picture.LoadFromFileBytes(bytes.Data(), bytes.Length()))
        return;
    g_state.picture.SetTransparentIndex(g_state.look.BitmapTPI);
}

bool SystemGradient(HDC dc, const RECT &client, COLORREF top, COLORREF bottom)
{
    static GradientFillFunction gradientFill =
        GetSystemFunctionAs<GradientFillFunction>(L"msimg32.dll", "GradientFill");
    if (!gradientFill)
        return false;
    TRIVERTEX vertices[2] = {};
    vertices[0].x = client.left;
    vertices[0].y = client.top;
    vertices[0].Red = static_cast<COLOR16>(GetRValue(top) << 8);
    vertices[0].Green = static_cast<COLOR16>(GetGValue(top) << 8);
    vertices[0].Blue = static_cast<COLOR16>(GetBValue(top) << 8);
    vertices[1].x = client.right;
    vertices[1].y = client.bottom;
    vertices[1].Red = static_cast<COLOR16>(GetRValue(bottom) << 8);
    vertices[1].Green = static_cast<COLOR16>(GetGValue(bottom) << 8);
    vertices[1].Blue = static_cast<COLOR16>(GetBValue(bottom) << 8);
    GRADIENT_RECT rect = {0, 1};
    return gradientFill(dc, vertices, 2, &rect, 1, GRADIENT_FILL_RECT_V) != FALSE;
}

bool FillColour(HDC dc, const RECT &rect, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    if (!brush)
        return false;
    const bool filled = FillRect(dc, &rect, brush) != 0;
    DeleteObject(brush);
    return filled;
}

void PaintPicture(HDC dc, const RECT &client)
{
    DibImage &picture = g_state.picture;
    const WindowLook &look = g_state.look;
    if (!picture.Loaded() || look.BitmapSize <= 0)
        return;
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (look.StretchMode == kStretchTile) {
        for (const PixelRect &tile : PictureTiles(width, height, picture.Width(), picture.Height())) {
            const RECT target = {client.left + tile.left, client.top + tile.top, client.left + tile.right,
                                 client.top + tile.bottom};
            DrawStretched(dc, picture, target);
        }
        return;
    }
    const PixelRect area =
        PictureArea(width, height, picture.Width(), picture.Height(), look.BitmapSize, look.StretchMode);
    if (area.Width() <= 0 || area.Height() <= 0)
        return;
    const RECT target = {client.left + area.left, client.top + area.top, client.left + area.right,
                         client.top + area.bottom};
    // A picture the system cannot draw is simply not drawn.
    DrawStretched(dc, picture, target);
}

void PaintContent(HDC dc, const RECT &client)
{
    const WindowLook &look = g_state.look;
    bool mono = look.MonoColor || g_state.gradientFailed;
    if (!mono && !PaintGradient(dc, client, look.TopColor, look.BottomColor, true)) {
        g_state.gradientFailed = true;
        mono = true;
    }
    if (mono)
        FillColour(dc, client, look.TopColor);
    PaintPicture(dc, client);
    const String &title = look.DisplayTitle.Empty() ? g_state.languageTitle : look.DisplayTitle;
    PaintTitleText(dc, client, TitleTextStyle{title, look.TitleFont, TitlePoints(look.TitleSize), look.TitleColor,
                                              look.TitleShadow, look.TitlePosition});
    PaintTitleText(dc, client, TitleTextStyle{look.CopyrightText, look.CopyrightFont,
                                              CopyrightPoints(look.CopyrightSize), look.CopyrightColor, 0,
                                              look.CopyrightPos});
}

// Paints into a bitmap of the client's size and copies it to the window in one piece; when the
// bitmap cannot be had, paints the window directly.
void PaintOffScreen(HDC dc, const RECT &client)
{
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0)
        return;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = memory ? CreateCompatibleBitmap(dc, width, height) : nullptr;
    if (!bitmap) {
        if (memory)
            DeleteDC(memory);
        PaintContent(dc, client);
        return;
    }
    HGDIOBJ old = SelectObject(memory, bitmap);
    const RECT local = {0, 0, width, height};
    PaintContent(memory, local);
    BitBlt(dc, client.left, client.top, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

LRESULT CALLBACK InstallerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        // The whole client area is painted in WM_PAINT from the off-screen bitmap; erasing first
        // would show the bare background for a moment.
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        if (HDC dc = BeginPaint(window, &paint)) {
            RECT client;
            if (GetClientRect(window, &client))
                PaintOffScreen(dc, client);
            EndPaint(window, &paint);
        }
        return 0;
    }
    case WM_NCDESTROY:
        if (window == g_state.window)
            g_state.window = nullptr;
        break;
    default:
        break;
    }
    return IsWindowUnicode(window) ? DefWindowProcW(window, message, wParam, lParam)
                                   : DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterWideClass(HINSTANCE instance)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = InstallerWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kInstallerWindowClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool RegisterAnsiClass(HINSTANCE instance)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = InstallerWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = kInstallerWindowClassAnsi;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

bool PaintGradient(HDC dc, const RECT &client, COLORREF top, COLORREF bottom, bool useSystemGradient)
{
    if (useSystemGradient) {
        static const bool available = GetSystemFunction(L"msimg32.dll", "GradientFill") != nullptr;
        if (available)
            return SystemGradient(dc, client, top, bottom);
    }
    bool drawn = true;
    for (const GradientBand &band : GradientBands(client.bottom - client.top, top, bottom)) {
        const RECT rect = {client.left, client.top + band.top, client.right, client.top + band.bottom};
        drawn = FillColour(dc, rect, band.colour) && drawn;
    }
    return drawn;
}

void PaintInstallerWindow(HDC dc, const RECT &client) { PaintContent(dc, client); }

HWND CreateInstallerWindow(HINSTANCE instance, HWND owner, bool startMinimized)
{
    if (g_state.window)
        return g_state.window;
    RECT area = {0, 0, 1, 1};
    g_state.maximized = !SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    if (g_state.maximized)
        area = RECT{0, 0, 1, 1};
    const DWORD style = WS_POPUP | WS_CLIPCHILDREN | (startMinimized ? WS_MINIMIZE : 0);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    HWND window = nullptr;
    if (RegisterWideClass(instance))
        window = CreateWindowExW(0, kInstallerWindowClass, AsWide(g_state.look.TaskbarText), style, area.left, area.top,
                                 width, height, owner, nullptr, instance, nullptr);
    // Systems without the wide window functions get the 8-bit class and an 8-bit window text.
    if (!window && RegisterAnsiClass(instance))
        window = CreateWindowExA(0, kInstallerWindowClassAnsi, AnsiFromWide(g_state.look.TaskbarText).Bytes(), style,
                                 area.left, area.top, width, height, owner, nullptr, instance, nullptr);
    if (!window)
        return nullptr;
    g_state.window = window;
    // The results of these calls say whether the window was visible or active before, not whether
    // they worked.
    ShowWindow(window, SW_HIDE);
    ShowWindow(window, g_state.maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    if (startMinimized)
        ShowWindow(window, SW_MINIMIZE);
    BringWindowToTop(window);
    SetActiveWindow(window);
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    return window;
}

HWND InstallerWindow() { return g_state.window; }
bool InstallerWindowMaximized() { return g_state.window && g_state.maximized; }

void SetInstallerWindowLook(const WindowLook &look)
{
    const bool textChanged = look.TaskbarText != g_state.look.TaskbarText;
    g_state.look = look;
    g_state.gradientFailed = false;
    LoadPicture();
    if (!g_state.window)
        return;
    if (textChanged)
        SetWindowTextAnyWidth(g_state.window, look.TaskbarText);
    InvalidateRect(g_state.window, nullptr, FALSE);
    UpdateWindow(g_state.window);
}

const WindowLook &InstallerWindowLook() { return g_state.look; }

void SetInstallerWindowIcons(HICON smallIcon, HICON largeIcon)
{
    if (!g_state.window)
        return;
    // WM_SETICON answers with the previous icon, which the program still owns.
    if (smallIcon)
        SendMessageW(g_state.window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    if (largeIcon)
        SendMessageW(g_state.window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon));
}

void ApplyLanguageCaption(const String &row0)
{
    g_state.languageTitle = row0;
    if (!g_state.window)
        return;
    SetWindowTextAnyWidth(g_state.window, row0);
    InvalidateRect(g_state.window, nullptr, FALSE);
    UpdateWindow(g_state.window);
}

void SetInstallerWindowCaption(const String &caption)
{
    if (g_state.window && !caption.Empty())
        SetWindowTextAnyWidth(g_state.window, caption);
}

void CloseInstallerWindow()
{
    HWND window = g_state.window;
    if (!window)
        return;
    ShowWindow(window, SW_MINIMIZE);
    DestroyWindow(window);
    g_state.window = nullptr;
}
