// The batch file's text: PAUSE removal, the code-page choice with its chcp line, line ends, the
// command-line additions, the captured output, and the SET block's order and forms.
#include <gtest/gtest.h>

#include <string>

#include "install/batch.h"
#include "text_support.h"

namespace {

TEST(BatchText, PauseLinesGoOthersStay)
{
    struct Case {
        const char *name;
        const char *before;
        const char *after;
    };
    const Case cases[] = {
        {"blanks, at sign and blank around pause", "  @ pause \r\n", ""},
        {"upper case at the end without line end", "echo a\r\nPAUSE", "echo a\r\n"},
        {"tab and LF only", "\tPause\necho b\n", "echo b\n"},
        {"pause with an argument stays", "pause now\r\n", "pause now\r\n"},
        {"echo pause stays", "echo pause\r\n", "echo pause\r\n"},
        {"two at signs stay", "@@pause\r\n", "@@pause\r\n"},
    };
    for (const Case &c : cases) {
        String text(c.before);
        RemovePauseLines(text);
        EXPECT_EQ(text, String(c.after)) << c.name;
    }
}

TEST(BatchText, CodePageAndLineEnds)
{
    struct Case {
        const char *name;
        String wide;
        bool olderThanWindows7;
        std::string bytes;
    };
    const Case cases[] = {
        {"ASCII on Windows 10", String(u"@echo off\necho x"), false, "@chcp 1252 >nul\r\n@echo off\r\necho x\r\n"},
        {"e acute on Windows 10 is UTF-8", String(u"echo \u00E9\r\n"), false, "@chcp 65001 >nul\r\necho \xC3\xA9\r\n"},
        {"e acute on Vista is 1252", String(u"echo \u00E9\r\n"), true, "@chcp 1252 >nul\r\necho \xE9\r\n"},
        {"no mapping in 1252 becomes ?", String(u"echo \u4E2D"), true, "@chcp 1252 >nul\r\necho ?\r\n"},
        {"lone CR and LF CR", String(u"a\rb\n\rc\r\n"), false, "@chcp 1252 >nul\r\na\r\nb\r\nc\r\n"},
    };
    for (const Case &c : cases) {
        const String bytes = BatchFileBytes(c.wide, c.olderThanWindows7);
        EXPECT_EQ(std::string(bytes.Bytes(), static_cast<size_t>(bytes.Length())), c.bytes) << c.name;
    }
}

TEST(BatchText, AdditionsGetALineOfTheirOwn)
{
    struct Case {
        const char *script;
        const char *addition;
        const char *result;
    };
    const Case cases[] = {
        {"echo a", "echo b", "echo a\r\necho b"},
        {"echo a\r\n", "echo b", "echo a\r\necho b"},
        {"", "echo b", "echo b"},
        {"echo a", "", "echo a"},
    };
    for (const Case &c : cases) {
        String text(c.script);
        AppendBatchAddition(text, String(c.addition));
        EXPECT_EQ(text, String(c.result)) << c.script << "|" << c.addition;
    }
}

TEST(BatchText, CapturedOutput)
{
    EXPECT_EQ(CapturedBatchOutput(String("out\r\n \t\r\n")), String("out\r\n"));
    EXPECT_EQ(CapturedBatchOutput(String("\r\n\r\n  ")), String(""));
    EXPECT_EQ(CapturedBatchOutput(String("\xE9")), String("\xE9\r\n"));
}

// A source with one recognisable value per question, so that each SET line shows where its value
// came from.
class FixedSource : public PathValueSource {
public:
    String ShellFolder(int) override { return String(); }
    String KnownFolderPath(KnownFolder) override { return String(); }
    String ShellFoldersValue(bool, const char16_t *) override { return String(); }
    String CurrentVersionValue(const char16_t *) override { return String(); }
    String BootDir() override { return String(u"E:\\"); }
    String DevicePath() override { return String(); }
    String MediaPath() override { return String(); }
    String WebRootPath() override { return String(); }
    String WindowsFolder() override { return String(u"C:\\Windows"); }
    String SystemFolder() override { return String(u"C:\\Windows\\system32"); }
    String TempFolder() override { return String(u"C:\\Temp\\"); }
    String ModuleFileName() override { return String(u"D:\\Downloads\\setup.exe"); }
    String EnvironmentVariable(const char16_t *) override { return String(); }
    bool ExpandEnvironment(String &) override { return true; }
    bool Is64BitWindows() override { return true; }
    bool IsWindowsNT() override { return true; }
};

TEST(BatchText, SetBlockOrderAndForms)
{
    FixedSource source;
    PathVariableState state;
    state.installFolder = String(u"C:\\Program Files\\A & B");
    state.version = String(u"2.3");
    state.oldVersion = String(u"1.9.4");
    const String block = BatchSetBlock(source, state);
    std::string text;
    for (int32_t i = 0; i < block.WideLength(); ++i)
        text += static_cast<char>(block.Wide()[i]);
    EXPECT_EQ(text.rfind("SET \"InstallDir=C:\\Program Files\\A & B\"\r\nSET \"Bits=64\"\r\n", 0), 0u);
    EXPECT_NE(text.find("SET \"InstallerDrive=D:\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("SET \"InstallerFilename=setup.exe\"\r\n"), std::string::npos);
    const std::string tail = "SET InstallDrive=C:\r\nSET BootDrive=E:\r\nSET Version=2.3\r\n"
                             "SET OldVersion=1.9.4\r\nSET OldVersionMajor=1\r\nSET OldVersionMinor=9\r\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    size_t lines = 0;
    for (char c : text)
        lines += c == '\n';
    EXPECT_EQ(lines, 42u);
}

} // namespace
