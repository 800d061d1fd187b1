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

String ModuleFilePath()
{
    // GetModuleFileNameW cuts a path that does not fit without saying how long it is: the buffer
    // grows until the whole path fits.
    String path;
    for (DWORD units = 512; units <= 32768 * 2; units *= 2) {
        path.Resize(static_cast<int32_t>(units) * 2);
        const DWORD got = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t *>(path.MutableWide()), units);
        if (got == 0)
            break;
        if (got < units) {
            path.Resize(static_cast<int32_t>(got) * 2);
            return path;
        }
    }
    path.Clear();
    return path;
}
