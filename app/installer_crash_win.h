// The installer's crash handler: the report goes into the failure summary and the installation
// log, then into the dialog "ExceptionDlg", from which the user may send it.
#pragma once

#include "core/crash_report.h"
#include "core/string.h"

// Writes the installation log, not interactively, with `failureSummary` (which then ends with the
// crash). The start state is FinishInstallLog(summary, false, false); null writes no log.
using CrashLogWriter = void (*)(const String &failureSummary);
void SetCrashLogWriter(CrashLogWriter writer);

// The text appended to the failure summary for `report`.
String InstallerCrashText(const String &report);

// Builds the report, appends "\r\n\r\nINSTALLER CRASHED!\r\n" and the report to the failure
// summary, writes the log, shows "ExceptionDlg" (not in silent mode) and sends the report when
// the user chose "Inform Us". Returns true when the user chose to send it.
bool OnInstallerCrash(const CrashRecord &record);

// The process-wide filter's handler: OnInstallerCrash, then "handled" whatever the user chose, so
// that the process ends here. Leaving an "Exit" to the system's default handling would show the
// user a second crash dialog (and under Wine start its debugger).
bool HandleInstallerCrash(const CrashRecord &record);
