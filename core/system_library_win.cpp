#include "core/system_library_win.h"

#include "core/string.h"

namespace {

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

using SetDefaultDllDirectoriesFn = BOOL(WINAPI *)(DWORD);

// The search flags exist where kernel32 exports AddDllDirectory (the same update brought both).
bool LoaderKnowsSearchFlags()
{
    static const int known = [] {
        HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        return kernel && GetProcAddress(kernel, "AddDllDirectory") ? 1 : 0;
    }();
    return known != 0;
}

} // namespace

void RestrictDllSearchToSystemFolder()
{
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (!kernel)
        return;
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void *>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault)
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Without it, at least take the current folder out of the search order.
    else if (auto setDir = reinterpret_cast<BOOL(WINAPI *)(LPCWSTR)>(
                 reinterpret_cast<void *>(GetProcAddress(kernel, "SetDllDirectoryW"))))
        setDir(L"");
}

HMODULE LoadSystemLibrary(const wchar_t *name)
{
    if (LoaderKnowsSearchFlags())
        return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);

    UINT length = GetSystemDirectoryW(nullptr, 0);
    if (length == 0)
        return nullptr;
    String path;
    path.Resize(static_cast<int32_t>(length * 2));
    UINT got = GetSystemDirectoryW(reinterpret_cast<wchar_t *>(path.MutableWide()), length);
    if (got == 0 || got >= length)
        return nullptr;
    path.Resize(static_cast<int32_t>(got * 2));
    path.AppendWideChar(u'\\');
    path.AppendWide(reinterpret_cast<const char16_t *>(name));
    return LoadLibraryW(reinterpret_cast<const wchar_t *>(path.Wide()));
}

FARPROC GetSystemFunction(const wchar_t *library, const char *function)
{
    HMODULE module = LoadSystemLibrary(library);
    return module ? GetProcAddress(module, function) : nullptr;
}
