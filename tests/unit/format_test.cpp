#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "core/format.h"
#include "core/string.h"
#include "tests/unit/text_support.h"

namespace {

// String::Format without the compiler's format check, for conversions it reads otherwise (%ls
// wants wchar_t, which is 32 bits on the host): a call through a pointer is not checked.
String (*const UncheckedFormat)(const char *format, ...) = &String::Format;

} // namespace

// Integer conversions with flags, width and precision agree with the C library.
TEST(Format, IntegersAgreeWithTheCLibrary)
{
    const char *formats[] = {"%d", "%i", "%5d", "%-5d|", "%05d", "%+d", "% d", "%.3d", "%8.3d", "%-+6d|",
                             "%u", "%x", "%X", "%#x", "%#X", "%08X", "%#o", "%o", "%.0d", "%#.0o", "%hd",
                             "%hhu", "%-#10x|", "%0-5d|", "%05.2d"};
    const int values[] = {0, 1, -1, 42, -42, 255, 65537, INT_MAX, INT_MIN};
    for (const char *format : formats) {
        for (int value : values) {
            char expected[64];
            std::snprintf(expected, sizeof expected, format, value);
            EXPECT_EQ(String::Format(format, value), String(expected)) << format << " " << value;
        }
    }
}

TEST(Format, LengthModifiersReadTheRightArgumentSize)
{
    const size_t size = static_cast<size_t>(0xFFFFFFFFu) + 2;
    EXPECT_EQ(String::Format("%zu %d", size, 7), String("4294967297 7"));
    EXPECT_EQ(String::Format("%08zX", static_cast<size_t>(0x4D2)), String("000004D2"));
    EXPECT_EQ(String::Format("%lld|%llu", -5LL, 18446744073709551615ULL), String("-5|18446744073709551615"));
    EXPECT_EQ(String::Format("%ld %lu", -3L, 3UL), String("-3 3"));
    EXPECT_EQ(String::Format("%jd %td", static_cast<intmax_t>(-9), static_cast<ptrdiff_t>(-8)), String("-9 -8"));
    EXPECT_EQ(String::Format("%*d|%-*d|%.*d", 4, 1, 3, 2, 3, 3), String("   1|2  |003"));
    EXPECT_EQ(String::Format("%*d|", -4, 1), String("1   |"));
    EXPECT_EQ(String::Format("%.2f KB", 1536 / 1024.0), String("1.50 KB"));
    EXPECT_EQ(String::Format("%8.3e|%-6g|", 12345.678, 0.5), String("1.235e+04|0.5   |"));
}

TEST(Format, TextCharactersAndEdgeCases)
{
    const char *null = nullptr;
    EXPECT_EQ(String::Format("%s %s\r\n%s", "a", "b", "c"), String("a b\r\nc"));
    EXPECT_EQ(String::Format("[%5s][%-5s][%.2s][%5.1s]", "ab", "ab", "abc", "xyz"), String("[   ab][ab   ][ab][    x]"));
    EXPECT_EQ(String::Format("%s", null), String("(null)"));
    EXPECT_EQ(String::Format("Drive %c: is not present.", 'D'), String("Drive D: is not present."));
    EXPECT_EQ(String::Format("100%%"), String("100%"));
    EXPECT_EQ(UncheckedFormat("%hs", "x"), String("x"));
    EXPECT_EQ(String::Format("%p", reinterpret_cast<void *>(0xAB)).Length(), static_cast<int32_t>(2 * sizeof(void *)));
    // Wide text in 8-bit formats is converted through the ANSI code page, "?" where it does not map.
    const char16_t *wide = u"caf\u00E9\u65E5";
    EXPECT_EQ(UncheckedFormat("%ls|%S|%7ls|%.1ls|", wide, wide, wide, wide), String("caf\xE9?|caf\xE9?|  caf\xE9?|c|"));
    EXPECT_EQ(UncheckedFormat("%lc%C", u'\u00E9', u'\u20AC'), String("\xE9\x80"));
    EXPECT_EQ(UncheckedFormat("%ls", static_cast<const char16_t *>(nullptr)), String("(null)"));
    // Unknown conversions and a conversion cut short stay as they are.
    EXPECT_EQ(UncheckedFormat("%y %", 1), String("%y %"));
    EXPECT_EQ(UncheckedFormat("%5", 1), String("%5"));
}

TEST(Format, WideFormatsTakeWideTextForPercentS)
{
    const char16_t *path = u"C:\\Caf\u00E9";
    EXPECT_EQ(String::FormatWide(u"%s (%d)", path, 3), String(u"C:\\Caf\u00E9 (3)"));
    EXPECT_EQ(String::FormatWide(u"%hs|%S|%ls", "caf\xE9", "x", u"\u65E5"), String(u"caf\u00E9|x|\u65E5"));
    EXPECT_EQ(String::FormatWide(u"[%-6s][%6.2s]", u"\u00E9\u00E9", u"abc"), String(u"[\u00E9\u00E9    ][    ab]"));
    EXPECT_EQ(String::FormatWide(u"%c%hc%C", u'\u20AC', '\xE9', 'x'), String(u"\u20AC\u00E9x"));
    EXPECT_EQ(String::FormatWide(u"%d %i %u %x %X %%", -1, 2, 3u, 255u, 255u), String(u"-1 2 3 ff FF %"));
    EXPECT_EQ(String::FormatWide(u"%08zX %zu", static_cast<size_t>(0xBEEF), static_cast<size_t>(12)), String(u"0000BEEF 12"));
    EXPECT_EQ(String::FormatWide(u"%.2f MB", 2.5), String(u"2.50 MB"));
    EXPECT_EQ(String::FormatWide(u"%s", static_cast<const char16_t *>(nullptr)), String(u"(null)"));
    EXPECT_EQ(String::FormatWide(u"%s=%d", u"n", 1), String(u"n=1"));
    String appended(u"a");
    appended.AppendFormatWide(u"%s", u"b");
    EXPECT_EQ(appended, String(u"ab"));
    EXPECT_EQ(String::FormatWide(nullptr), String());
}

TEST(Format, LongOutputGrowsTheStringAndAppends)
{
    String s("start:");
    std::string expected = "start:";
    for (int i = 0; i < 300; ++i) {
        s.AppendFormat("%d,", i);
        expected += std::to_string(i) + ",";
    }
    EXPECT_EQ(s, String(expected.c_str()));
    EXPECT_EQ(String::Format("%300d", 1).Length(), 300);
}

TEST(Format, BufferFormattingCutsAndAlwaysTerminates)
{
    char buffer[8];
    EXPECT_EQ(FormatBuffer(buffer, sizeof buffer, "%s", "abcdefghij"), 7);
    EXPECT_STREQ(buffer, "abcdefg");
    EXPECT_EQ(FormatBuffer(buffer, sizeof buffer, "%d", 42), 2);
    EXPECT_STREQ(buffer, "42");
    EXPECT_EQ(FormatBuffer(buffer, 1, "%d", 42), 0);
    EXPECT_STREQ(buffer, "");
}
