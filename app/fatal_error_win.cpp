#include "app/fatal_error.h"

#include <windows.h>

#include <cstdarg>

#include "app/command_line.h"
#include "app/exit.h"
#include "app/program_win.h"
#include "app/run_mode.h"
#include "core/codepage.h"
#include "core/fatal.h"
#include "core/format.h"
#include "setupdata/language.h"
#include "wizard/message_box_win.h"

namespace {

constexpr int32_t kFormatBufferUnits = 4096;

void DisplayFatalMessage(const char *text)
{
    ShowErrorBox(FatalMessageText(text), g_runMode.silent, LanguageString(kErrorCaptionRow));
}

void EndInstaller(int code) { ExitInstaller(code); }

void EndProcessNow(int code) { ExitProcess(static_cast<UINT>(code)); }

} // namespace

// The 8-bit text is in the run's message code page (setupdata/language.h).
String FatalMessageText(const char *text) { return WideFromCodePage(String(text), RunMessageCodePage()); }

void RegisterFatalErrorHandler()
{
    SetFatalDisplay(DisplayFatalMessage);
    SetProcessEnd(EndInstaller);
    SetImmediateProcessEnd(EndProcessNow);
}

void FatalError(const char *text) { Fatal(text); }

void FatalError(const char16_t *text)
{
    // In the page the display reads it back with, so that what maps arrives unchanged.
    Fatal(NarrowInCodePage(String(text), RunMessageCodePage()).Bytes());
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
