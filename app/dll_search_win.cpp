#include "app/dll_search_win.h"

#include <windows.h>

bool RestrictDllSearchToSystemFolder()
{
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI *)(DWORD);
    // kernel32 is mapped into every process; looking it up by handle loads nothing.
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto setDefaultDllDirectories = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void *>(GetProcAddress(kernel, "SetDefaultDllDirectories"))) : nullptr;
    if (setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return true;
    return SetDllDirectoryW(L"") != FALSE;
}
