#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/command_line.h"

namespace {

// A stand-in for the ANSI code page: code points below 256 map to their byte, others to "?".
String Latin1(const String &wide)
{
    String out;
    for (int32_t i = 0; i < wide.WideLength(); ++i) {
        const char16_t c = wide.Wide()[i];
        out.AppendByte(c < 0x100 ? static_cast<char>(c) : '?');
    }
    return out;
}

std::u16string W(const String &s) { return std::u16string(s.Wide(), s.WideLength()); }
std::string N(const String &s) { return std::string(s.Bytes(), s.Length()); }

struct Case {
    const char *name;
    const char16_t *line; // the whole command line, program path included
    CommandLineError error;
    const char16_t *atom;
    std::function<void(RunMode &)> expect; // applied to a default RunMode
};

const Case kCases[] = {
    {"program path only", u"\"C:\\Setup Dir\\setup.exe\"", CommandLineError::None, u"", [](RunMode &) {}},
    {"unquoted program path and blanks", u"C:\\setup.exe   \t ", CommandLineError::None, u"", [](RunMode &) {}},
    {"/A", u"setup.exe /A", CommandLineError::None, u"", [](RunMode &m) { m.automatic = true; }},
    {"/a", u"setup.exe /a", CommandLineError::None, u"", [](RunMode &m) { m.automatic = true; }},
    {"-a", u"setup.exe -a", CommandLineError::None, u"", [](RunMode &m) { m.automatic = true; }},
    {"/ab is illegal", u"setup.exe /ab", CommandLineError::IllegalAtom, u"/ab", [](RunMode &) {}},
    {"quoted folder", u"setup.exe /d:\"C:\\Program Files\\X\"", CommandLineError::None, u"",
     [](RunMode &m) { m.folderOverride = u"C:\\Program Files\\X"; }},
    {"unquoted folder", u"setup.exe /D:C:\\X", CommandLineError::None, u"",
     [](RunMode &m) { m.folderOverride = u"C:\\X"; }},
    {"only one pair of quotes is removed", u"setup.exe /d:\"\"C:\\X\"\"", CommandLineError::None, u"",
     [](RunMode &m) { m.folderOverride = u"\"C:\\X\""; }},
    {"an unclosed empty run is a pair", u"setup.exe /n:\"", CommandLineError::None, u"",
     [](RunMode &m) { m.productNameOverride = u""; }},
    {"quoted run inside an atom", u"setup.exe -n:My\" Big \"Product", CommandLineError::None, u"",
     [](RunMode &m) { m.productNameOverride = u"My\" Big \"Product"; }},
    {"/u without a name", u"setup.exe /u", CommandLineError::None, u"",
     [](RunMode &m) { m.uninstallRequested = true; }},
    {"/uninstall:Name gives no name", u"setup.exe /uninstall:Name", CommandLineError::None, u"",
     [](RunMode &m) { m.uninstallRequested = true; }},
    {"/u:Name", u"setup.exe /U:Name", CommandLineError::None, u"",
     [](RunMode &m) {
         m.uninstallRequested = true;
         m.uninstallName = u"Name";
     }},
    {"/u:\"quoted name\"", u"setup.exe /u:\"My Product\"", CommandLineError::None, u"",
     [](RunMode &m) {
         m.uninstallRequested = true;
         m.uninstallName = u"My Product";
     }},
    {"run program with backquotes", u"setup.exe /r:\"notepad.exe `a b`\"", CommandLineError::None, u"",
     [](RunMode &m) { m.runAfterInstall = u"notepad.exe \"a b\""; }},
    {"/r: needs its quote", u"setup.exe /r:notepad.exe", CommandLineError::IllegalAtom, u"/r:notepad.exe",
     [](RunMode &) {}},
    {"batch lines", u"setup.exe /b1:\"echo one~~echo two\"", CommandLineError::None, u"",
     [](RunMode &m) { m.batchAdditions[0] = "echo one\r\necho two"; }},
    {"batch quotes, tildes and code page", u"setup.exe /B2:\"echo `\u00e9\u4e2d`~~~\" -b3:\"x\"",
     CommandLineError::None, u"",
     [](RunMode &m) {
         m.batchAdditions[1] = "echo \"\xe9?\"\r\n~";
         m.batchAdditions[2] = "x";
     }},
    {"/silent", u"setup.exe /Silent", CommandLineError::None, u"",
     [](RunMode &m) { m.silent = m.automatic = true; }},
    {"/min", u"setup.exe -mIn", CommandLineError::None, u"", [](RunMode &m) { m.minimised = true; }},
    {"bare word", u"setup.exe /a foo /silent", CommandLineError::UnexpectedParameter, u"foo",
     [](RunMode &m) { m.automatic = true; }},
    {"options before a bad atom have taken effect", u"setup.exe /silent /zz /min",
     CommandLineError::IllegalAtom, u"/zz", [](RunMode &m) { m.silent = m.automatic = true; }},
    {"empty option is skipped", u"setup.exe / - /min", CommandLineError::None, u"",
     [](RunMode &m) { m.minimised = true; }},
    {"later value replaces earlier", u"setup.exe /d:C:\\One /n:A /d:\"C:\\Two\" /n:B", CommandLineError::None,
     u"",
     [](RunMode &m) {
         m.folderOverride = u"C:\\Two";
         m.productNameOverride = u"B";
     }},
    {"twentieth atom is not read",
     u"setup.exe /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /min /zz", CommandLineError::None, u"",
     [](RunMode &m) { m.automatic = m.minimised = true; }},
    {"nineteenth atom is read", u"setup.exe /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /zz",
     CommandLineError::IllegalAtom, u"/zz", [](RunMode &m) { m.automatic = true; }},
    {"unclosed quote runs to the end", u"setup.exe /d:\"C:\\My Folder", CommandLineError::None, u"",
     [](RunMode &m) { m.folderOverride = u"C:\\My Folder"; }},
};

TEST(CommandLine, ParsesEveryCase)
{
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        RunMode got;
        const CommandLineResult result = ParseCommandLine(c.line, Latin1, got);
        RunMode want;
        c.expect(want);
        EXPECT_EQ(result.error, c.error);
        EXPECT_EQ(W(result.atom), std::u16string(c.atom));
        EXPECT_EQ(got.automatic, want.automatic);
        EXPECT_EQ(got.silent, want.silent);
        EXPECT_EQ(got.minimised, want.minimised);
        EXPECT_EQ(got.uninstallRequested, want.uninstallRequested);
        EXPECT_EQ(W(got.uninstallName), W(want.uninstallName));
        EXPECT_EQ(W(got.folderOverride), W(want.folderOverride));
        EXPECT_EQ(W(got.productNameOverride), W(want.productNameOverride));
        EXPECT_EQ(W(got.runAfterInstall), W(want.runAfterInstall));
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(N(got.batchAdditions[i]), N(want.batchAdditions[i])) << "batch " << i + 1;
    }
}

TEST(CommandLine, ErrorMessagesNameTheAtom)
{
    CommandLineResult result;
    result.atom = String(u"foo");
    result.error = CommandLineError::UnexpectedParameter;
    EXPECT_EQ(W(CommandLineErrorMessage(result)), u"Unexpected command line parameter:\r\nfoo");
    result.atom = String(u"/ab");
    result.error = CommandLineError::IllegalAtom;
    EXPECT_EQ(W(CommandLineErrorMessage(result)), u"Illegal command line atom:\r\n/ab");
}

TEST(CommandLine, UsageMessageNamesTheProgramAfterTheMessage)
{
    const std::u16string usage = W(UsageMessage(String(u"Product name required"), String(u"setup.exe")));
    EXPECT_EQ(usage.rfind(u"Product name required\r\n\r\nUsage:\r\nsetup.exe [/a] [/b1:\"commands\"]", 0), 0u);
    EXPECT_NE(usage.find(u"\r\n/silent\tDisplay no user interface."), std::u16string::npos);
    EXPECT_EQ(usage.find(u"/min"), std::u16string::npos);
}

} // namespace
