// Wide texts in tests: built from char16_t literals, shown as UTF-8 when a check fails.
#pragma once

#include <string>

#include "core/codepage.h"
#include "core/string.h"

inline String Wd(const char16_t *text) { return String(text); }

// The wide text as UTF-8, for readable comparisons.
inline std::string Utf8(const String &wide)
{
    String bytes;
    CodePageFromWide(wide, kCodePageUtf8, nullptr, bytes);
    return std::string(bytes.Bytes(), static_cast<size_t>(bytes.Length()));
}

// A UTF-8 literal as wide text.
inline String WideFrom(const char *utf8)
{
    String wide;
    CodePageToWide(String(utf8), kCodePageUtf8, wide);
    return wide;
}
