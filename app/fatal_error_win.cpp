#include "app/fatal_error.h"

#include <windows.h>

#include <cstdarg>

#include "app/command_line.h"
#include "app/error_box_win.h"
#include "app/exit.h"
#include "app/program_win.h"
#include "core/codepage.h"
#include "core/fatal.h"
#include "core/format.h"

namespace {

constexpr int32_t kFormatBufferUnits = 4096;

LONG g_ending = 0;

void DisplayFatalMessage(const char *text)
{
    // The active language's code page arrives with the language table; until then text is ANSI.
    String wide;
    CodePageToWide(String(text), kCodePageAnsi, wide);
    ShowErrorBox(wide);
}

void EndAfterFatalError(int code)
{
    // A fatal error raised by a hook of the first one reaches here first; the orderly exit is still
    // due. Anything after that only ends the process.
    if (InterlockedExchange(&g_ending, 1) != 0)
        ExitProcess(static_cast<UINT>(code));
    ExitInstaller(code);
}

} // namespace

void RegisterFatalErrorHandler()
{
    SetFatalDisplay(DisplayFatalMessage);
    SetProcessEnd(EndAfterFatalError);
}

void FatalError(const char *text) { Fatal(text); }

void FatalError(const char16_t *text)
{
    String ansi;
    CodePageFromWide(String(text), kCodePageAnsi, "?", ansi);
    Fatal(ansi.Bytes());
}

void FatalErrorFormat(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    FatalFormatList(format, args);
}

void FatalErrorFormat(const char16_t *format, ...)
{
    String message;
    va_list args;
    va_start(args, format);
    FormatAppendWideV(message, format, args);
    va_end(args);
    if (message.WideLength() >= kFormatBufferUnits)
        message.Resize((kFormatBufferUnits - 1) * 2);
    FatalError(message.Wide());
}

void ShowUsage(const String &wideText)
{
    FatalError(UsageMessage(wideText, ProgramFileName()).Wide());
}
