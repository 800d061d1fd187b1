// Libraries and functions looked up by name, loaded from the system folder only.
//
// An installer runs elevated from a downloads folder, where a planted DLL named like a system one
// would be found first by a plain LoadLibrary. Every library the program looks up by name comes
// from the system folder: LoadLibraryExW with LOAD_LIBRARY_SEARCH_SYSTEM32 where the loader knows
// the flag (Windows 8, or Vista/7 with KB2533623), else the full path in the system folder.
#pragma once

#include <windows.h>

// Restricts the process's DLL search to the system folder where Windows supports it. Called first
// thing at start-up, before any library is loaded by name.
void RestrictDllSearchToSystemFolder();

// Loads (or finds the already loaded) library NAME from the system folder; null when missing.
HMODULE LoadSystemLibrary(const wchar_t *name);

// Looks up FUNCTION in the system library NAME; null when the library or the function is missing.
// The library stays loaded for the rest of the run.
FARPROC GetSystemFunction(const wchar_t *library, const char *function);

template <typename F>
F GetSystemFunctionAs(const wchar_t *library, const char *function)
{
    return reinterpret_cast<F>(reinterpret_cast<void *>(GetSystemFunction(library, function)));
}
