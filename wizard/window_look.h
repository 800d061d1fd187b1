// The display settings of the installer window: what it paints and how. The installer takes them
// from the setup script; the uninstaller reads the same values back from the uninstall entry
// (installer_window_look_win.h). Colours are COLORREF values (0x00BBGGRR).
#pragma once

#include <cstdint>

#include "core/string.h"

struct Settings;

constexpr int kTitlePointsPerFactor = 26;
constexpr int kCopyrightPointsPerFactor = 16;

struct WindowLook {
    String TaskbarText;            // wide: the window text
    String DisplayTitle;           // wide; empty: the language's row 0 is painted instead
    double TitleSize = 1.0;
    uint32_t TitleColor = 0;
    uint8_t TitleShadow = 1;
    uint8_t TitlePosition = 0;     // 0 no title, 1-6 see window_geometry.h
    String TitleFont;              // 8-bit, comma-separated face names
    uint32_t TopColor = 0;
    uint32_t BottomColor = 0;
    bool MonoColor = true;
    String CopyrightText;          // wide
    String CopyrightFont;          // 8-bit
    double CopyrightSize = 0.0;
    uint32_t CopyrightColor = 0;
    uint8_t CopyrightPos = 0;
    String BackgroundBitmap;       // ".bmp" file image; empty: no picture
    int32_t BitmapTPI = -1;
    int32_t StretchMode = 0;
    int32_t BitmapSize = 0;        // percent of the window; 0 shows no picture
};

// The look the setup script describes.
WindowLook WindowLookFromSettings(const Settings &settings);

// The first face of the comma-separated `fontList` (8-bit) for which `installed` says yes, each
// name trimmed; "Arial" when none is.
using FontInstalled = bool (*)(void *context, const String &face);
String ChooseFontFace(const String &fontList, FontInstalled installed, void *context);

// Point sizes from the size factors (truncated towards zero).
int TitlePoints(double factor);
int CopyrightPoints(double factor);
