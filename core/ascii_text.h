// Blanks and ASCII case, the same for 8-bit and wide text: the tests the command line, the
// settings and the uninstaller make on names and values (case rules beyond ASCII: core/text_case.h).
//
// A blank is a space, a tab, a CR or an LF (the characters of kTrimSet).
#pragma once

#include <cstdint>
#include <string_view>

#include "core/string.h"

template <typename C>
constexpr bool IsBlankUnit(C c)
{
    return c == C(' ') || c == C('\t') || c == C('\r') || c == C('\n');
}

template <typename C>
constexpr C AsciiUpper(C c)
{
    return c >= C('a') && c <= C('z') ? C(c - 32) : c;
}

template <typename C>
constexpr C AsciiLower(C c)
{
    return c >= C('A') && c <= C('Z') ? C(c + 32) : c;
}

// Empty or blanks only.
bool IsBlank(const String &narrow);
bool IsBlankWide(const String &wide);

// Without the blanks at either end.
std::u16string_view TrimBlanks(std::u16string_view text);

// Equal, or starting with `prefix`, when ASCII letters are compared without their case.
bool EqualsAsciiNoCase(std::u16string_view text, std::u16string_view other);
bool StartsWithAsciiNoCase(std::u16string_view text, std::u16string_view prefix);

inline std::u16string_view WideView(const String &wide)
{
    return std::u16string_view(wide.Wide(), static_cast<size_t>(wide.WideLength()));
}
