#include "core/path_win.h"
#include "core/wide_win.h"

namespace {

} // namespace

String FullPathOf(const String &path)
{
    String full = QuerySystemText(
        [&](wchar_t *buffer, DWORD units) { return GetFullPathNameW(AsWide(path), units, buffer, nullptr); });
    return full.Empty() ? path : full;
}

String ShortPathOf(const String &path)
{
    return QuerySystemText([&](wchar_t *buffer, DWORD units) { return GetShortPathNameW(AsWide(path), buffer, units); });
}

String WindowsFolderPath()
{
    return QuerySystemText([](wchar_t *buffer, DWORD units) -> DWORD { return GetWindowsDirectoryW(buffer, units); });
}

String SystemFolderPath()
{
    return QuerySystemText([](wchar_t *buffer, DWORD units) -> DWORD { return GetSystemDirectoryW(buffer, units); });
}

String TempFolderPath()
{
    return QuerySystemText([](wchar_t *buffer, DWORD units) -> DWORD { return GetTempPathW(units, buffer); });
}

String EnvironmentText(const wchar_t *name)
{
    return QuerySystemText([&](wchar_t *buffer, DWORD units) { return GetEnvironmentVariableW(name, buffer, units); });
}

bool PathsEqualIgnoringCase(const String &a, const String &b)
{
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE | SORT_STRINGSORT, AsWide(a), a.WideLength(), AsWide(b),
                          b.WideLength()) == CSTR_EQUAL;
}
