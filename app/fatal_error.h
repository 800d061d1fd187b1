// The program's fatal-error path, built on the core one (core/fatal.h): the registered hooks run,
// the message is shown in an error box (not in silent mode), and ExitInstaller(1) ends the run.
// It runs once: a fatal error while one is being handled only ends the process with exit code 1.
//
// The message travels as 8-bit text in the run's message code page (RunMessageCodePage: the ANSI
// code page, or the active language's when it needs one of its own): the wide forms convert to it
// ("?" for what does not map) and the display converts back with it. Code without
// the Windows API calls core/fatal.h's Fatal and FatalFormat, which take the same path.
#pragma once

#include "core/string.h"

// Start-up: from here on a fatal error shows its box and ends through ExitInstaller.
void RegisterFatalErrorHandler();

// The wide text the box shows for the 8-bit message `text` (read in the run's message code page).
String FatalMessageText(const char *text);

[[noreturn]] void FatalError(const char *text);
[[noreturn]] void FatalError(const char16_t *text);

// printf-style (core/format.h), formatted into at most 4,095 characters.
[[noreturn]] void FatalErrorFormat(const char *format, ...) __attribute__((format(printf, 1, 2)));
[[noreturn]] void FatalErrorFormat(const char16_t *format, ...);

// The fatal error for a command line that cannot be used: `wideText` followed by the usage text.
[[noreturn]] void ShowUsage(const String &wideText);
