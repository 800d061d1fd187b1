// Code-page conversion between 8-bit text and wide (UTF-16) text.
//
// 8-bit to wide: kCodePageAnsi means the system's ANSI code page; 1200 copies UTF-16LE bytes
// unchanged; 1201 copies and swaps the byte order; 20127 (US-ASCII) is read as 1252; any other
// page goes through the system's conversion (MultiByteToWideChar with MB_PRECOMPOSED, retried
// without flags when the page rejects them).
//
// Wide to 8-bit, with a replacement text for characters the page lacks (the program passes "?"):
// 1200 and 1201 copy; UTF-8 and UTF-7 convert without flags and without replacement; kCodePageAnsi
// means the ANSI code page; other pages compose decomposed characters first (WC_COMPOSITECHECK,
// and WC_NO_BEST_FIT_CHARS when asked), retried without flags when the page rejects them.
//
// Both report failure by returning false with an empty output; an empty input converts to an empty
// output. The Windows build uses the system's tables; the host build has its own tables for UTF-8,
// UTF-16LE/BE and 1252 (which also stands for the ANSI code page and, read as 8-bit text, 20127).
#pragma once

#include <cstdint>

#include "core/string.h"

constexpr int kCodePageAnsi = -1;
constexpr int kCodePageUtf16LE = 1200;
constexpr int kCodePageUtf16BE = 1201;
constexpr int kCodePageWindows1252 = 1252;
constexpr int kCodePageUsAscii = 20127;
constexpr int kCodePageUtf7 = 65000;
constexpr int kCodePageUtf8 = 65001;

// 8-bit bytes in `codePage` to wide text (`wide` holds UTF-16 units).
bool CodePageToWide(const char *bytes, int32_t length, int codePage, String &wide);
bool CodePageToWide(const String &text, int codePage, String &wide);

// Wide text to 8-bit bytes in `codePage`; `replacement` (may be null) stands for characters the
// page cannot represent; `noBestFit` refuses the system's look-alike substitutes.
bool CodePageFromWide(const char16_t *text, int32_t units, int codePage, const char *replacement,
                      String &bytes, bool noBestFit = false);
bool CodePageFromWide(const String &wide, int codePage, const char *replacement, String &bytes,
                      bool noBestFit = false);

// The conversions as values, for callers that have no use for the failure: a text the page cannot
// convert gives an empty result. The 8-bit form puts "?" for characters the page lacks.
String WideFromCodePage(const String &text, int codePage);
String NarrowInCodePage(const String &wide, int codePage);
// Plain ASCII text (a program's fixed text) as wide text, without a conversion that could fail.
String WideFromAscii(const char *ascii);
