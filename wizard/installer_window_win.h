// The installer window: a borderless window over the desktop work area behind the wizard pages,
// painted with a gradient or one colour, an optional background picture, a large title with an
// optional shadow and a copyright line. The installer and the uninstaller each create it once;
// the pages centre on it and are owned by it.
//
// Painting happens off-screen and is copied to the window in one piece, so that neither a resize
// nor a repaint flickers.
#pragma once

#include <windows.h>

#include "core/string.h"
#include "wizard/window_look.h"

constexpr wchar_t kInstallerWindowClass[] = L"SEA Window Class";

// Creates and shows the window over the work area (maximised when the work area cannot be read),
// minimised when `startMinimized`. Null when the window cannot be created; the pages then centre on
// the work area. The look is that of the last SetInstallerWindowLook (empty until then).
HWND CreateInstallerWindow(HINSTANCE instance, HWND owner, bool startMinimized);

// The window, or null when there is none.
HWND InstallerWindow();
// True when the window had to be shown maximised because the work area could not be read.
bool InstallerWindowMaximized();

// Replaces the look (the background picture is decoded again) and repaints. Works before the window
// exists too: the window then starts with it.
void SetInstallerWindowLook(const WindowLook &look);
const WindowLook &InstallerWindowLook();

// The program icon at its small and large sizes (either may be null).
void SetInstallerWindowIcons(HICON smallIcon, HICON largeIcon);

// The language's row 0 becomes the window text and the title painted when the look has no
// "DisplayTitle"; the window is repainted at once.
void ApplyLanguageCaption(const String &row0);
// Replaces the window text (the finish caption); an empty text leaves it as it is.
void SetInstallerWindowCaption(const String &caption);

// The exit's part: minimises the window, destroys it and forgets it.
void CloseInstallerWindow();

// Painting, also used by tests that paint into a bitmap of their own.
void PaintInstallerWindow(HDC dc, const RECT &client);
// The vertical gradient from `top` to `bottom`: the system's gradient fill when
// `useSystemGradient` and msimg32 has it, else the bands of GradientBands. False when nothing could
// be drawn.
bool PaintGradient(HDC dc, const RECT &client, COLORREF top, COLORREF bottom, bool useSystemGradient);
