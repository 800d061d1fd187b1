// The one way a step says that something failed: given what failed, on what, and the system error,
// StepFailed writes the log line, adds the failure summary's entry when the caller asks for one and
// gives back the system's text for the error.
//
//   RegistryKey key;
//   const LONG error = key.Create(HKEY_LOCAL_MACHINE, path, KEY_WRITE);
//   if (error != ERROR_SUCCESS)
//       return StepFailed(u"Failed to create registry key", path, error, LanguageString(31)), false;
//
//   if (!file.Write(data, size))
//       StepFailed(u"Failed to write file", path, file.LastError());
//
// The log line is `what "object": text` and a line end (`what: text` without an object); the
// summary's entry is the common "%s %s\r\n%s\r\n\r\n" one: `summaryLead`, the object, the text.
// Steps whose Part gives a log line or entry of another shape write it themselves, with
// SystemError::Describe for the text and core/failure_summary.h for the entry.
#pragma once

#include "core/string.h"
#include "core/system_error.h"

// Where the log lines go (wide text; the installation log sets it). Null, the start state, drops
// them.
using StepLogSink = void (*)(const String &wideLine);
void SetStepLogSink(StepLogSink sink);

// `what` and the object are wide; returns the error's text. An empty `summaryLead` adds nothing to
// the failure summary.
String StepFailed(const char16_t *what, const String &object, const SystemError &error,
                  const String &summaryLead = String());

// The log line StepFailed writes, for callers that put it elsewhere.
String StepFailureLine(const char16_t *what, const String &object, const String &errorText);
