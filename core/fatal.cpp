#include "core/fatal.h"

#include "core/format.h"
#include "core/hook_list.h"

#include <cstdlib>

namespace {

constexpr int kMaxHooks = 100;
constexpr int kMessageSize = 4096;

HookList<FatalHook, kMaxHooks> g_hooks;
FatalHook g_display = nullptr;
ProcessEnd g_end = nullptr;
ProcessEnd g_immediateEnd = nullptr;
bool g_inFatal = false;

[[noreturn]] void EndProcess(int code)
{
    if (g_end)
        g_end(code);
    std::exit(code);
}

// The orderly end may wait (for the notification thread, say); a second fatal error must not.
[[noreturn]] void EndProcessNow(int code)
{
    if (g_immediateEnd)
        g_immediateEnd(code);
    std::_Exit(code);
}

} // namespace

bool AddFatalHook(FatalHook hook) { return g_hooks.Add(hook); }

void RemoveFatalHook(FatalHook hook) { g_hooks.Remove(hook); }

void SetFatalDisplay(FatalHook display) { g_display = display; }
void SetProcessEnd(ProcessEnd end) { g_end = end; }
void SetImmediateProcessEnd(ProcessEnd end) { g_immediateEnd = end; }

void Fatal(const char *message)
{
    if (g_inFatal)
        EndProcessNow(1);
    // A test's seam may leave by an exception instead of ending the process; the next fatal error
    // is then a first one again.
    struct InFatal {
        InFatal() { g_inFatal = true; }
        ~InFatal() { g_inFatal = false; }
    } inFatal;
    while (g_hooks.Count() > 0) {
        FatalHook hook = g_hooks.PopLatest();
        hook(message);
    }
    if (g_display)
        g_display(message);
    EndProcess(1);
}

void FatalFormat(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    FatalFormatList(format, args);
}

void FatalFormatList(const char *format, va_list args)
{
    char message[kMessageSize];
    FormatBufferV(message, sizeof message, format, args);
    Fatal(message);
}
