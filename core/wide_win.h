// Wide text at a Windows call: the program's wide text is UTF-16 in char16_t units, which the
// Windows headers spell wchar_t (the same 16-bit units on Windows).
#pragma once

#include "core/string.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");

inline const wchar_t *AsWide(const char16_t *text) { return reinterpret_cast<const wchar_t *>(text); }
inline wchar_t *AsWide(char16_t *text) { return reinterpret_cast<wchar_t *>(text); }
inline const wchar_t *AsWide(const String &text) { return AsWide(text.Wide()); }

// The other way, for text the system hands back.
inline const char16_t *FromWide(const wchar_t *text) { return reinterpret_cast<const char16_t *>(text); }
inline char16_t *FromWide(wchar_t *text) { return reinterpret_cast<char16_t *>(text); }
