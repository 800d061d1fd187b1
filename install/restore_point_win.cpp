// The System Restore point around an installation: opened as "application install" before the
// first change, closed as completed at the end, through srclient.dll's SRSetRestorePointW (looked
// up once, from the system folder only).
#include <windows.h>
#include <objbase.h>

#include "core/system_error.h"
#include "core/system_library_win.h"
#include "install/install_log.h"
#include "install/progress.h"
#include "install/sequence_state.h"

namespace {

constexpr int kRestorePointStatusRow = 97;
constexpr DWORD kBeginSystemChange = 100;
constexpr DWORD kEndSystemChange = 101;
constexpr DWORD kApplicationInstall = 0;
constexpr DWORD kServiceDisabled = 1058;   // ERROR_SERVICE_DISABLED: System Restore is off
constexpr int kDescriptionUnits = 256;     // 255 characters and the terminator

// The layout srclient.dll takes (RESTOREPOINTINFOW and STATEMGRSTATUS of srrestoreptapi.h, packed).
#pragma pack(push, 1)
struct RestorePointInfo {
    DWORD eventType;
    DWORD restorePointType;
    INT64 sequenceNumber;
    wchar_t description[kDescriptionUnits];
};
struct RestorePointStatus {
    DWORD status;
    INT64 sequenceNumber;
};
#pragma pack(pop)

using SetRestorePointW = BOOL(WINAPI *)(RestorePointInfo *, RestorePointStatus *);

SetRestorePointW RestorePointFunction(bool &libraryMissing)
{
    libraryMissing = LoadSystemLibrary(L"srclient.dll") == nullptr;
    if (libraryMissing)
        return nullptr;
    return GetSystemFunctionAs<SetRestorePointW>(L"srclient.dll", "SRSetRestorePointW");
}

// Empty when the point was opened, else the reason for the log.
String OpenRestorePoint(const InstallRun &run, int64_t &sequence)
{
    const HRESULT security = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_PRIVACY,
                                                  RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    // RPC_E_TOO_LATE: security was set already for this process, which is what is needed.
    if (FAILED(security) && security != RPC_E_TOO_LATE)
        return String(u"Failed to initialize COM security: ").Append(SystemErrorText(static_cast<uint32_t>(security)));
    bool libraryMissing = false;
    const SetRestorePointW setPoint = RestorePointFunction(libraryMissing);
    if (libraryMissing)
        return String(u"System Restore is not present.");
    if (!setPoint)
        return String(u"SRSetRestorePointW is not present.");
    RestorePointInfo info = {};
    info.eventType = kBeginSystemChange;
    info.restorePointType = kApplicationInstall;
    String description = run.settings.DisplayName;
    if (!run.settings.DisplayVersionWide.Empty())
        description.AppendWideChar(u' ').Append(run.settings.DisplayVersionWide);
    const int32_t units = description.WideLength() < kDescriptionUnits - 1 ? description.WideLength()
                                                                           : kDescriptionUnits - 1;
    for (int32_t i = 0; i < units; ++i)
        info.description[i] = static_cast<wchar_t>(description.Wide()[i]);
    RestorePointStatus status = {};
    if (setPoint(&info, &status)) {
        sequence = status.sequenceNumber;
        return String();
    }
    if (status.status == kServiceDisabled)
        return String(u"System Restore is turned off.");
    return String::FormatWide(u"Failed, code %u: %ls", static_cast<unsigned>(status.status),
                              SystemErrorText(status.status).Wide());
}

} // namespace

void CreateRestorePoint(InstallRun &run)
{
    if (!run.Has2(SequenceFlag2::RestorePoint))
        return;
    ProgressStatusRow(kRestorePointStatusRow);
    LogText("Creating restore point...");
    const String reason = OpenRestorePoint(run, run.restorePointSequence);
    if (reason.Empty()) {
        LogText("OK\r\n");
    } else {
        LogText("FAILED\r\n");
        LogStringW(reason);
        LogText("\r\n");
        // No commit at the end for a point that was never opened.
        run.settings.ProductFlags2 &= ~SequenceFlag2::RestorePoint;
    }
    ProgressStatus(String());
}

void CommitRestorePoint(InstallRun &run)
{
    if (!run.Has2(SequenceFlag2::RestorePoint))
        return;
    bool libraryMissing = false;
    const SetRestorePointW setPoint = RestorePointFunction(libraryMissing);
    RestorePointInfo info = {};
    info.eventType = kEndSystemChange;
    info.restorePointType = kApplicationInstall;
    info.sequenceNumber = run.restorePointSequence;
    RestorePointStatus status = {};
    if (!setPoint || !setPoint(&info, &status))
        LogText("Failed to commit restore point.\r\n");
}
