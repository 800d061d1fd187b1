// Code-page conversion for the settings and the language table, kept behind these two functions
// until the core library's conversion lands: Windows-1252 (also standing in for the ANSI code page)
// and UTF-8. Other code pages are converted as Windows-1252.
#pragma once

#include "core/string.h"

constexpr int kCodePageAnsi = -1;
constexpr int kCodePage1252 = 1252;
constexpr int kCodePageUtf8 = 65001;

// 8-bit text in `codePage` to wide text.
String WideFromCodePage(const String &narrow, int codePage);

// Wide text to 8-bit text in `codePage`; a character the page lacks becomes "?".
String CodePageFromWide(const String &wide, int codePage);
