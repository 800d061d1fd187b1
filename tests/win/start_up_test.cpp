// The ways the setup program ends, each checked in a child process of its own (death tests): the
// crash handler, the fatal-error path with its wide form, and the order of the exit steps.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "app/exit.h"
#include "app/fatal_error.h"
#include "core/crash_win.h"
#include "core/fatal.h"
#include "core/system_library_win.h"

namespace {

// Line breaks come out as "|": the death tests' regular expressions do not match across lines.
void Print(const char *text)
{
    for (const char *c = text; *c; ++c) {
        if (*c != '\r')
            std::fputc(*c == '\n' ? '|' : *c, stderr);
    }
    std::fflush(stderr);
}

void DisplayInBrackets(const char *message)
{
    Print("display[");
    Print(message);
    Print("]");
}

void HookInBrackets(const char *message)
{
    Print("hook[");
    Print(message);
    Print("]");
}

// A raised exception rather than a real fault: under qemu's emulation Wine reports a null write as
// an illegal instruction, and the code in the report would depend on the machine.
TEST(StartUpDeathTest, AnUnhandledExceptionEndsThroughTheFatalPath)
{
    EXPECT_EXIT(
        {
            SetFatalDisplay(DisplayInBrackets);
            InstallCrashHandler();
            RaiseException(0xE0C0FFEE, EXCEPTION_NONCONTINUABLE, 0, nullptr);
        },
        testing::ExitedWithCode(1), "^display\\[The installer stopped because of an unhandled exception.\\|\\|"
                                    "Exception code: 0xE0C0FFEE\\|Address: 0x\\w+\\]$");
}

TEST(StartUpDeathTest, WideFatalErrorIsFormattedAndPassedOnAsAnsiText)
{
    EXPECT_EXIT(
        {
            AddFatalHook(HookInBrackets);
            SetFatalDisplay(DisplayInBrackets);
            FatalErrorFormat(u"Error #%d: %ls", 42, L"Setup \u4e2d");
        },
        testing::ExitedWithCode(1), "^hook\\[Error #42: Setup \\?\\]display\\[Error #42: Setup \\?\\]$");
}

TEST(StartUpDeathTest, ExitStepsRunInTheirOrderThenTheProcessEnds)
{
    EXPECT_EXIT(
        {
            // Registered out of order on purpose: the order is ExitInstaller's, not the callers'.
            SetExitAction(ExitStep::TemporaryLog, [] { Print("log."); });
            SetExitAction(ExitStep::InstallerWindow, [] { Print("window "); });
            SetExitAction(ExitStep::ProgressWindow, [] { Print("progress "); });
            InitializeOle();
            ExitInstaller(7);
        },
        testing::ExitedWithCode(7), "^progress window log.$");
}

TEST(StartUpDeathTest, ExitInsideAnExitStepOnlyEndsTheProcess)
{
    EXPECT_EXIT(
        {
            SetExitAction(ExitStep::ProgressWindow, [] { Print("progress "); });
            SetExitAction(ExitStep::InstallerWindow, [] {
                Print("window ");
                ExitInstaller(9);
            });
            SetExitAction(ExitStep::TemporaryLog, [] { Print("log"); });
            ExitInstaller(1);
        },
        testing::ExitedWithCode(9), "^progress window $");
}

// A copy of this test program, named like a library, beside the program: found by name until the
// search is restricted to the system folder.
TEST(DllSearch, ALibraryBesideTheProgramIsNotLoadedByNameOnceRestricted)
{
    wchar_t self[32768];
    const DWORD length = GetModuleFileNameW(nullptr, self, 32768);
    ASSERT_GT(length, 0u);
    std::wstring planted(self, length);
    planted.replace(planted.find_last_of(L'\\') + 1, std::wstring::npos, L"ks-planted-check.dll");
    ASSERT_TRUE(CopyFileW(self, planted.c_str(), FALSE));

    HMODULE before = LoadLibraryW(L"ks-planted-check.dll");
    EXPECT_NE(before, nullptr);
    if (before)
        FreeLibrary(before);
    RestrictDllSearchToSystemFolder();
    HMODULE after = LoadLibraryW(L"ks-planted-check.dll");
    EXPECT_EQ(after, nullptr);
    if (after)
        FreeLibrary(after);
    DeleteFileW(planted.c_str());
}

} // namespace
