#include <gtest/gtest.h>

#include "core/ascii_text.h"

namespace {

TEST(AsciiText, BlanksAreSpaceTabCrAndLf)
{
    struct Case {
        const char16_t *text;
        bool blank;
    };
    const Case cases[] = {
        {u"", true}, {u" \t\r\n", true}, {u" x ", false}, {u"\u00a0", false}, {u"\v", false},
    };
    for (const Case &c : cases) {
        const String wide(c.text);
        EXPECT_EQ(IsBlankWide(wide), c.blank) << wide.WideLength();
        String narrow;
        for (int32_t i = 0; i < wide.WideLength(); ++i)
            narrow.Append(wide.Wide()[i] < 0x80 ? String(std::string(1, char(wide.Wide()[i])).c_str())
                                                 : String("\xA0"));
        EXPECT_EQ(IsBlank(narrow), c.blank) << wide.WideLength();
    }
    EXPECT_EQ(TrimBlanks(u" \t a b \r\n"), std::u16string_view(u"a b"));
    EXPECT_EQ(TrimBlanks(u" \t "), std::u16string_view());
}

TEST(AsciiText, CaseIsIgnoredForAsciiLettersOnly)
{
    struct Case {
        const char16_t *text;
        const char16_t *other;
        bool equal;
        bool prefix;
    };
    const Case cases[] = {
        {u"<Master>", u"<master>", true, true},
        {u"hklm\\Software", u"HKLM\\", false, true},
        {u"HKCUX", u"HKCU\\", false, false},
        {u"\u00e9", u"\u00c9", false, false},   // beyond ASCII: not the same
        {u"SILENT", u"silent", true, true},
        {u"MI", u"MIN", false, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(EqualsAsciiNoCase(c.text, c.other), c.equal) << String(c.text).WideLength();
        EXPECT_EQ(StartsWithAsciiNoCase(c.text, c.other), c.prefix) << String(c.text).WideLength();
    }
    EXPECT_EQ(AsciiUpper(u'q'), u'Q');
    EXPECT_EQ(AsciiLower('Q'), 'q');
    EXPECT_EQ(AsciiLower(u'\u00c9'), u'\u00c9');
}

} // namespace
