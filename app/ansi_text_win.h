// Conversions between wide text and 8-bit text in a Windows code page, for the command line's batch
// additions and the 8-bit fatal-error path.
#pragma once

#include "core/string.h"

// Wide text to the ANSI code page; "?" stands for characters that do not map. Empty when the
// system cannot convert.
String WideToAnsi(const String &wide);

// 8-bit text in `codePage` to wide text. Empty when the system cannot convert.
String NarrowToWide(const String &text, unsigned codePage);
