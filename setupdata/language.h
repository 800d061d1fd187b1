// The language table of the setup data: the language names and rows of texts, one text per language
// per row, looked up by row number in the active language.
#pragma once

#include "core/string.h"

// Rows that the start-up and the setup data code use.
constexpr int kCorruptionMessageRow = 13;
constexpr int kErrorCaptionRow = 21;
constexpr int kDecodingStatusRow = 29;

// Row `id` in the active language with the product placeholders expanded (wide text), or an empty
// text when the table is not loaded or the row or the entry does not exist.
String LanguageString(int id);

// The same row converted to 8-bit text in the active language's code page ("?" for characters that
// do not map), for the 8-bit fatal-error path.
String LanguageStringNarrow(int id);

// True when `format` holds exactly one printf conversion and that conversion is %d (so that it can
// safely be formatted with one int). "%%" counts as a literal percent sign.
bool IsSingleIntFormat(const String &format);
