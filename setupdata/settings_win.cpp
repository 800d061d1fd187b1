#include "setupdata/settings_win.h"

#include <windows.h>

#include "core/system_library_win.h"
#include "setupdata/path_variables.h"

namespace {

using RtlGetVersionFn = LONG(WINAPI *)(OSVERSIONINFOEXW *);
using WineGetVersionFn = const char *(CDECL *)(void);
using Wow64DisableFn = BOOL(WINAPI *)(PVOID *);

// Held for the run: a 64-bit installation keeps redirection off until the process ends.
PVOID g_redirectionOldValue = nullptr;

// Wine exports its version from ntdll; Windows does not.
bool RunsUnderWine()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll)
        return false;
    auto wineVersion = reinterpret_cast<WineGetVersionFn>(reinterpret_cast<void *>(GetProcAddress(ntdll, "wine_get_version")));
    return wineVersion && wineVersion();
}

// RtlGetVersion reports the real version whatever the manifest says, unlike GetVersionExW.
bool QueryWindowsVersion(WindowsVersion &version)
{
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto rtlGetVersion = ntdll ? reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void *>(GetProcAddress(ntdll, "RtlGetVersion")))
                               : nullptr;
    if (!rtlGetVersion || rtlGetVersion(&info) != 0) {
        info = {};
        info.dwOSVersionInfoSize = sizeof info;
        if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW *>(&info)))
            return false;
    }
    version.platform = info.dwPlatformId;
    version.major = info.dwMajorVersion;
    version.minor = info.dwMinorVersion;
    version.build = info.dwBuildNumber;
    version.workstation = info.wProductType == VER_NT_WORKSTATION;
    return true;
}

bool DisableFsRedirection()
{
    auto disable = GetSystemFunctionAs<Wow64DisableFn>(L"kernel32.dll", "Wow64DisableWow64FsRedirection");
    return disable && disable(&g_redirectionOldValue);
}

String WindowsFolder() { return DefaultPathValueSource().WindowsFolder(); }

String ProgramFilesForView(bool view64) { return ProgramFilesFolder(view64 ? kFilesView64 : kFilesView32); }

} // namespace

void RestoreFsRedirection()
{
    using RevertFn = BOOL(WINAPI *)(PVOID);
    auto revert = GetSystemFunctionAs<RevertFn>(L"kernel32.dll", "Wow64RevertWow64FsRedirection");
    // Called once at the end of a 64-bit installation; a system without the function never had
    // redirection switched off.
    if (revert)
        (void)revert(g_redirectionOldValue);
}

bool RunningWindowsVersion(WindowsVersion &version) { return QueryWindowsVersion(version); }

SettingsHooks WindowsSettingsHooks()
{
    SettingsHooks hooks;
    hooks.runsUnderWine = RunsUnderWine;
    hooks.windowsVersion = QueryWindowsVersion;
    hooks.disableFsRedirection = DisableFsRedirection;
    hooks.windowsFolder = WindowsFolder;
    hooks.programFilesFolder = ProgramFilesForView;
    return hooks;
}
