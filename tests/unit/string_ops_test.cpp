#include <gtest/gtest.h>

#include <string>

#include "core/string.h"
#include "tests/unit/text_case_cases.h"
#include "tests/unit/text_support.h"

namespace {

String Wide(const std::u16string &s) { return String(s.data(), static_cast<int32_t>(s.size())); }

} // namespace

TEST(StringLines, AppendLineAddsCrLf)
{
    String s;
    s.AppendLine("one").AppendLine(String("two")).AppendLine("");
    EXPECT_EQ(s, String("one\r\ntwo\r\n\r\n"));
    String w;
    w.AppendLineWide(u"\u00E9").AppendLineWide(String(u"x"));
    EXPECT_EQ(w, String(u"\u00E9\r\nx\r\n"));
}

TEST(StringTrim, RemovesBlanksCrLfAndTabsAtTheChosenEnds)
{
    const struct {
        const char *text, *left, *right, *both;
    } cases[] = {
        {" \t a b \r\n", "a b \r\n", " \t a b", "a b"},
        {"ab", "ab", "ab", "ab"},
        {" \r\n\t", "", "", ""},
        {"", "", "", ""},
        {"\va\v", "\va\v", "\va\v", "\va\v"},   // vertical tab is not in the set
    };
    for (const auto &c : cases) {
        EXPECT_EQ(String(c.text).TrimLeft(), String(c.left)) << c.text;
        EXPECT_EQ(String(c.text).TrimRight(), String(c.right)) << c.text;
        EXPECT_EQ(String(c.text).Trim(), String(c.both)) << c.text;
    }
    EXPECT_EQ(String(u" \t\u00E9 x\r\n").TrimWide(), String(u"\u00E9 x"));
    EXPECT_EQ(String(u"\r\nx ").TrimLeftWide(), String(u"x "));
    EXPECT_EQ(String(u"\r\nx ").TrimRightWide(), String(u"\r\nx"));
    // A wide text is trimmed by units, not bytes: U+0920 has a blank (0x20) as its low byte.
    EXPECT_EQ(String(u"\u0920").TrimWide(), String(u"\u0920"));
    EXPECT_EQ(String("--a-").Trim("-"), String("a"));
    String blank("   ");
    blank.Trim();
    EXPECT_FALSE(blank.HasBuffer());
}

TEST(StringStrip, RemovesOneLeadingOrTrailingCharacter)
{
    String s("\"\"a\"\"");
    EXPECT_TRUE(s.StripLeading('"'));
    EXPECT_TRUE(s.StripTrailing('"'));
    EXPECT_EQ(s, String("\"a\""));
    EXPECT_FALSE(s.StripLeading('a'));
    EXPECT_FALSE(s.StripTrailing('a'));
    String empty;
    EXPECT_FALSE(empty.StripLeading('x'));
    EXPECT_FALSE(empty.StripTrailing('x'));
    String w(u"\\dir\\");
    EXPECT_TRUE(w.StripTrailingWide(u'\\'));
    EXPECT_TRUE(w.StripLeadingWide(u'\\'));
    EXPECT_EQ(w, String(u"dir"));
}

TEST(StringRemoveChars, RemovesEveryCharacterOfTheSet)
{
    EXPECT_EQ(String("a\"b\"c'd").RemoveChars("\"'"), String("abcd"));
    EXPECT_EQ(String("xxx").RemoveChars("x"), String());
    EXPECT_EQ(String("abc").RemoveChars(""), String("abc"));
    EXPECT_EQ(String(u"a\u00E9b\u00E9").RemoveCharsWide(u"\u00E9"), String(u"ab"));
}

TEST(StringCutQuoted, CutsTheQuotedTokenWithDoubledQuotesAsOne)
{
    const struct {
        const char *text;
        int at;
        const char *token, *rest;
    } cases[] = {
        {"\"a b\" c", 0, "a b", " c"},
        {"x \"say \"\"hi\"\"\" y", 2, "say \"hi\"", "x  y"},
        {"\"\"", 0, "", ""},
        {"\"\"\"\"", 0, "\"", ""},              // a doubled quote alone is one quote
        {"\"open", 0, "open", ""},              // never closed: runs to the end
        {"a \"b\"", 0, "", "a \"b\""},          // no quote at the position: nothing changes
        {"\"b\"", 5, "", "\"b\""},
        {"\"b\"", -1, "", "\"b\""},
    };
    for (const auto &c : cases) {
        String s(c.text);
        EXPECT_EQ(s.CutQuoted(c.at), String(c.token)) << c.text;
        EXPECT_EQ(s, String(c.rest)) << c.text;
    }
    String single("'it''s' x");
    EXPECT_EQ(single.CutQuoted(0, '\''), String("it's"));
    String wide(u"a \"\u00E9\"\"\"");
    EXPECT_EQ(wide.CutQuotedWide(2), String(u"\u00E9\""));
    EXPECT_EQ(wide, String(u"a "));
}

TEST(StringFindLineEnd, FindsTheNextTerminatorWithItsFlags)
{
    const struct {
        const char *text;
        int from;
        unsigned flags;
        int end;
    } cases[] = {
        {"ab\r\ncd", 0, 0, 4},
        {"ab\n\rcd", 0, 0, 4},
        {"ab\ncd", 0, 0, 3},
        {"ab\rcd", 0, 0, 3},
        {"ab\n\ncd", 0, 0, 3},                 // two LFs are two lines
        {"ab\r\ncd", 0, kLineEndAtTerminator, 2},
        {"ab\r\ncd", 4, 0, -1},
        {"ab\r\ncd", 4, kLineEndOrTextEnd, 6},
        {"ab\r\ncd", 4, kLineEndOrTextEnd | kLineEndAtTerminator, 6},
        {"a\"\r\n\"b\r\nc", 0, kLineEndSkipQuoted, 8},
        {"a\"\r\n\"b\r\nc", 0, 0, 4},
        {"a\"\r\nb", 0, kLineEndSkipQuoted, -1},   // an open quote hides the rest
        {"", 0, 0, -1},
        {"ab\r\n", -3, 0, 4},
    };
    for (const auto &c : cases)
        EXPECT_EQ(String(c.text).FindLineEnd(c.from, c.flags), c.end) << c.text << " from " << c.from;
    EXPECT_EQ(String(u"\u00E9\r\nx").FindLineEndWide(0), 3);
    EXPECT_EQ(String(u"\u0D0A").FindLineEndWide(0), -1);   // bytes CR LF inside one unit are no line end
}

TEST(StringParseInteger, ReadsFromTheFirstDigitSignOrPoint)
{
    const struct {
        const char *text;
        int64_t value;
    } cases[] = {
        {"42", 42},
        {"size: 1234 bytes", 1234},
        {"v-7", -7},
        {"+5", 5},
        {".5", 0},                      // the point comes first
        {"abc", 0},
        {"", 0},
        {"- 3", 0},
        {"007", 7},
        {"99999999999999999999", INT64_MAX},
        {"-99999999999999999999", INT64_MIN},
        {"-9223372036854775808", INT64_MIN},
    };
    for (const auto &c : cases)
        EXPECT_EQ(String(c.text).ParseInteger(), c.value) << c.text;
    EXPECT_EQ(String(u"\u00E9=-12").ParseIntegerWide(), -12);
    EXPECT_EQ(String(u"\u0031").ParseIntegerWide(), 1);
}

TEST(StringCompare, ExactIgnoringCaseAndStartsWith)
{
    EXPECT_TRUE(String("abc") == String("abc"));
    EXPECT_FALSE(String("abc") == String("abc\0", 4));
    EXPECT_TRUE(String("abc").Equals("abc"));
    EXPECT_FALSE(String("abc").Equals("ab"));
    EXPECT_TRUE(String().Equals(nullptr));

    const struct {
        const char *a, *b;
        bool equal;
    } ignoringCase[] = {
        {"Program Files", "PROGRAM files", true},
        {"abc", "abd", false},
        {"abc", "ab", false},
        {"\xC9", "\xE9", false},   // 8-bit: ASCII letters only
        {"", "", true},
        {"[", "{", false},
    };
    for (const auto &c : ignoringCase) {
        EXPECT_EQ(String(c.a).EqualsIgnoreCase(String(c.b)), c.equal) << c.a << " / " << c.b;
        EXPECT_EQ(String(c.a).EqualsIgnoreCase(c.b), c.equal) << c.a << " / " << c.b;
    }

    EXPECT_TRUE(String("HKLM\\Software").StartsWith("HKLM\\"));
    EXPECT_FALSE(String("HKLM\\Software").StartsWith("hklm\\"));
    EXPECT_TRUE(String("abc").StartsWith(String()));
    EXPECT_FALSE(String("ab").StartsWith("abc"));
    EXPECT_TRUE(String(u"\u00E9t\u00E9").StartsWithWide(u"\u00E9t"));
    EXPECT_FALSE(String(u"\u00E9t\u00E9").StartsWithWide(u"\u00C9t"));
}

TEST(StringCase, LowerCaseChangesOnlyAsciiCapitals)
{
    EXPECT_EQ(String("C:\\Program Files\\\xC9T\xC9").ToLowerAscii(), String("c:\\program files\\\xC9t\xC9"));
    EXPECT_EQ(String().ToLowerAscii(), String());
}

// Host behaviour (the Latin-1 rule); the Windows test program checks the system's.
TEST(StringCase, UpperCaseOfWideTextFollowsTheLatin1Rule)
{
    const struct {
        std::u16string text, upper;
    } cases[] = {
        {u"abc xyz", u"ABC XYZ"},
        {u"\u00E0\u00F6\u00F7\u00FE", u"\u00C0\u00D6\u00F7\u00DE"},   // 247 (division sign) stays
        {u"\u00FF", u"\u0178"},
        {u"\u00DF\u00B5", u"\u00DF\u00B5"},                           // below 224: unchanged
        {u"\u0101\u03B1", u"\u0101\u03B1"},                           // outside Latin-1: unchanged
    };
    for (const auto &c : cases)
        EXPECT_EQ(Wide(c.text).ToUpperWide(), Wide(c.upper));
}

// Host behaviour (the library's fold); the Windows test program runs the same pairs through the
// system.
TEST(StringCompare, WideEqualityIgnoringCaseFoldsTheCommonCasePairs)
{
    for (const auto &c : kWideCaseEqualities)
        EXPECT_EQ(Wide(c.a).EqualsIgnoreCaseWide(Wide(c.b)), c.equal) << Wide(c.a).Bytes();
    EXPECT_TRUE(String(u"\u03C2").EqualsIgnoreCaseWide(u"\u03A3"));   // final sigma
    EXPECT_TRUE(String(u"Abc").EqualsIgnoreCaseWide(u"aBC"));
}
