#include <gtest/gtest.h>

#include <string>

#include "app/command_line.h"

namespace {

std::u16string W(const String &s) { return std::u16string(s.Wide(), s.WideLength()); }
std::string N(const String &s) { return std::string(s.Bytes(), s.Length()); }

// What a command line changes, applied to the default values.
using Expect = void (*)(RunMode &, CommandLineOverrides &);

struct Case {
    const char *name;
    const char16_t *line; // the whole command line, program path included
    CommandLineError error;
    const char16_t *atom;
    Expect expect;
};

// The host build's ANSI code page is 1252: e-acute is one byte there, a CJK character is "?".
const Case kCases[] = {
    {"program path only", u"\"C:\\Setup Dir\\setup.exe\"", CommandLineError::None, u"",
     [](RunMode &, CommandLineOverrides &) {}},
    {"unquoted program path and blanks", u"C:\\setup.exe   \t ", CommandLineError::None, u"",
     [](RunMode &, CommandLineOverrides &) {}},
    {"/A", u"setup.exe /A", CommandLineError::None, u"", [](RunMode &m, CommandLineOverrides &) { m.automatic = true; }},
    {"/a", u"setup.exe /a", CommandLineError::None, u"", [](RunMode &m, CommandLineOverrides &) { m.automatic = true; }},
    {"-a", u"setup.exe -a", CommandLineError::None, u"", [](RunMode &m, CommandLineOverrides &) { m.automatic = true; }},
    {"/ab is illegal", u"setup.exe /ab", CommandLineError::IllegalAtom, u"/ab",
     [](RunMode &, CommandLineOverrides &) {}},
    {"quoted folder", u"setup.exe /d:\"C:\\Program Files\\X\"", CommandLineError::None, u"",
     [](RunMode &, CommandLineOverrides &o) {
         o.installFolder = u"C:\\Program Files\\X";
         o.installFolderText = "C:\\Program Files\\X";
     }},
    {"unquoted folder", u"setup.exe /D:C:\\X", CommandLineError::None, u"",
     [](RunMode &, CommandLineOverrides &o) {
         o.installFolder = u"C:\\X";
         o.installFolderText = "C:\\X";
     }},
    {"folder outside ASCII", u"setup.exe /d:C:\\Caf\u00e9", CommandLineError::None, u"",
     [](RunMode &, CommandLineOverrides &o) {
         o.installFolder = u"C:\\Caf\u00e9";
         o.installFolderText = "|C:\\Caf\xc3\xa9";
     }},
    {"only one pair of quotes is removed", u"setup.exe /d:\"\"C:\\X\"\"", CommandLineError::None, u"",
     [](RunMode &, CommandLineOverrides &o) {
         o.installFolder = u"\"C:\\X\"";
         o.installFolderText = "\"C:\\X\"";
     }},
    {"an unclosed empty run is a pair of quotes", u"setup.exe /n:\"", CommandLineError::None, u"",
     [](RunMode &, CommandLineOverrides &) {}},
    {"quoted run inside an atom", u"setup.exe -n:My\" Big \"Product", CommandLineError::None, u"",
     [](RunMode &, CommandLineOverrides &o) { o.productName = u"My\" Big \"Product"; }},
    {"/u without a name", u"setup.exe /u", CommandLineError::None, u"",
     [](RunMode &m, CommandLineOverrides &) { m.uninstall = true; }},
    {"/uninstall:Name gives no name", u"setup.exe /uninstall:Name", CommandLineError::None, u"",
     [](RunMode &m, CommandLineOverrides &) { m.uninstall = true; }},
    {"/u:Name", u"setup.exe /U:Name", CommandLineError::None, u"",
     [](RunMode &m, CommandLineOverrides &) {
         m.uninstall = true;
         m.uninstallProduct = u"Name";
     }},
    {"/u:\"quoted name\"", u"setup.exe /u:\"My Product\"", CommandLineError::None, u"",
     [](RunMode &m, CommandLineOverrides &) {
         m.uninstall = true;
         m.uninstallProduct = u"My Product";
     }},
    {"run program with backquotes", u"setup.exe /r:\"notepad.exe `a b`\"", CommandLineError::None, u"",
     [](RunMode &, CommandLineOverrides &o) { o.runAfterInstall = u"notepad.exe \"a b\""; }},
    {"/r: needs its quote", u"setup.exe /r:notepad.exe", CommandLineError::IllegalAtom, u"/r:notepad.exe",
     [](RunMode &, CommandLineOverrides &) {}},
    {"batch lines", u"setup.exe /b1:\"echo one~~echo two\"", CommandLineError::None, u"",
     [](RunMode &, CommandLineOverrides &o) { o.batchAdditions[0] = "echo one\r\necho two"; }},
    {"batch quotes, tildes and code page", u"setup.exe /B2:\"echo `\u00e9\u4e2d`~~~\" -b3:\"x\"",
     CommandLineError::None, u"",
     [](RunMode &, CommandLineOverrides &o) {
         o.batchAdditions[1] = "echo \"\xe9?\"\r\n~";
         o.batchAdditions[2] = "x";
     }},
    {"/silent", u"setup.exe /Silent", CommandLineError::None, u"",
     [](RunMode &m, CommandLineOverrides &) { m.silent = m.automatic = true; }},
    {"/min", u"setup.exe -mIn", CommandLineError::None, u"",
     [](RunMode &m, CommandLineOverrides &) { m.minimised = true; }},
    {"bare word", u"setup.exe /a foo /silent", CommandLineError::UnexpectedParameter, u"foo",
     [](RunMode &m, CommandLineOverrides &) { m.automatic = true; }},
    {"options before a bad atom have taken effect", u"setup.exe /silent /zz /min", CommandLineError::IllegalAtom,
     u"/zz", [](RunMode &m, CommandLineOverrides &) { m.silent = m.automatic = true; }},
    {"empty option is skipped", u"setup.exe / - /min", CommandLineError::None, u"",
     [](RunMode &m, CommandLineOverrides &) { m.minimised = true; }},
    {"later value replaces earlier", u"setup.exe /d:C:\\One /n:A /d:\"C:\\Two\" /n:B", CommandLineError::None, u"",
     [](RunMode &, CommandLineOverrides &o) {
         o.installFolder = u"C:\\Two";
         o.installFolderText = "C:\\Two";
         o.productName = u"B";
     }},
    {"twentieth atom is not read", u"setup.exe /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /min /zz",
     CommandLineError::None, u"", [](RunMode &m, CommandLineOverrides &) { m.automatic = m.minimised = true; }},
    {"nineteenth atom is read", u"setup.exe /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /a /zz",
     CommandLineError::IllegalAtom, u"/zz", [](RunMode &m, CommandLineOverrides &) { m.automatic = true; }},
    {"unclosed quote runs to the end", u"setup.exe /d:\"C:\\My Folder", CommandLineError::None, u"",
     [](RunMode &, CommandLineOverrides &o) {
         o.installFolder = u"C:\\My Folder";
         o.installFolderText = "C:\\My Folder";
     }},
};

TEST(CommandLine, ParsesEveryCase)
{
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        RunMode got;
        CommandLineOverrides gotValues;
        const CommandLineResult result = ParseCommandLine(c.line, got, gotValues);
        RunMode want;
        CommandLineOverrides wantValues;
        c.expect(want, wantValues);
        EXPECT_EQ(result.error, c.error);
        EXPECT_EQ(W(result.atom), std::u16string(c.atom));
        EXPECT_EQ(got.automatic, want.automatic);
        EXPECT_EQ(got.silent, want.silent);
        EXPECT_EQ(got.minimised, want.minimised);
        EXPECT_EQ(got.uninstall, want.uninstall);
        EXPECT_EQ(W(got.uninstallProduct), W(want.uninstallProduct));
        EXPECT_EQ(W(gotValues.installFolder), W(wantValues.installFolder));
        EXPECT_EQ(N(gotValues.installFolderText), N(wantValues.installFolderText));
        EXPECT_EQ(W(gotValues.productName), W(wantValues.productName));
        EXPECT_EQ(W(gotValues.runAfterInstall), W(wantValues.runAfterInstall));
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(N(gotValues.batchAdditions[i]), N(wantValues.batchAdditions[i])) << "batch " << i + 1;
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
