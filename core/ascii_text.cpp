#include "core/ascii_text.h"

namespace {

template <typename C>
bool AllBlank(const C *text, int32_t units)
{
    for (int32_t i = 0; i < units; ++i)
        if (!IsBlankUnit(text[i]))
            return false;
    return true;
}

} // namespace

bool IsBlank(const String &narrow) { return AllBlank(narrow.Bytes(), narrow.Length()); }

bool IsBlankWide(const String &wide) { return AllBlank(wide.Wide(), wide.WideLength()); }

std::u16string_view TrimBlanks(std::u16string_view text)
{
    while (!text.empty() && IsBlankUnit(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlankUnit(text.back()))
        text.remove_suffix(1);
    return text;
}

bool StartsWithAsciiNoCase(std::u16string_view text, std::u16string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (AsciiUpper(text[i]) != AsciiUpper(prefix[i]))
            return false;
    return true;
}

bool EqualsAsciiNoCase(std::u16string_view text, std::u16string_view other)
{
    return text.size() == other.size() && StartsWithAsciiNoCase(text, other);
}
