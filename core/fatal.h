// The fatal-error path of the core library.
//
// A fatal message (formatted into at most 4,095 characters) goes once to each registered fatal-error
// hook, most recently registered first (at most 100, each removed before it is called), then to the
// program's fatal-error display, and the process ends with exit code 1. A fatal error raised while
// one is being handled is not reported again: the process only ends with exit code 1.
#pragma once

#include <cstdarg>

using FatalHook = void (*)(const char *message);

// Registers a hook; returns false when 100 are registered already.
bool AddFatalHook(FatalHook hook);
void RemoveFatalHook(FatalHook hook);

// The display that shows the message (the program registers its message box here) and the way the
// process ends (ExitProcess in the program; tests replace it). Both may be null.
void SetFatalDisplay(FatalHook display);
using ProcessEnd = void (*)(int code);
void SetProcessEnd(ProcessEnd end);

[[noreturn]] void Fatal(const char *message);
[[noreturn]] void FatalFormat(const char *format, ...) __attribute__((format(printf, 1, 2)));
[[noreturn]] void FatalFormatList(const char *format, va_list args) __attribute__((format(printf, 1, 0)));
