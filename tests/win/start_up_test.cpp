// The ways the setup program ends, each checked in a child process of its own (death tests): the
// crash handler, the fatal-error path with its wide form, and the order of the exit steps.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "app/exit.h"
#include "app/fatal_error.h"
#include "core/codepage.h"
#include "core/crash_win.h"
#include "core/fatal.h"
#include "core/system_library_win.h"
#include "setupdata/language.h"

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

// The fatal path carries its message as 8-bit text in the active language's code page: a Cyrillic
// message reaches the box whole, where the ANSI code page of an English system made it "?".
TEST(FatalPathCodePage, MessagesTravelInTheActiveLanguagesCodePage)
{
    const String cyrillic(u"\u041e\u0448\u0438\u0431\u043a\u0430 13");
    LanguageTable table;
    table.names = {String(u"English"), String(u"Russian")};
    table.rows.assign(14, {String(u"x"), String(u"y")});
    table.rows[13][1] = cyrillic;
    SetActiveLanguage(table, 1);
    SetRunLanguage(&table, nullptr);
    const String narrow = LanguageStringNarrow(kCorruptionMessageRow);
    EXPECT_EQ(RunMessageCodePage(), kCodePageUtf8);
    EXPECT_EQ(FatalMessageText(narrow.Bytes()), cyrillic);
    // Without a table the ANSI code page stands, as before the settings are read.
    SetRunLanguage(nullptr, nullptr);
    EXPECT_EQ(FatalMessageText("plain"), String(u"plain"));
    EXPECT_EQ(RunMessageCodePage(), kCodePageAnsi);
}

TEST(StartUpDeathTest, WideFatalErrorUsesTheActiveLanguagesCodePage)
{
    EXPECT_EXIT(
        {
            static LanguageTable table;
            table.names = {String(u"Russian")};
            table.rows = {{String(u"\u041e\u0448\u0438\u0431\u043a\u0430")}};
            SetActiveLanguage(table, 0);
            SetRunLanguage(&table, nullptr);
            AddFatalHook([](const char *message) {
                Print("hook[");
                Print(FatalMessageText(message) == String(u"Error \u0416") ? "whole" : "damaged");
                Print("]");
            });
            FatalErrorFormat(u"Error %ls", L"\u0416");
        },
        testing::ExitedWithCode(1), "^hook\\[whole\\]$");
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
