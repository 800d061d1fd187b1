#include "uninstall/uninstall_packages_win.h"

#include <windows.h>

#include "core/csv.h"
#include "core/guard_win.h"
#include "core/path_parts.h"
#include "core/path_text.h"
#include "core/system_error_win.h"
#include "core/system_library_win.h"
#include "core/wide_win.h"
#include "uninstall/uninstall_data.h"

namespace {

constexpr UINT kMsiMissing = 120;            // ERROR_CALL_NOT_IMPLEMENTED
constexpr UINT kMsiCrashed = 0x8000FFFF;     // E_UNEXPECTED: the package's code crashed the call
constexpr DWORD kForceDelete = 0x1;          // SUOI_FORCEDELETE
constexpr wchar_t kRemoveCommandLine[] = L"REBOOT=R REMOVE=ALL";

using SetInternalUi = int(WINAPI *)(int, HWND *);
using InstallProduct = UINT(WINAPI *)(const wchar_t *, const wchar_t *);
using UninstallOemInf = BOOL(WINAPI *)(const wchar_t *, DWORD, void *);

String PackagePath(const String &field)
{
    String path = field;
    path.Trim();
    if (path.Length() >= 2 && path.Bytes()[0] == '"' && path.Bytes()[path.Length() - 1] == '"')
        path = String(path.Bytes() + 1, path.Length() - 2);
    return PathTextToWide(path);
}

UINT RemovePackage(const String &package, int level)
{
    const auto setUi = GetSystemFunctionAs<SetInternalUi>(L"msi.dll", "MsiSetInternalUI");
    const auto install = GetSystemFunctionAs<InstallProduct>(L"msi.dll", "MsiInstallProductW");
    if (!setUi || !install)
        return kMsiMissing;
    UINT result = kMsiCrashed;
    RunGuardedCall([&] {
        setUi(level, nullptr);
        result = install(AsWide(package), kRemoveCommandLine);
    });
    return result;
}

} // namespace

void RemoveMsiPackages(UninstallContext &context, const std::vector<String> &lines)
{
    for (const String &line : lines) {
        const std::vector<String> fields = CsvSplit(line);
        if (fields.size() != 2)
            continue;   // not a package line this program wrote
        const String package = PackagePath(fields[0]);
        const UINT result = RemovePackage(package, int(fields[1].ParseInteger()));
        if (result == ERROR_SUCCESS)
            continue;
        context.AddFailure(String::FormatWide(u"Failed to uninstall %ls, code %u: %ls\r\n",
                                              WidePathFileName(package).Wide(), result,
                                              SystemErrorText(DWORD(result)).Wide()));
        g_uninstall.msi.push_back(line);
    }
}

void RemoveDrivers(const std::vector<String> &lines)
{
    if (lines.empty())
        return;
    const auto uninstall = GetSystemFunctionAs<UninstallOemInf>(L"setupapi.dll", "SetupUninstallOEMInfW");
    if (!uninstall)
        return;   // a system without the Setup API has no drivers of ours to remove
    for (const String &line : lines) {
        const String path = PathTextToWide(line);
        if (path.Empty())
            continue;
        const DWORD attributes = GetFileAttributesW(AsWide(path));
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            SetFileAttributesW(AsWide(path), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
        const String name = WidePathFileName(path);
        // Driver removal reports nothing; a crash in a class installer only ends this line.
        RunGuardedCall([&] { uninstall(AsWide(name), kForceDelete, nullptr); });
    }
}
