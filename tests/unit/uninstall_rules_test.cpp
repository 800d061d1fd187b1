#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/text_support.h"
#include "uninstall/conditional_rules.h"
#include "uninstall/removal_lists.h"
#include "uninstall/removal_safety.h"
#include "uninstall/self_deletion.h"

namespace {

String W(const std::u16string &wide) { return String(wide.data(), int32_t(wide.size())); }
std::u16string U(const String &wide) { return std::u16string(wide.Wide(), size_t(wide.WideLength())); }
std::string B(const String &bytes) { return std::string(bytes.Bytes(), size_t(bytes.Length())); }

TEST(SelfDeletionScript, RemovesProgramThenEachSubfolderLevelThenTheFolderThenItself)
{
    const String text = SelfDeletionScriptText(W(u"C:\\P\\a\\b\\unins.exe"), W(u"C:\\P"), W(u"a\\b\\"),
                                               W(u"C:\\T\\delunins.bat"));
    EXPECT_EQ(U(text), u"setlocal\r\n"
                       u"set KsAttempts=0\r\n"
                       u":Repeat\r\n"
                       u"del \"C:\\P\\a\\b\\unins.exe\"\r\n"
                       u"if not exist \"C:\\P\\a\\b\\unins.exe\" goto Removed\r\n"
                       u"set /a KsAttempts+=1\r\n"
                       u"if %KsAttempts% GEQ 300 goto Removed\r\n"
                       u"ping -n 2 127.0.0.1 >nul\r\n"
                       u"goto Repeat\r\n"
                       u":Removed\r\n"
                       u"ping -n 4 127.0.0.1 >nul\r\n"
                       u"rd \"C:\\P\\a\\b\"\r\n"
                       u"rd \"C:\\P\\a\"\r\n"
                       u"rd \"C:\\P\"\r\n"
                       u"del \"C:\\T\\delunins.bat\"\r\n");

    const String flat = SelfDeletionScriptText(W(u"C:\\P\\u.exe"), W(u"C:\\P"), String(), W(u"C:\\T\\d.bat"));
    EXPECT_EQ(U(flat).find(u"rd \"C:\\P\\"), std::u16string::npos);
    EXPECT_NE(U(flat).find(u"rd \"C:\\P\"\r\ndel"), std::u16string::npos);
}

TEST(SelfDeletionScript, PercentSignsInPathsAreNotVariables)
{
    const String text = SelfDeletionScriptText(W(u"C:\\100% Tools\\u.exe"), W(u"C:\\100% Tools"), String(),
                                               W(u"C:\\T\\d.bat"));
    EXPECT_NE(U(text).find(u"del \"C:\\100%% Tools\\u.exe\"\r\n"), std::u16string::npos);
    EXPECT_NE(U(text).find(u"if not exist \"C:\\100%% Tools\\u.exe\""), std::u16string::npos);
    EXPECT_NE(U(text).find(u"rd \"C:\\100%% Tools\"\r\n"), std::u16string::npos);
    EXPECT_EQ(U(text).find(u"100% "), std::u16string::npos);
}

TEST(RemovalLists, SharedFilesLoseTheirMarkersInOrder)
{
    const String text("\"C:\\S\\com.dll^\";\"C:\\S\\keep.dll \" ; \"C:\\S\\types.tlb\xA9\";"
                      "\"C:\\S\\both.dll\xA9 ^\";\"C:\\S\\say \"\"hi\"\".dll\"");
    const std::vector<SharedFileEntry> e = ParseSharedFiles(text);
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(B(e[0].path), "C:\\S\\com.dll");
    EXPECT_TRUE(e[0].comServer);
    EXPECT_FALSE(e[0].keepFile);
    EXPECT_EQ(B(e[1].path), "C:\\S\\keep.dll");
    EXPECT_TRUE(e[1].keepFile);
    EXPECT_EQ(B(e[2].path), "C:\\S\\types.tlb");
    EXPECT_TRUE(e[2].typeLibrary);
    EXPECT_EQ(B(e[3].path), "C:\\S\\both.dll");
    EXPECT_TRUE(e[3].comServer && e[3].keepFile && e[3].typeLibrary);
    EXPECT_EQ(B(e[4].path), "C:\\S\\say \"hi\".dll");
    EXPECT_TRUE(ParseSharedFiles(String("not quoted")).empty());
}

TEST(RemovalLists, FontsComeInPairsAndCountsDropByOne)
{
    const std::vector<ProductFont> f = ParseProductFonts(String("\"Sample (TrueType)\" \"sample.ttf\" \"Odd\" "));
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(B(f[0].name), "Sample (TrueType)");
    EXPECT_EQ(B(f[0].file), "sample.ttf");

    struct Case {
        int64_t count;
        bool gone;
        int64_t remaining;
    } cases[] = {{3, false, 2}, {2, false, 1}, {1, true, 0}, {0, true, 0}, {-4, true, 0}};
    for (const Case &c : cases) {
        int64_t remaining = -1;
        EXPECT_EQ(SharedReferenceGone(c.count, remaining), c.gone) << c.count;
        EXPECT_EQ(remaining, c.remaining) << c.count;
    }
}

TEST(RemovalSafety, RootsAndSystemFoldersAreRefusedButNotWhatIsInsideThem)
{
    const std::vector<String> folders = {W(u"C:\\windows"), W(u"C:\\windows\\system32"), W(u"C:\\Program Files\\"),
                                         W(u"C:\\users\\bob")};
    struct Case {
        std::u16string path;
        bool refused;
    } cases[] = {
        {u"C:", true},
        {u"C:\\", true},
        {u"c:\\\\", true},
        {u"\\\\server\\share", true},
        {u"\\\\server\\share\\app", false},
        {u"\\\\?\\C:\\", true},
        {u"Windows", true},
        {u"C:\\WINDOWS", true},
        {u"C:\\Windows\\", true},
        {u"\\\\?\\C:\\Windows\\System32", true},
        {u"C:/Windows/System32/", true},
        {u"C:\\Program Files", true},
        {u"C:\\Users\\Bob", true},
        {u"C:\\Users\\Bob\\Documents\\App", false},
        {u"C:\\Windows\\System32\\app.dll", false},
        {u"C:\\Program Files\\App", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsProtectedPath(W(c.path), folders), c.refused) << std::string(c.path.begin(), c.path.end());
}

} // namespace

namespace {

TEST(ConditionalDeletion, VersionValuesAndConditions)
{
    struct Version {
        const char *text;
        bool parsed;
        uint64_t value;
    } versions[] = {
        {"1", true, 0x0001000000000000ull},
        {"1.2.3.4", true, 0x0001000200030004ull},
        {" 2.0 ", true, 0x0002000000000000ull},
        {"65535.0", true, 0xFFFF000000000000ull},
        {"65536", false, 0},
        {"1.2.3.4.5", false, 0},
        {"1..2", false, 0},
        {"1.", false, 0},
        {"v1", false, 0},
        {"", false, 0},
    };
    for (const Version &v : versions) {
        uint64_t value = 0;
        EXPECT_EQ(ParseFileVersionValue(String(v.text), value), v.parsed) << v.text;
        if (v.parsed) {
            EXPECT_EQ(value, v.value) << v.text;
        }
    }

    struct Condition {
        int condition;
        uint64_t value, version, size;
        bool deletes;
    } conditions[] = {
        {0, 0, 0, 0, true},   {1, 5, 5, 0, true},  {1, 5, 6, 0, false}, {2, 5, 5, 0, true},
        {2, 5, 4, 0, false},  {3, 5, 5, 0, true},  {3, 5, 6, 0, false}, {4, 10, 0, 10, true},
        {4, 10, 0, 11, false}, {5, 10, 0, 9, false}, {5, 10, 0, 10, true}, {6, 10, 0, 11, false},
        {6, 10, 0, 10, true}, {7, 0, 0, 0, false},
    };
    for (const Condition &c : conditions)
        EXPECT_EQ(ConditionAllowsDeletion(c.condition, c.value, c.version, c.size), c.deletes)
            << "condition " << c.condition << " value " << c.value;
}

} // namespace
