// Drivers: the installed INF files handed to the Setup API, each in its own crash guard.
#include <windows.h>

#include "core/system_error_win.h"
#include "core/system_library_win.h"
#include "install/file_step_log.h"
#include "install/files_win.h"

namespace {

constexpr DWORD kMediaTypePath = 1;                  // SPOST_PATH
constexpr DWORD kResultUnits = 260;
constexpr DWORD kNoSignature = 0xE000022F;           // ERROR_NO_CATALOG_FOR_OEM_INF

using CopyOemInf = BOOL(WINAPI *)(const wchar_t *, const wchar_t *, DWORD, DWORD, wchar_t *, DWORD, DWORD *,
                                  wchar_t **);

struct DriverRun {
    CopyOemInf copy;
    const String *path;
    BOOL ok;
    DWORD error;
    wchar_t result[kResultUnits];
};

void CopyDriver(void *context)
{
    DriverRun &run = *static_cast<DriverRun *>(context);
    DWORD required = 0;
    run.result[0] = 0;
    run.ok = run.copy(reinterpret_cast<const wchar_t *>(run.path->Wide()), nullptr, kMediaTypePath, 0,
                      run.result, kResultUnits, &required, nullptr);
    run.error = run.ok ? 0 : GetLastError();
}

} // namespace

void InstallDrivers(FileStepInput &input, FileStepLists &lists)
{
    if (lists.drivers.empty())
        return;
    if (!LoadSystemLibrary(L"setupapi.dll")) {
        StepLog(input, "Cannot install INF files...unable to open Setupapi.dll\r\n");
        return;
    }
    const auto copy = GetSystemFunctionAs<CopyOemInf>(L"setupapi.dll", "SetupCopyOEMInfW");
    if (!copy) {
        StepLog(input, "Cannot install INF files...unable to link to SetupCopyOEMInf()\r\n");
        return;
    }
    for (const String &path : lists.drivers) {
        StepStatus(input, RegistrationStatus(path));
        StepLogWide(input, String::FormatWide(u"Installing driver \"%ls\"...", path.Wide()));
        DriverRun run{copy, &path, FALSE, 0, {}};
        if (!StepGuarded(input, CopyDriver, &run)) {
            StepLog(input, "CRASHED!\r\n");
            continue;
        }
        if (run.ok) {
            const String result(reinterpret_cast<const char16_t *>(run.result));
            if (result.Empty()) {
                StepLog(input, "OK, but resulting filepath is unknown\r\n");
            } else {
                StepLogWide(input, String(u"OK\r\nFinal driver location: ").Append(result).AppendWide(u"\r\n"));
                lists.installedDrivers.push_back(result);
            }
            continue;
        }
        String text = SystemErrorText(run.error);
        if (run.error == kNoSignature && text.StartsWith(String(u"Error ")))
            text = String(u"The INF does not contain digital signature information.");
        StepLogWide(input, String::FormatWide(u"FAILED!  Code 0x%08X: %ls\r\n", unsigned(run.error), text.Wide()));
    }
}
