// The path variables' values on the running Windows: shell folders, registry values, environment
// and system folders, each read afresh on every call.
#include <windows.h>
#include <objbase.h>

#include <utility>

#include "core/path_win.h"
#include "core/registry_win.h"
#include "core/system_library_win.h"
#include "core/wide_win.h"
#include "setupdata/path_variables.h"

namespace {


const char16_t kCurrentVersionKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion";
const char16_t kShellFoldersKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char16_t kSetupKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Setup";
const char16_t kInetStpKey[] = u"SOFTWARE\\Microsoft\\INetStp";

// Known folder identifiers (knownfolders.h), spelled out so that no GUID library is needed.
const GUID kFolderIdProgramFiles = {0x905e63b6, 0xc1bf, 0x494e, {0xb2, 0x9c, 0x65, 0xb7, 0x32, 0xd3, 0xd2, 0x1a}};
const GUID kFolderIdProgramFilesX64 = {0x6d809377, 0x6af0, 0x444b, {0x89, 0x57, 0xa3, 0x77, 0x3f, 0x02, 0x20, 0x0e}};
const GUID kFolderIdProgramFilesCommon = {0xf7f1ed05, 0x9f6d, 0x47a2, {0xaa, 0xae, 0x29, 0xd3, 0x17, 0xc6, 0xf0, 0x66}};
const GUID kFolderIdProgramFilesCommonX64 = {0x6365d5a7, 0x0f0d, 0x45e5, {0x87, 0xf6, 0x0d, 0xa5, 0x6b, 0x6a, 0x4f, 0x7d}};

using SHGetSpecialFolderPathWFn = BOOL(WINAPI *)(HWND, LPWSTR, int, BOOL);
using SHGetKnownFolderPathFn = HRESULT(WINAPI *)(const GUID &, DWORD, HANDLE, PWSTR *);

// Looked up by name at first use, from the system folder's shell32; null when missing.
SHGetSpecialFolderPathWFn SpecialFolderPathFunction()
{
    static const auto function =
        GetSystemFunctionAs<SHGetSpecialFolderPathWFn>(L"shell32.dll", "SHGetSpecialFolderPathW");
    return function;
}

SHGetKnownFolderPathFn KnownFolderPathFunction()
{
    static const auto function =
        GetSystemFunctionAs<SHGetKnownFolderPathFn>(L"shell32.dll", "SHGetKnownFolderPath");
    return function;
}

// A registry text value as stored (REG_SZ or REG_EXPAND_SZ, unexpanded); empty when missing.
String RegistryText(HKEY root, const char16_t *path, const char16_t *name, RegistryView view)
{
    RegistryKey key;
    String value;
    if (key.Open(root, String(path), KEY_QUERY_VALUE, view) != ERROR_SUCCESS ||
        key.ReadString(String(name), value) != ERROR_SUCCESS)
        return String();
    return value;
}

class WindowsPathValueSource final : public PathValueSource {
public:
    String ShellFolder(int csidl) override
    {
        const SHGetSpecialFolderPathWFn function = SpecialFolderPathFunction();
        if (!function)
            return String();
        // The function's contract is a buffer of MAX_PATH characters; it never writes more.
        wchar_t buffer[MAX_PATH + 1] = {};
        if (!function(nullptr, buffer, csidl, FALSE))
            return String();
        return String(FromWide(buffer));
    }

    String KnownFolderPath(KnownFolder folder) override
    {
        const SHGetKnownFolderPathFn function = KnownFolderPathFunction();
        if (!function)
            return String();
        PWSTR path = nullptr;
        const HRESULT result = function(FolderId(folder), 0, nullptr, &path);
        String text;
        if (SUCCEEDED(result) && path)
            text = String(FromWide(path));
        CoTaskMemFree(path);   // owed even when the call fails
        return text;
    }

    // Shell folders and the system's own settings live in the system's registry view; a 32-bit
    // program would otherwise read the WOW6432Node copy, which lacks some of them (INetStp).
    String ShellFoldersValue(bool allUsers, const char16_t *name) override
    {
        return RegistryText(allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, kShellFoldersKey, name,
                            RegistryView::Bits64);
    }

    // ProgramFilesDir and CommonFilesDir name the native folders, which are in the program's own
    // (32-bit) view.
    String CurrentVersionValue(const char16_t *name) override
    {
        return RegistryText(HKEY_LOCAL_MACHINE, kCurrentVersionKey, name, RegistryView::Native);
    }

    String BootDir() override
    {
        return RegistryText(HKEY_LOCAL_MACHINE, kSetupKey, u"BootDir", RegistryView::Bits64);
    }

    String DevicePath() override
    {
        return RegistryText(HKEY_LOCAL_MACHINE, kCurrentVersionKey, u"DevicePath", RegistryView::Bits64);
    }

    String MediaPath() override
    {
        return RegistryText(HKEY_LOCAL_MACHINE, kCurrentVersionKey, u"MediaPath", RegistryView::Bits64);
    }

    String WebRootPath() override
    {
        return RegistryText(HKEY_LOCAL_MACHINE, kInetStpKey, u"PathWWWRoot", RegistryView::Bits64);
    }

    String WindowsFolder() override
    {
        return WindowsFolderPath();
    }

    String SystemFolder() override
    {
        return SystemFolderPath();
    }

    String TempFolder() override
    {
        return TempFolderPath();
    }

    // Starts at 1,024 characters and grows while the name is cut, so a long path stays whole.
    String ModuleFileName() override
    {
        String path;
        for (DWORD size = 1024; size <= 0x10000; size *= 2) {
            path.Resize(static_cast<int32_t>(size) * 2);
            const DWORD got = GetModuleFileNameW(nullptr, AsWide(path.MutableWide()), size);
            if (got == 0)
                break;
            if (got < size) {
                path.Resize(static_cast<int32_t>(got) * 2);
                return path;
            }
        }
        return String();
    }

    // A variable counts when it is set, shorter than 65,536 characters with its terminator, and
    // the second read returns the length that the first announced (it did not change in between).
    String EnvironmentVariable(const char16_t *name) override
    {
        const DWORD announced = GetEnvironmentVariableW(AsWide(name), nullptr, 0);
        if (announced == 0 || announced >= 0x10000)
            return String();
        String value;
        value.Resize(static_cast<int32_t>(announced) * 2);
        const DWORD got = GetEnvironmentVariableW(AsWide(name), AsWide(value.MutableWide()), announced);
        if (got + 1 != announced)
            return String();
        value.Resize(static_cast<int32_t>(got) * 2);
        return value;
    }

    bool ExpandEnvironment(String &text) override
    {
        // A buffer of 32,000 characters of which at most 31,999 (the terminator included) are used.
        constexpr DWORD kBufferUnits = 32000;
        constexpr DWORD kUsableUnits = kBufferUnits - 1;
        String expanded;
        expanded.Resize(static_cast<int32_t>(kBufferUnits) * 2);
        const DWORD needed = ExpandEnvironmentStringsW(AsWide(text), AsWide(expanded.MutableWide()), kUsableUnits);
        if (needed == 0 || needed > kUsableUnits)
            return false;
        int32_t units = 0;
        while (units < static_cast<int32_t>(needed) && expanded.Wide()[units])
            ++units;
        expanded.Resize(units * 2);
        text = std::move(expanded);
        return true;
    }

    bool Is64BitWindows() override
    {
        BOOL wow64 = FALSE;
        return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
    }

    bool IsWindowsNT() override { return (GetVersion() & 0x80000000u) == 0; }

private:
    static const GUID &FolderId(KnownFolder folder)
    {
        switch (folder) {
        case KnownFolder::ProgramFilesX64:
            return kFolderIdProgramFilesX64;
        case KnownFolder::CommonFiles:
            return kFolderIdProgramFilesCommon;
        case KnownFolder::CommonFilesX64:
            return kFolderIdProgramFilesCommonX64;
        case KnownFolder::ProgramFiles:
            break;
        }
        return kFolderIdProgramFiles;
    }
};

} // namespace

PathValueSource &DefaultPathValueSource()
{
    static WindowsPathValueSource source;
    return source;
}
