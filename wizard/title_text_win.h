// PaintTitleText: the installer window's title and copyright line, in the first installed face of
// their font list, shrunk point by point until they fit the width, with an optional black shadow.
#pragma once

#include <windows.h>

#include "core/string.h"

struct TitleTextStyle {
    const String &text;       // wide
    const String &fontList;   // 8-bit, comma-separated face names
    int points;               // starting point size
    COLORREF colour;
    int shadow;               // shadow setting (0 none)
    int position;             // 1-6; anything else paints nothing
};

// Paints nothing for an empty text or a position outside 1 to 6. Returns the point size used (0
// when nothing was painted), for tests.
int PaintTitleText(HDC dc, const RECT &client, const TitleTextStyle &style);

// True when a font of face `face` (8-bit) is installed.
bool FontFaceInstalled(const String &face);
