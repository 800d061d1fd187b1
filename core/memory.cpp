#include "core/memory.h"

#include "core/hook_list.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#include "core/fatal.h"
#include "core/format.h"

namespace {

constexpr int kMaxReleaseHooks = 16;
constexpr int kReallocationRetries = 100;
constexpr long kMaxHookAsks = 50000;
constexpr int kStackWords = 80;
constexpr int kReportSize = 4096;   // the fatal path's message size

const char kDefaultAdvice[] = "Make sure the hard drive is not full.";

HookList<MemoryReleaseHook, kMaxReleaseHooks> g_hooks;
long g_hookAsks = 0;
const char *g_advice = kDefaultAdvice;
Reallocator g_reallocator = nullptr;

// Asks the hooks, most recently registered first, until one frees memory.
bool ReleaseMemory()
{
    for (int i = g_hooks.Count() - 1; i >= 0 && g_hookAsks < kMaxHookAsks; --i) {
        ++g_hookAsks;
        if (g_hooks.At(i)())
            return true;
    }
    return false;
}

void *Reallocate(void *block, size_t size)
{
    return g_reallocator ? g_reallocator(block, size) : std::realloc(block, size);
}

void NewHandler() { OutOfMemory(0); }

} // namespace

bool AddMemoryReleaseHook(MemoryReleaseHook hook) { return g_hooks.Add(hook); }

void RemoveMemoryReleaseHook(MemoryReleaseHook hook) { g_hooks.Remove(hook); }

void InstallOutOfMemoryHandler()
{
    g_advice = kDefaultAdvice;
    std::set_new_handler(NewHandler);
}

void SetOutOfMemoryAdvice(const char *advice) { g_advice = advice ? advice : ""; }

// The stack words are read upward from this function's frame: its return address and the frames
// of its callers, which show where the allocation came from. They are read through a volatile
// pointer and outside the address sanitizer's view, since they lie beyond any one variable.
__attribute__((noinline, no_sanitize("address")))
void OutOfMemory(size_t requested)
{
    if (ReleaseMemory())
        return;
    uint32_t words[kStackWords];
    const volatile uint32_t *stack = static_cast<const volatile uint32_t *>(__builtin_frame_address(0));
    for (int i = 0; i < kStackWords; ++i)
        words[i] = stack[i];
    // Formatted on the stack: there is no memory to format into.
    char report[kReportSize];
    int32_t used = FormatBuffer(report, sizeof report,
                                "%s.\r\nAdvice: %s\r\nRequested size = %zu (0x%08zX)\r\n\r\nStack contents:",
                                "Out Of Memory", g_advice, requested, requested);
    for (int i = 0; i < kStackWords; ++i)
        used += FormatBuffer(report + used, kReportSize - used, "%c%08X", i % 8 == 0 ? '\r' : ' ', words[i]);
    Fatal(report);
}

void *ReallocateOrDie(void *block, size_t size)
{
    if (size == 0)
        size = 1;
    void *result = Reallocate(block, size);
    for (int retry = 0; !result && retry < kReallocationRetries && ReleaseMemory(); ++retry)
        result = Reallocate(block, size);
    // OutOfMemory returns only when a hook freed memory; the hooks' budget bounds the loop.
    while (!result) {
        OutOfMemory(size);
        result = Reallocate(block, size);
    }
    return result;
}

void SetReallocator(Reallocator reallocator) { g_reallocator = reallocator; }
