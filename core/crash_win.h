// The process's last word on an unhandled processor exception: a filter for the whole process that
// records the exception, gathers the crash report's facts and hands the record to the program's
// crash handler.
//
// What the filter passes on without a report: breakpoints, single steps, the follow-up of a
// noncontinuable exception and C++ runtime exceptions; a second crash while the handler runs
// (the first one is being reported). A crash on a quiet thread (the notification requests) ends
// the process at once without a report. The guarded install steps catch their own crashes
// (core/guard*); their vectored handler passes everything outside a guard on to this filter.
#pragma once

#include <windows.h>

#include "core/crash_report.h"

// The handler: true when the crash was dealt with (the process then ends), false to leave it to
// the system's default handling.
using CrashHandler = bool (*)(const CrashRecord &record);

// Remembers `handler`, the calling thread as the main thread, and installs the filter.
void InstallCrashHandler(CrashHandler handler);
// The start-up's handler until the installer's crash report is wired in: the exception goes to the
// fatal-error path (its hooks, its message, the orderly exit).
void InstallCrashHandler();

// A thread whose crash ends the process quietly (at most 8; the program starts at most three).
void AddQuietCrashThread(DWORD threadId);

// Identity of the report: product name, version and build text (8-bit), the maker named in the
// dialog, the sender and the address the report is sent to (empty: no sending), extra mail
// headers. The texts must stay valid for the run.
struct CrashReportIdentity {
    const char *productName = "Kestrival Setup";
    const char *productVersion = "36.0";
    const char *buildText = "(gcc " __VERSION__ ")";
    const char *makerName = "the maker of this installer";
    const char *sender = "";
    const char *endpoint = "";      // http:// or https:// address of the report form
    const char *headers = "";
};
void SetCrashReportIdentity(const CrashReportIdentity &identity);
const CrashReportIdentity &GetCrashReportIdentity();

// The record of an exception as the filter makes it (also for tests that build one).
CrashRecord RecordCrash(const EXCEPTION_POINTERS &exception);

// The whole report for `record`: the facts of the process and the system gathered now.
String BuildCrashReport(const CrashRecord &record);

// The context the record was made from (the call stack is walked from it); valid while the
// handler runs.
const CONTEXT *CrashContext();
