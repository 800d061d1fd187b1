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

// A C++ exception that nobody catches ends in std::terminate. libstdc++'s default handler prints
// the demangled type name to stderr, which a GUI program does not have, and links the whole
// demangler (about 40 KB) into the program. This definition takes its place: the failure goes to
// the fatal-error path like every other one.
namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    Fatal("The installer stopped because of an unhandled C++ exception.");
}
} // namespace __gnu_cxx
