// Corruption of the setup data ends the run: the corruption message with a numeric code goes to
// the fatal-error path (exit code 1; nothing is shown in silent mode). The codes are listed in the
// README's table of corruption codes.
#pragma once

#include "core/string.h"

[[noreturn]] void ReportCorruption(int code);

// The built-in corruption message (a printf format taking the code), used when the message source
// gives no text of its own for it.
extern const char kBuiltInCorruptionMessage[];

// Where the message comes from: a function giving the 8-bit translated format (the start-up names
// the language table's row 13). Its text is used only when it holds exactly one conversion and that
// one is %d; without a source, or when it gives nothing usable, the built-in message stands.
using CorruptionMessageSource = String (*)();
void SetCorruptionMessageSource(CorruptionMessageSource source);

// Test seam: when set, ReportCorruption hands the code to this function instead of the fatal-error
// path. The handler must not return (a test handler throws).
using CorruptionHandler = void (*)(int code);
void SetCorruptionHandler(CorruptionHandler handler);
