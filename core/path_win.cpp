#include "core/path_win.h"

namespace {

const wchar_t *W(const String &text) { return reinterpret_cast<const wchar_t *>(text.Wide()); }

// The calls below share one contract: asked with a buffer too small they return the size needed
// (terminator included), otherwise the length written (without it), 0 on failure. The text may
// change between two calls, so the query is repeated until it fits.
template <typename Query>
String QuerySystemText(Query query)
{
    String text;
    DWORD units = query(nullptr, 0);
    while (units > 0) {
        text.Resize(static_cast<int32_t>(units) * 2);
        const DWORD got = query(reinterpret_cast<wchar_t *>(text.MutableWide()), units);
        if (got == 0)
            break;
        if (got < units) {
            text.Resize(static_cast<int32_t>(got) * 2);
            return text;
        }
        units = got;
    }
    text.Clear();
    return text;
}

} // namespace

String FullPathOf(const String &path)
{
    String full = QuerySystemText(
        [&](wchar_t *buffer, DWORD units) { return GetFullPathNameW(W(path), units, buffer, nullptr); });
    return full.Empty() ? path : full;
}

String ShortPathOf(const String &path)
{
    return QuerySystemText([&](wchar_t *buffer, DWORD units) { return GetShortPathNameW(W(path), buffer, units); });
}

String WindowsFolderPath()
{
    return QuerySystemText([](wchar_t *buffer, DWORD units) -> DWORD { return GetWindowsDirectoryW(buffer, units); });
}

String EnvironmentText(const wchar_t *name)
{
    return QuerySystemText([&](wchar_t *buffer, DWORD units) { return GetEnvironmentVariableW(name, buffer, units); });
}

bool PathsEqualIgnoringCase(const String &a, const String &b)
{
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE | SORT_STRINGSORT, W(a), a.WideLength(), W(b),
                          b.WideLength()) == CSTR_EQUAL;
}
