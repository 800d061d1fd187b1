// Sending a crash report: an HTTP POST of a form to the report address, on a thread of its own so
// that a machine without network never holds the crashed program open for long.
#pragma once

#include <windows.h>

#include "core/string.h"

// POSTs `form` (application/x-www-form-urlencoded, 8-bit) to `endpoint` (an http:// or https://
// address). Waits at most `waitMs` for the answer; true when the server answered with a 2xx status.
bool SendCrashForm(const char *endpoint, const String &form, DWORD waitMs);
