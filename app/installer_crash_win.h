// The installer's crash handler: the report goes into the failure summary and the installation
// log, then into the dialog "ExceptionDlg", from which the user may send it.
#pragma once

#include "core/crash_report.h"
#include "core/string.h"

// What the crash does to the installation's log: append `crashText` ("\r\n\r\nINSTALLER CRASHED!\r\n"
// and the report, 8-bit) to the failure summary and write the log with it, not interactively.
// Set by the start-up once the log exists; null (the start state) writes no log.
using CrashLogWriter = void (*)(const String &crashText);
void SetCrashLogWriter(CrashLogWriter writer);

// The text appended to the failure summary for `report`.
String InstallerCrashText(const String &report);

// Builds the report, writes the log, shows the dialog and sends the report when the user asks.
// Returns true when the report was sent. Shows nothing in silent mode.
bool OnInstallerCrash(const CrashRecord &record);
