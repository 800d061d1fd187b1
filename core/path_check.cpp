#include "core/path_check.h"

#include <cstring>

namespace {

template <typename C>
size_t TextLength(const C *text)
{
    size_t n = 0;
    if (text)
        while (text[n])
            ++n;
    return n;
}

template <typename C>
bool IsTrimmed(C c)
{
    return c == ' ' || c == '\r' || c == '\n' || c == '\t';
}

template <typename C>
bool IsDriveLetter(C c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The characters a path may not hold, by the two wildcard bits; ":" is refused everywhere except
// after a drive letter, which the caller skips.
const char *ForbiddenCharacters(uint32_t options)
{
    switch (options & (PathAllowStar | PathAllowQuestion)) {
    case 0:
        return "/\"<>|*?;:";
    case PathAllowStar:
        return "/\"<>|?:;";
    case PathAllowQuestion:
        return "/\"<>|*:;";
    default:
        return "/\"<>|:;";
    }
}

template <typename C>
bool IsForbidden(C c, const char *set)
{
    return c > 0 && static_cast<uint32_t>(c) < 0x80 && std::strchr(set, static_cast<char>(c)) != nullptr;
}

template <typename C>
bool StartsAbsolute(const C *text, size_t begin, size_t end)
{
    while (begin < end && text[begin] == ' ')
        ++begin;
    if (end - begin >= 2 && text[begin] == '\\' && text[begin + 1] == '\\')
        return true;
    return end - begin >= 3 && IsDriveLetter(text[begin]) && text[begin + 1] == ':' &&
           text[begin + 2] == '\\';
}

template <typename C>
bool CheckPath(const C *text, uint32_t options, bool pathText)
{
    size_t begin = 0;
    size_t end = TextLength(text);
    if (options & PathTrimBlanks) {
        while (begin < end && IsTrimmed(text[begin]))
            ++begin;
        while (end > begin && IsTrimmed(text[end - 1]))
            --end;
    } else if (end > 0 && (IsTrimmed(text[0]) || IsTrimmed(text[end - 1]))) {
        return false;
    }
    if (pathText && begin < end && text[begin] == '|')
        ++begin;
    if (begin == end)
        return false;
    // Tested before the quotes come off: a quoted folder that ends in a backslash ("C:\a\") is
    // valid, as stored scripts rely on.
    if (!(options & PathAllowTrailingBackslash) && text[end - 1] == '\\')
        return false;
    if (end - begin >= 2 && text[begin] == '"' && text[end - 1] == '"') {
        ++begin;
        --end;
    }
    // Nothing between the quotes is no path.
    if (begin == end)
        return false;
    if ((options & PathMustBeAbsolute) && !StartsAbsolute(text, begin, end))
        return false;

    size_t from = begin;
    if (end - begin >= 2 && text[begin + 1] == ':') {
        if (!IsDriveLetter(text[begin]))
            return false;
        from = begin + 2;
    }
    const char *forbidden = ForbiddenCharacters(options);
    for (size_t i = from; i < end; ++i)
        if (IsForbidden(text[i], forbidden))
            return false;
    // Two backslashes lead a network path; anywhere else they are an empty folder name.
    for (size_t i = begin + 1; i + 1 < end; ++i)
        if (text[i] == '\\' && text[i + 1] == '\\')
            return false;
    return true;
}

} // namespace

bool IsValidPath(const char16_t *text, uint32_t options) { return CheckPath(text, options, false); }
bool IsValidPath(const char *text, uint32_t options) { return CheckPath(text, options, true); }

bool IsAbsolutePath(const char16_t *text) { return StartsAbsolute(text, 0, TextLength(text)); }

bool IsAbsolutePath(const char *text)
{
    size_t begin = 0;
    const size_t end = TextLength(text);
    while (begin < end && text[begin] == ' ')
        ++begin;
    if (begin < end && text[begin] == '|')
        ++begin;
    return StartsAbsolute(text, begin, end);
}
