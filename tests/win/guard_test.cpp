// Crash guards under a real exception dispatcher: a processor exception inside the guarded work
// comes back as a result, the code after the guard runs, and what the work handles itself or what
// is not a processor exception is not taken.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/guard_win.h"

namespace {

void ReadNull(void *)
{
    volatile int *p = nullptr;
    (void)*p;
}

void WriteNull(void *)
{
    volatile int *p = nullptr;
    *p = 7;
}

void DivideByZero(void *)
{
    volatile int zero = 0;
    volatile int x = 5 / zero;
    (void)x;
}

void RaiseNonContinuable(void *) { RaiseException(0xE0000001 | 0xC0000000, EXCEPTION_NONCONTINUABLE, 0, nullptr); }

void Nothing(void *context) { ++*static_cast<int *>(context); }

TEST(CrashGuard, ProcessorExceptionsEndOnlyTheWork)
{
    struct Case {
        const char *name;
        GuardedWork work;
        uint32_t code;
    };
    const Case cases[] = {
        {"read through null", ReadNull, EXCEPTION_ACCESS_VIOLATION},
        {"write through null", WriteNull, EXCEPTION_ACCESS_VIOLATION},
        {"integer division by zero", DivideByZero, EXCEPTION_INT_DIVIDE_BY_ZERO},
        {"non-continuable error", RaiseNonContinuable, 0xE0000001 | 0xC0000000},
    };
    for (const Case &c : cases) {
        const GuardResult r = RunGuarded(c.work, nullptr);
        EXPECT_TRUE(r.crashed) << c.name;
        EXPECT_EQ(r.code, c.code) << c.name;
    }
    // The same guard mechanism is usable again and again after crashes, and the chain is intact:
    // a clean run reports no crash.
    int runs = 0;
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(RunGuarded(Nothing, &runs).crashed);
    EXPECT_EQ(runs, 3);
}

TEST(CrashGuard, NestedGuardsCatchInnermostFirst)
{
    int after = 0;
    const GuardResult outer = RunGuardedCall([&] {
        const GuardResult inner = RunGuardedCall([] { WriteNull(nullptr); });
        EXPECT_TRUE(inner.crashed);
        ++after;                  // the outer work goes on after the inner crash
        ReadNull(nullptr);        // and its own crash is the outer guard's
        ++after;
    });
    EXPECT_TRUE(outer.crashed);
    EXPECT_EQ(after, 1);
}

TEST(CrashGuard, LeavesWhatTheWorkHandlesAndNonErrors)
{
    // Debug output is an informational exception that the system handles: not a crash.
    EXPECT_FALSE(RunGuardedCall([] { OutputDebugStringA("guard test\n"); }).crashed);
    // A C++ exception thrown and caught inside the work stays the work's business.
    int caught = 0;
    EXPECT_FALSE(RunGuardedCall([&] {
        try {
            throw 5;
        } catch (int v) {
            caught = v;
        }
    }).crashed);
    EXPECT_EQ(caught, 5);
}

} // namespace
