#include "core/system_library_win.h"

#include "core/path_win.h"
#include "core/string.h"
#include "core/wide_win.h"

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

    String path = SystemFolderPath();
    if (path.Empty())
        return nullptr;
    path.AppendWideChar(u'\\');
    path.AppendWide(FromWide(name));
    return LoadLibraryW(AsWide(path));
}

FARPROC GetSystemFunction(const wchar_t *library, const char *function)
{
    HMODULE module = LoadSystemLibrary(library);
    return module ? GetProcAddress(module, function) : nullptr;
}
