// The core fatal path, each case in a child process of its own (death tests).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "core/fatal.h"

namespace {

void Print(const char *text)
{
    std::fputs(text, stderr);
    std::fflush(stderr);
}

void OrderlyEnd(int code)
{
    Print("orderly end;");
    std::_Exit(code + 40);
}

void ImmediateEnd(int code)
{
    Print("immediate end;");
    std::_Exit(code);
}

TEST(FatalDeathTest, FirstFatalErrorRunsHooksDisplayAndTheOrderlyEnd)
{
    EXPECT_EXIT(
        {
            SetProcessEnd(OrderlyEnd);
            SetImmediateProcessEnd(ImmediateEnd);
            AddFatalHook([](const char *m) { Print("hook["), Print(m), Print("];"); });
            SetFatalDisplay([](const char *m) { Print("display["), Print(m), Print("];"); });
            Fatal("first");
        },
        testing::ExitedWithCode(41), "^hook\\[first\\];display\\[first\\];orderly end;$");
}

// A fatal error while one is handled (here from a hook, from the display and from the orderly end
// itself, which may be waiting for a thread) only ends the process with exit code 1: it is neither
// shown nor does it run the orderly end again.
TEST(FatalDeathTest, SecondFatalErrorOnlyEndsTheProcessWithExitCode1)
{
    EXPECT_EXIT(
        {
            SetProcessEnd(OrderlyEnd);
            SetImmediateProcessEnd(ImmediateEnd);
            AddFatalHook([](const char *) { Print("hook;"); Fatal("second"); });
            SetFatalDisplay([](const char *m) { Print("display["), Print(m), Print("];"); });
            Fatal("first");
        },
        testing::ExitedWithCode(1), "^hook;immediate end;$");
    EXPECT_EXIT(
        {
            SetProcessEnd(OrderlyEnd);
            SetImmediateProcessEnd(ImmediateEnd);
            SetFatalDisplay([](const char *m) { Print("display["), Print(m), Print("];"); Fatal("again"); });
            Fatal("first");
        },
        testing::ExitedWithCode(1), "^display\\[first\\];immediate end;$");
    EXPECT_EXIT(
        {
            SetProcessEnd([](int) { Print("orderly end;"); Fatal("while ending"); });
            SetImmediateProcessEnd(ImmediateEnd);
            Fatal("first");
        },
        testing::ExitedWithCode(1), "^orderly end;immediate end;$");
    EXPECT_EXIT(
        {
            SetProcessEnd([](int) { Print("orderly end;"); Fatal("while ending"); });
            SetImmediateProcessEnd(nullptr);
            Fatal("first");
        },
        testing::ExitedWithCode(1), "^orderly end;$") << "without an immediate end the C library's _Exit";
}

} // namespace
