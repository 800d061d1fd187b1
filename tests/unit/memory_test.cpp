#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <new>

#include "core/fatal.h"
#include "core/memory.h"
#include "tests/unit/text_support.h"

namespace {

// Memory "comes back" after `g_pressure` releases.
int g_pressure = 0;
long g_asks = 0;

void *PressuredReallocate(void *block, size_t size) { return g_pressure > 0 ? nullptr : std::realloc(block, size); }
bool ReleaseOne()
{
    ++g_asks;
    if (g_pressure > 0)
        --g_pressure;
    return true;
}
bool ReleaseNothing()
{
    ++g_asks;
    return false;
}

void PrintAsks(const char *) { std::fprintf(stderr, "asks=%ld", g_asks); }

// The report's pattern for a size: the header, then 80 words in ten CR-led rows of eight.
std::string ReportPattern(const char *size)
{
    return std::string("^Out Of Memory\\.\r\nAdvice: Make sure the hard drive is not full\\.\r\n") +
           "Requested size = " + size + "\r\n\r\nStack contents:(\r[0-9A-F]{8}( [0-9A-F]{8}){7}){10}$";
}

class OutOfMemoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_pressure = 0;
        g_asks = 0;
        SetReallocator(PressuredReallocate);
    }
    void TearDown() override
    {
        SetReallocator(nullptr);
        RemoveMemoryReleaseHook(ReleaseOne);
        RemoveMemoryReleaseHook(ReleaseNothing);
    }
};

} // namespace

TEST_F(OutOfMemoryTest, RetriesWhileAReleaseHookFreesMemory)
{
    ASSERT_TRUE(AddMemoryReleaseHook(ReleaseOne));
    const struct {
        int pressure;   // releases needed; above 100 the out-of-memory handler's extra asks carry on
    } cases[] = {{1}, {5}, {150}};
    for (const auto &c : cases) {
        g_pressure = c.pressure;
        g_asks = 0;
        void *block = ReallocateOrDie(nullptr, 16);
        ASSERT_NE(block, nullptr);
        std::free(block);
        EXPECT_EQ(g_asks, c.pressure);
    }
}

using OutOfMemoryDeathTest = OutOfMemoryTest;

TEST_F(OutOfMemoryDeathTest, ReportGoesToTheFatalPathWhenNothingIsFreed)
{
    AddMemoryReleaseHook(ReleaseNothing);
    g_pressure = 1;
    EXPECT_EXIT(
        {
            SetFatalDisplay(WriteFatalMessageToStderr);
            ReallocateOrDie(nullptr, 1234);
        },
        ::testing::ExitedWithCode(1), ReportPattern("1234 \\(0x000004D2\\)"));
}

TEST_F(OutOfMemoryDeathTest, HooksAreAskedAtMost50000TimesPerRun)
{
    // A fresh process, so that no earlier test has used up any of the budget.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SetReallocator(PressuredReallocate);
            AddMemoryReleaseHook(ReleaseOne);
            g_pressure = 1000000;
            SetFatalDisplay(PrintAsks);
            ReallocateOrDie(nullptr, 8);
        },
        ::testing::ExitedWithCode(1), "^asks=50000$");
}

// operator new calls the installed handler when it finds no memory (called directly here: a
// sanitizer's operator new does not call it).
TEST(OutOfMemoryHandlerDeathTest, TheNewHandlerEndsWithTheReport)
{
    EXPECT_EXIT(
        {
            InstallOutOfMemoryHandler();
            SetFatalDisplay(WriteFatalMessageToStderr);
            std::new_handler handler = std::get_new_handler();
            if (handler)
                handler();
        },
        ::testing::ExitedWithCode(1), ReportPattern("0 \\(0x00000000\\)"));
}
