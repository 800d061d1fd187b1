#include <gtest/gtest.h>

#include "core/codepage.h"
#include "core/path_text.h"
#include "tests/unit/codepage_cases.h"
#include "tests/unit/text_support.h"

TEST(CodePage, ConvertsBothWaysByTheLibraryTables)
{
    ExpectCodePageCases();
}

TEST(CodePage, HostTablesReadAnsiAs1252AndReplaceIllFormedUtf8)
{
    const struct {
        std::string bytes;
        std::u16string wide;
    } ansi[] = {{"caf\xE9", u"caf\u00E9"}, {"\x80", u"\u20AC"}};
    for (const auto &c : ansi) {
        String wide;
        EXPECT_TRUE(CodePageToWide(Bytes(c.bytes), kCodePageAnsi, wide));
        EXPECT_EQ(wide, Wide(c.wide));
    }
    // Ill-formed UTF-8: each maximal ill-formed part becomes one U+FFFD.
    const struct {
        std::string bytes;
        std::u16string wide;
    } utf8[] = {
        {"\xC0\xAF", u"\uFFFD\uFFFD"},            // overlong lead, then a stray continuation
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},   // above U+10FFFF
        {"\xF0\x9F\x98", u"\uFFFD"},
    };
    for (const auto &c : utf8) {
        String wide;
        EXPECT_TRUE(CodePageToWide(Bytes(c.bytes), kCodePageUtf8, wide));
        EXPECT_EQ(wide, Wide(c.wide));
    }
}

TEST(CodePage, FailureEmptiesTheOutputAndEmptyInputSucceeds)
{
    String out("stale");
    EXPECT_FALSE(CodePageToWide(String("abc"), 932, out));   // no table for this page on the host
    EXPECT_FALSE(out.HasBuffer());
    out.Assign("stale");
    EXPECT_FALSE(CodePageFromWide(String(u"abc"), 932, "?", out));
    EXPECT_FALSE(out.HasBuffer());
    out.Assign("stale");
    EXPECT_TRUE(CodePageToWide(String(), 932, out));
    EXPECT_TRUE(out.Empty());
}

TEST(CodePage, ReplacementIsTheFirstByteOfTheGivenText)
{
    const struct {
        const char *replacement;
        std::string bytes;
    } cases[] = {{"#", "a#"}, {"", "a?"}, {nullptr, "a?"}, {"_x", "a_"}};
    for (const auto &c : cases) {
        String bytes;
        EXPECT_TRUE(CodePageFromWide(String(u"a\U0001F600"), 1252, c.replacement, bytes));
        EXPECT_EQ(bytes, Bytes(c.bytes));   // a surrogate pair is one character
    }
}

TEST(CodePage, ConvertingAStringIntoItselfWorks)
{
    String s("caf\xE9");
    EXPECT_TRUE(CodePageToWide(s, 1252, s));
    EXPECT_EQ(s, String(u"caf\u00E9"));
    EXPECT_TRUE(CodePageFromWide(s, 65001, nullptr, s));
    EXPECT_EQ(s, String("caf\xC3\xA9"));
}

TEST(PathText, WritesAsciiUnchangedConvertibleTextInTheCodePageAndTheRestAsMarkedUtf8)
{
    for (const auto &c : kPathTextCases) {
        const String pathText = PathTextFromWide(Wide(c.wide), c.codePage);
        EXPECT_EQ(pathText, Bytes(c.pathText));
        // Reading it back, in the code page it was written with, gives the same wide text.
        const int readPage = c.codePage == kPathTextNoCodePage ? kCodePageAnsi : c.codePage;
        EXPECT_EQ(PathTextToWide(pathText, readPage), Wide(c.wide)) << c.pathText;
    }
}

TEST(PathText, ReadsUnmarkedTextInTheAnsiOrGivenCodePage)
{
    EXPECT_EQ(PathTextToWide(String("R\xE9sum\xE9")), String(u"R\u00E9sum\u00E9"));
    EXPECT_EQ(PathTextToWide(String("R\xC3\xA9"), kCodePageUtf8), String(u"R\u00E9"));
    EXPECT_EQ(PathTextToWide(String("|R\xC3\xA9")), String(u"R\u00E9"));
    EXPECT_EQ(PathTextToWide(String("|")), String());
    EXPECT_EQ(PathTextToWide(String("x"), 932), String());   // a page without a table reads as empty
}

TEST(PathText, FileNameKeepsTheUtf8Marker)
{
    const struct {
        const char *path, *name;
    } cases[] = {
        {"|C:\\Dir\\N\xC3\xA4me.txt", "|N\xC3\xA4me.txt"},
        {"C:\\Dir\\file.txt", "file.txt"},
        {"C:/Dir/file.txt", "file.txt"},
        {"file.txt", "file.txt"},
        {"|N\xC3\xA4me", "|N\xC3\xA4me"},
        {"|C:\\Dir\\", ""},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PathTextFileName(String(c.path)), String(c.name)) << c.path;
}
