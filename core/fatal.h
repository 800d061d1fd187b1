// The fatal-error path of the core library.
//
// A fatal message (formatted into at most 4,095 characters) goes once to each registered fatal-error
// hook, most recently registered first (at most 100, each removed before it is called), then to the
// program's fatal-error display, and the process ends with exit code 1 through the process end. A
// fatal error raised while one is being handled (by a hook, the display or the orderly end) is not
// reported again and does not run the orderly end a second time: the process ends at once with exit
// code 1 through the immediate end.
#pragma once

#include <cstdarg>

using FatalHook = void (*)(const char *message);

// Registers a hook; returns false when 100 are registered already.
bool AddFatalHook(FatalHook hook);
void RemoveFatalHook(FatalHook hook);

// The display that shows the message (the program registers its message box here), the orderly way
// the process ends (the program's exit routine; tests replace it) and the immediate one (ending the
// process without any further step). All may be null: the C library's exit and _Exit stand in.
void SetFatalDisplay(FatalHook display);
using ProcessEnd = void (*)(int code);
void SetProcessEnd(ProcessEnd end);
void SetImmediateProcessEnd(ProcessEnd end);

[[noreturn]] void Fatal(const char *message);
[[noreturn]] void FatalFormat(const char *format, ...) __attribute__((format(printf, 1, 2)));
[[noreturn]] void FatalFormatList(const char *format, va_list args) __attribute__((format(printf, 1, 0)));
