// 8-bit path text: the form in which paths and names are kept in 8-bit texts, files and registry
// values.
//
// Writing wide text: plain ASCII is stored unchanged; otherwise, when a code page is given and the
// text converts to it and back unchanged, the converted bytes; otherwise "|" followed by the UTF-8
// form. With kPathTextNoCodePage the middle choice is skipped. Reading: a leading "|" is removed and
// the rest read as UTF-8; any other text is read in the ANSI code page or the one the caller names.
//
// Text that itself begins with "|" is always stored in the UTF-8 form, so that reading it back
// does not take its first character for the marker.
#pragma once

#include <cstdint>

#include "core/codepage.h"
#include "core/string.h"

constexpr char kPathTextUtf8Marker = '|';
constexpr int kPathTextNoCodePage = -1;

// Wide text (UTF-16 units) to 8-bit path text.
String PathTextFromWide(const char16_t *text, int32_t units, int codePage = kPathTextNoCodePage);
String PathTextFromWide(const String &wide, int codePage = kPathTextNoCodePage);

// 8-bit path text to wide text; `codePage` (default: ANSI) reads text without the marker. A text
// that does not convert reads as empty.
String PathTextToWide(const String &pathText, int codePage = kCodePageAnsi);

// The file-name part (after the last "\" or "/") of an 8-bit path text. It keeps the marker of a
// UTF-8 path, so that it still reads as UTF-8.
String PathTextFileName(const String &pathText);
