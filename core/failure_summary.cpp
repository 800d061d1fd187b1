#include "core/failure_summary.h"

#include "core/codepage.h"

namespace {
String g_summary;
}

void AppendToFailureSummary(const String &ansi) { g_summary.Append(ansi); }

void AppendToFailureSummaryWide(const String &wide) { g_summary.Append(NarrowInCodePage(wide, kCodePageAnsi)); }

void AppendFailureEntry(const String &lead, const String &object, const String &reason)
{
    String entry(lead);
    entry.AppendWideChar(u' ').Append(object).AppendWide(u"\r\n").Append(reason).AppendWide(u"\r\n\r\n");
    AppendToFailureSummaryWide(entry);
}

const String &FailureSummary() { return g_summary; }
bool FailureSummaryEmpty() { return g_summary.Empty(); }
void ClearFailureSummary() { g_summary.Clear(); }
