// Corruption of the setup data ends the run: the corruption message with a numeric code goes to
// the fatal-error path (exit code 1; nothing is shown in silent mode). The codes are listed in the
// README's table of corruption codes.
#pragma once

[[noreturn]] void ReportCorruption(int code);

// The built-in corruption message (a printf format taking the code), used when the language table
// has no text of its own for it.
extern const char kBuiltInCorruptionMessage[];

// Test seam: when set, ReportCorruption hands the code to this function instead of the fatal-error
// path. The handler must not return (a test handler throws).
using CorruptionHandler = void (*)(int code);
void SetCorruptionHandler(CorruptionHandler handler);
