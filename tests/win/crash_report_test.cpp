// The crash filter and the report it builds, on real exceptions (each in a child process of its
// own: death tests).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/crash_win.h"
#include "tests/tools/known_crash.h"

namespace {

void Say(const std::string &text)
{
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

bool Has(const std::string &report, const std::string &piece) { return report.find(piece) != std::string::npos; }

// Checks the report in the child and says what it found: death tests' expressions on Windows know
// no alternatives or classes, so the checks are made here and named in the output.
bool CheckIllegalInstruction(const CrashRecord &record)
{
    const std::string report = BuildCrashReport(record).Bytes();
    char site[16];
    std::snprintf(site, sizeof(site), "%08X",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(&ks_crash_site)));
    Say(report.rfind("Exception: Invalid instruction executed.\r\nProduct: Kestrival Setup 36.0 ", 0) == 0
            ? "first-line "
            : "FIRST-LINE-WRONG ");
    Say(Has(report, "Exception code: C000001D\r\n") ? "code " : "CODE-WRONG ");
    Say(Has(report, std::string("Address: ") + site + "\r\n") ? "address " : "ADDRESS-WRONG ");
    Say(Has(report, std::string("  EIP: ") + site + "\r\n") ? "eip " : "EIP-WRONG ");
    Say(Has(report, "\r\nCPU Registers:\r\nFlags: ") && Has(report, "  EAX: 11111111\r\n") &&
                Has(report, "  ECX: 22222222\r\n") && Has(report, "  EDX: 33333333\r\n")
            ? "registers "
            : "REGISTERS-WRONG ");
    Say(Has(report, "\r\n\r\nModules:\r\n") ? "modules " : "NO-MODULES ");
    Say(Has(report, "\r\nCall Stack:\r\n") ? "stack " : "NO-STACK ");
    Say(Has(report, "Read/write") ? "ACCESS-LINES " : "");
    ExitProcess(3);
}

TEST(CrashReportDeathTest, AnIllegalInstructionIsReportedWithItsAddressAndRegisters)
{
    EXPECT_EXIT(
        {
            InstallCrashHandler(CheckIllegalInstruction);
            CrashWithKnownRegisters();
        },
        testing::ExitedWithCode(3), "^first-line code address eip registers modules stack $");
}

bool CheckAccessViolation(const CrashRecord &record)
{
    const std::string report = BuildCrashReport(record).Bytes();
    Say(report.rfind("Exception: Illegal memory access.\r\n", 0) == 0 ? "first-line " : "FIRST-LINE-WRONG ");
    Say(Has(report, "Read/write: write\r\nMemory address: 00000010\r\n") ? "write " : "WRITE-WRONG ");
    ExitProcess(3);
}

void RaiseWriteViolationAt0x10()
{
    const ULONG_PTR parameters[2] = {1, 0x10};
    RaiseException(0xC0000005, 0, 2, parameters);
}

// The parameters of an access violation, raised with chosen values: write, at address 0x10.
TEST(CrashReportDeathTest, AnAccessViolationSaysWriteAndTheAddress)
{
    EXPECT_EXIT(
        {
            InstallCrashHandler(CheckAccessViolation);
            RaiseWriteViolationAt0x10();
        },
        testing::ExitedWithCode(3), "^first-line write $");
}

} // namespace
