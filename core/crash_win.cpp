#include "core/crash_win.h"

#include <windows.h>

#include "core/fatal.h"

namespace {

LONG WINAPI ReportUnhandledException(EXCEPTION_POINTERS *exception)
{
    const EXCEPTION_RECORD *record = exception->ExceptionRecord;
    FatalFormat("The installer stopped because of an unhandled exception.\r\n\r\n"
                "Exception code: 0x%08lX\r\nAddress: 0x%08lX",
                static_cast<unsigned long>(record->ExceptionCode),
                static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(record->ExceptionAddress)));
}

} // namespace

void InstallCrashHandler() { SetUnhandledExceptionFilter(ReportUnhandledException); }
