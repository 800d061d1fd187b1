// The failure summary: what went wrong during the installation, one entry per failed step, shown
// and logged at the end. Process-wide, 8-bit text in the ANSI code page; steps add to it through
// StepFailed (core/step_failure.h) or, for the entries of their own shape, directly here.
#pragma once

#include "core/string.h"

// 8-bit text in the ANSI code page, appended as it stands.
void AppendToFailureSummary(const String &ansi);
// Wide text, converted to the ANSI code page ("?" for characters it lacks).
void AppendToFailureSummaryWide(const String &wide);
// The common entry "%s %s\r\n%s\r\n\r\n": `lead` (a language text, say), a blank, `object`, a line
// break, `reason`, a blank line. All three wide.
void AppendFailureEntry(const String &lead, const String &object, const String &reason);

const String &FailureSummary();
bool FailureSummaryEmpty();
void ClearFailureSummary();   // for tests
