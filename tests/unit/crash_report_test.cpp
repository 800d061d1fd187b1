#include <gtest/gtest.h>

#include <string>

#include "core/crash_report.h"

namespace {

CrashFacts SampleFacts()
{
    CrashFacts f;
    f.productName = "Kestrival Setup";
    f.productVersion = "36.0";
    f.buildText = "i686";
    f.mainThreadId = 7;
    f.osName = "Windows 10";
    f.browserVersion = "11.0";
    f.language = "English";
    f.locale = 0x409;
    f.codePage = 1252;
    return f;
}

CrashRecord AccessViolation()
{
    CrashRecord r;
    r.code = 0xC0000005;
    r.address = 0x00401A2B;
    r.write = true;
    r.memoryAddress = 0x10;
    r.threadId = 9;
    r.registers = CrashRegisters{0x246, 1, 2, 3, 4, 5, 6, 0x00401A2B, 0x0012FF00, 0x0012FE00,
                                 0x23, 0x2B, 0x2B, 0x53, 0x2B, 0x2B};
    return r;
}

std::string Report(const CrashRecord &r, const CrashFacts &f) { return FormatCrashReport(r, f).Bytes(); }

TEST(CrashReport, AnAccessViolationReportsEverySection)
{
    CrashFacts f = SampleFacts();
    f.addressModule = "C:\\setup.exe";
    f.haveTimes = true;
    f.elapsedTime = "0:00:02.500";
    f.kernelTime = "0:00:00.100";
    f.userTime = "0:00:00.200";
    f.officeName = "Microsoft Office";
    f.officeVersion = "16.0";
    f.earlierOutOfMemory = true;
    f.haveModules = true;
    f.modules.push_back(CrashModule{0x400000, 0x47FFFF, "C:\\setup.exe"});
    f.haveStack = true;
    f.stackFrames.push_back("00401A2B setup.exe!Crash");
    EXPECT_EQ(Report(AccessViolation(), f),
              "Exception: Illegal memory access.\r\n"
              "Product: Kestrival Setup 36.0 i686\r\n"
              "\r\n"
              "Exception code: C0000005\r\n"
              "Address: 00401A2B\r\n"
              "Module: C:\\setup.exe\r\n"
              "Read/write: write\r\n"
              "Memory address: 00000010\r\n"
              "Thread ID: 9  Main Thread: 7\r\n"
              "Process/kernel/user time: 0:00:02.500 / 0:00:00.100 / 0:00:00.200\r\n"
              "OS: Windows 10\r\n"
              "IE: 11.0\r\n"
              "Office: Microsoft Office (16.0)\r\n"
              "Language: English\r\n"
              "Locale: 0x0409  Codepage: 1252\r\n"
              "A previous out-of-memory condition occurred.\r\n"
              "\r\n"
              "CPU Registers:\r\n"
              "Flags: 00000246\r\n"
              "  EAX: 00000001\r\n"
              "  EBX: 00000002\r\n"
              "  ECX: 00000003\r\n"
              "  EDX: 00000004\r\n"
              "  EDI: 00000005\r\n"
              "  ESI: 00000006\r\n"
              "  EIP: 00401A2B\r\n"
              "  EBP: 0012FF00\r\n"
              "  ESP: 0012FE00\r\n"
              "   CS: 0023\r\n"
              "   DS: 002B\r\n"
              "   ES: 002B\r\n"
              "   FS: 0053\r\n"
              "   GS: 002B\r\n"
              "   SS: 002B\r\n"
              "\r\n\r\n"
              "Modules:\r\n"
              "00400000 0047FFFF C:\\setup.exe\r\n"
              "\r\n"
              "Call Stack:\r\n"
              "00401A2B setup.exe!Crash\r\n");
}

TEST(CrashReport, SectionsThatCouldNotBeHadAreLeftOut)
{
    CrashRecord r = AccessViolation();
    r.write = false;
    const std::string report = Report(r, SampleFacts());
    EXPECT_NE(report.find("Read/write: read\r\n"), std::string::npos);
    for (const char *absent : {"Module: ", "Process/kernel/user time", "Office: ", "out-of-memory", "Modules:",
                               "Call Stack:"})
        EXPECT_EQ(report.find(absent), std::string::npos) << absent;

    CrashRecord other = AccessViolation();
    other.code = 0xE0C0FFEE;   // not in the table: an empty name, no access lines
    const std::string unnamed = Report(other, SampleFacts());
    EXPECT_EQ(unnamed.rfind("Exception: \r\nProduct: ", 0), 0u);
    EXPECT_NE(unnamed.find("Exception code: E0C0FFEE\r\n"), std::string::npos);
    EXPECT_EQ(unnamed.find("Read/write"), std::string::npos);
}

TEST(CrashReport, AFatalOutOfMemoryErrorHasNoExceptionLines)
{
    CrashRecord r;
    r.code = kFatalErrorException;
    r.fatalMessage = "Out Of Memory";
    r.threadId = 7;
    CrashFacts f = SampleFacts();
    f.earlierOutOfMemory = true;
    const std::string report = Report(r, f);
    EXPECT_EQ(report.rfind("Fatal error: Out Of Memory\r\nProduct: ", 0), 0u);
    for (const char *absent : {"Exception code:", "Address:", "Module:", "CPU Registers", "EAX", "out-of-memory"})
        EXPECT_EQ(report.find(absent), std::string::npos) << absent;
    // Another fatal message after an allocation failure does get the line.
    r.fatalMessage = "Vector<String>[5]\r\nmax_index = 4";
    EXPECT_NE(Report(r, f).find("A previous out-of-memory condition occurred.\r\n"), std::string::npos);
}

TEST(CrashReport, ExceptionNamesComeFromTheTable)
{
    EXPECT_STREQ(ExceptionName(0xC00000FD), "Stack overflow.");
    EXPECT_STREQ(ExceptionName(0xC0000094), "Integer divide by zero.");
    EXPECT_STREQ(ExceptionName(0xE06D7363), "Visual C++ structured exception handling.");
    EXPECT_STREQ(ExceptionName(0x12345678), "");
    EXPECT_STREQ(FormatCrashDuration(((3600ull + 61) * 1000 + 5) * 10000).Bytes(), "1:01:01.005");
}

TEST(CrashSubmission, EmailAndCommentsGoIntoHeadersAndBodyOnlyWhenGiven)
{
    const String report("Exception: X\r\n");
    CrashSubmission bare = BuildCrashSubmission(report, "setup.exe", "", "", "");
    EXPECT_STREQ(bare.subject.Bytes(), "Exception - Installer 36.0: setup.exe");
    EXPECT_STREQ(bare.headers.Bytes(), "");
    EXPECT_STREQ(bare.body.Bytes(), "Exception: X\r\n");

    CrashSubmission full = BuildCrashSubmission(report, "setup.exe", "X-Product: Demo", "a@b.example", "Clicked Next");
    EXPECT_STREQ(full.headers.Bytes(),
                 "X-Product: Demo\r\nX-Exception-Email: a@b.example\r\nReply-To: a@b.example\r\n");
    EXPECT_STREQ(full.body.Bytes(), "Exception: X\r\n\r\nEmail: a@b.example\r\nComments:\r\nClicked Next");

    EXPECT_STREQ(EncodeCrashForm("crash@kestrival.example", bare).Bytes(),
                 "from=crash%40kestrival.example&body=Exception%3A+X%0D%0A"
                 "&subject=Exception+-+Installer+36.0%3A+setup.exe&headers=");
}

} // namespace
