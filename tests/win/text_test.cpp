// Text conventions through the system: code-page conversion and 8-bit path text, run under Wine
// against the same cases as the host tables.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/codepage.h"
#include "core/path_text.h"
#include "core/wide_win.h"
#include "tests/unit/codepage_cases.h"
#include "tests/unit/text_case_cases.h"
#include "tests/unit/text_support.h"

TEST(CodePage, SystemAgreesWithTheLibraryTables)
{
    ExpectCodePageCases();
}

TEST(CodePage, PagesThatRejectFlagsAreRetriedWithoutThem)
{
    // UTF-7 takes no flags in either direction.
    String wide, bytes;
    EXPECT_TRUE(CodePageToWide(String("+AOk-"), kCodePageUtf7, wide));
    EXPECT_EQ(wide, String(u"\u00E9"));
    EXPECT_TRUE(CodePageFromWide(String(u"\u00E9"), kCodePageUtf7, "?", bytes));
    EXPECT_EQ(bytes, String("+AOk-"));
    // Double-byte pages convert through the system (Shift-JIS here).
    EXPECT_TRUE(CodePageToWide(String("\x93\xFA\x96\x7B"), 932, wide));
    EXPECT_EQ(wide, String(u"\u65E5\u672C"));
    EXPECT_TRUE(CodePageFromWide(wide, 932, "?", bytes));
    EXPECT_EQ(bytes, String("\x93\xFA\x96\x7B"));
}

TEST(CodePage, AnsiMeansTheSystemAnsiCodePage)
{
    String expected, actual;
    ASSERT_TRUE(CodePageToWide(String("caf\xE9"), static_cast<int>(GetACP()), expected));
    ASSERT_TRUE(CodePageToWide(String("caf\xE9"), kCodePageAnsi, actual));
    EXPECT_EQ(actual, expected);
}

TEST(CodePage, AnUnknownPageFailsWithEmptyOutput)
{
    String out("stale");
    EXPECT_FALSE(CodePageToWide(String("abc"), 12345, out));
    EXPECT_FALSE(out.HasBuffer());
    out.Assign("stale");
    EXPECT_FALSE(CodePageFromWide(String(u"abc"), 12345, "?", out));
    EXPECT_FALSE(out.HasBuffer());
}

TEST(PathText, SystemConversionsGiveTheSamePathTexts)
{
    for (const auto &c : kPathTextCases) {
        const String pathText = PathTextFromWide(Wide(c.wide), c.codePage);
        EXPECT_EQ(pathText, Bytes(c.pathText));
        const int readPage = c.codePage == kPathTextNoCodePage ? kCodePageAnsi : c.codePage;
        EXPECT_EQ(PathTextToWide(pathText, readPage), Wide(c.wide)) << c.pathText;
    }
}

TEST(WideCase, EqualityIgnoringCaseThroughCompareStringW)
{
    for (const auto &c : kWideCaseEqualities)
        EXPECT_EQ(Wide(c.a).EqualsIgnoreCaseWide(Wide(c.b)), c.equal) << PathTextFromWide(Wide(c.a)).Bytes();
}

TEST(WideCase, UpperCaseThroughTheSystemReachesBeyondLatin1)
{
    const struct {
        std::u16string text, upper;
    } cases[] = {
        {u"abc xyz 09", u"ABC XYZ 09"},
        {u"\u00E0\u00E9\u00FE\u00F7", u"\u00C0\u00C9\u00DE\u00F7"},
        {u"\u00FF", u"\u0178"},
        {u"\u0101\u03B1\u0434", u"\u0100\u0391\u0414"},   // the Latin-1 rule would leave these
        {u"ABC\u00C9", u"ABC\u00C9"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Wide(c.text).ToUpperWide(), Wide(c.upper)) << PathTextFromWide(Wide(c.text)).Bytes();
}

TEST(Format, WideAndSizedConversionsOnThe32BitRuntime)
{
    const wchar_t *path = L"C:\\Caf\u00E9";
    EXPECT_EQ(String::FormatWide(u"%s|%hs|%d|%zu|%lld|%I64X|%.2f", FromWide(path),
                                 "x", -1, static_cast<size_t>(4000000000u), -5LL, 0x123456789ABCDEFULL, 2.5),
              String(u"C:\\Caf\u00E9|x|-1|4000000000|-5|123456789ABCDEF|2.50"));
    EXPECT_EQ(String::Format("%08zX|%5.1f|%c", static_cast<size_t>(0x4D2), 1.75, 'Z'), String("000004D2|  1.8|Z"));
}
