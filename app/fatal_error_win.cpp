#include "app/fatal_error.h"

#include <windows.h>

#include <cstdarg>
#include <cwchar>

#include "app/ansi_text_win.h"
#include "app/command_line.h"
#include "app/error_box_win.h"
#include "app/exit.h"
#include "app/program_win.h"
#include "core/fatal.h"

namespace {

constexpr int kFormatBufferUnits = 4096;

LONG g_ending = 0;

void DisplayFatalMessage(const char *text)
{
    // The active language's code page arrives with the language table; until then text is ANSI.
    ShowErrorBox(NarrowToWide(String(text), CP_ACP));
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

void FatalError(const char16_t *text) { Fatal(WideToAnsi(String(text)).Bytes()); }

void FatalErrorFormat(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    FatalFormatList(format, args);
}

void FatalErrorFormat(const char16_t *format, ...)
{
    wchar_t message[kFormatBufferUnits];
    va_list args;
    va_start(args, format);
    const int written = std::vswprintf(message, kFormatBufferUnits, reinterpret_cast<const wchar_t *>(format), args);
    va_end(args);
    // vswprintf fails instead of truncating; the message is then cut at the buffer's end.
    if (written < 0)
        message[kFormatBufferUnits - 1] = 0;
    FatalError(reinterpret_cast<const char16_t *>(message));
}

void ShowUsage(const String &wideText)
{
    FatalError(UsageMessage(wideText, ProgramFileName()).Wide());
}
