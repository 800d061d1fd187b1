#include "app/installer_crash_win.h"

#include <windows.h>

#include "app/program_win.h"
#include "app/run_mode.h"
#include "core/codepage.h"
#include "core/crash_send_win.h"
#include "core/crash_win.h"
#include "core/failure_summary.h"
#include "install/install_log_finish.h"
#include "wizard/exception_dialog_win.h"
#include "wizard/installer_window_win.h"

namespace {

const char kCrashHeading[] = "\r\n\r\nINSTALLER CRASHED!\r\n";
constexpr DWORD kSendWaitMs = 20000;

// The crash's log: written with the crash as its failure summary, asking nothing. Before the
// settings are known the log has no place and FinishInstallLog writes nothing.
void FinishLogAfterCrash(const String &summary) { FinishInstallLog(summary, false, false); }

CrashLogWriter g_logWriter = FinishLogAfterCrash;

} // namespace

void SetCrashLogWriter(CrashLogWriter writer) { g_logWriter = writer; }

String InstallerCrashText(const String &report)
{
    String text(kCrashHeading);
    text.Append(report);
    return text;
}

bool OnInstallerCrash(const CrashRecord &record)
{
    const String report = BuildCrashReport(record);
    AppendToFailureSummary(InstallerCrashText(report));
    if (g_logWriter)
        g_logWriter(FailureSummary());
    if (g_runMode.silent)
        return false;
    const CrashReportIdentity &identity = GetCrashReportIdentity();
    const bool canSend = identity.sender && *identity.sender && identity.endpoint && *identity.endpoint;
    const ExceptionDialogAnswer answer =
        ShowExceptionDialog(g_program.instance, InstallerWindow(), report, identity.makerName, canSend);
    if (!answer.inform)
        return false;
    String programName;
    CodePageFromWide(ProgramFileName(), kCodePageAnsi, "?", programName);
    const CrashSubmission submission =
        BuildCrashSubmission(report, programName, String(identity.headers), answer.email, answer.comments);
    HCURSOR arrow = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    // Sending failures are not reported: the user has the report in the dialog and the log.
    SendCrashForm(identity.endpoint, EncodeCrashForm(String(identity.sender), submission), kSendWaitMs);
    SetCursor(arrow ? arrow : LoadCursorW(nullptr, IDC_ARROW));
    return true;
}

bool HandleInstallerCrash(const CrashRecord &record)
{
    OnInstallerCrash(record);
    return true;
}
