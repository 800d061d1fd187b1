#include "core/fatal.h"

#include "core/format.h"

#include <cstdlib>

namespace {

constexpr int kMaxHooks = 100;
constexpr int kMessageSize = 4096;

FatalHook g_hooks[kMaxHooks];
int g_hookCount = 0;
FatalHook g_display = nullptr;
ProcessEnd g_end = nullptr;
bool g_inFatal = false;

[[noreturn]] void EndProcess(int code)
{
    if (g_end)
        g_end(code);
    std::exit(code);
}

} // namespace

bool AddFatalHook(FatalHook hook)
{
    if (g_hookCount >= kMaxHooks)
        return false;
    g_hooks[g_hookCount++] = hook;
    return true;
}

void RemoveFatalHook(FatalHook hook)
{
    for (int i = g_hookCount - 1; i >= 0; --i) {
        if (g_hooks[i] == hook) {
            for (int j = i; j + 1 < g_hookCount; ++j)
                g_hooks[j] = g_hooks[j + 1];
            --g_hookCount;
            return;
        }
    }
}

void SetFatalDisplay(FatalHook display) { g_display = display; }
void SetProcessEnd(ProcessEnd end) { g_end = end; }

void Fatal(const char *message)
{
    if (g_inFatal)
        EndProcess(1);
    g_inFatal = true;
    while (g_hookCount > 0) {
        FatalHook hook = g_hooks[--g_hookCount];
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
