// Loading and drawing a DibImage with the Windows API.
#pragma once

#include <windows.h>

#include "core/string.h"
#include "wizard/dib_image.h"

// From a bitmap resource of `instance` (RT_BITMAP) or from a ".bmp" file (wide path).
bool LoadDibFromResource(DibImage &image, HINSTANCE instance, int id);
bool LoadDibFromFile(DibImage &image, const String &path);
// Writes the ".bmp" file image; false (GetLastError tells why) when the file cannot be written.
bool SaveDibToFile(const DibImage &image, const String &path);

// Draws the picture stretched into `target`: per-pixel alpha for a 32-bit picture with alpha,
// through its mask when it has a transparent index, else copied. False when the system refused.
bool DrawStretched(HDC dc, DibImage &image, const RECT &target);
// Draws it copied (no transparency), scaled into `target`.
bool DrawCopy(HDC dc, const DibImage &image, const RECT &target);
