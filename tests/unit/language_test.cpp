#include <gtest/gtest.h>

#include "core/codepage.h"
#include "setupdata/language.h"
#include "setupdata/settings_stream.h"

namespace {

LanguageTable GermanAndEnglish()
{
    LanguageTable t;
    t.names = {String(u"Deutsch"), String(u"English")};
    t.rows = {{String(u"Abbrechen"), String(u"Cancel")},
              {String(u"Caf\u00e9 \u20ac \u0416 <product>"), String(u"<product> setup")},
              {String(u"nur deutsch")}};
    t.active = 1;
    return t;
}

void ExpandProduct(String &text)
{
    const String from(u"<product>"), to(u"Kestrival");
    for (int32_t i = 0; i + from.WideLength() <= text.WideLength(); ++i)
        if (String(text.Wide() + i, from.WideLength()) == from)
            text.ReplaceRange(i * 2, from.Length(), to.Bytes(), to.Length());
}

TEST(LanguageTableLookup, RowInTheActiveLanguageOrEmpty)
{
    struct Case {
        int active;
        int id;
        const char16_t *expected;
    };
    const Case cases[] = {
        {1, 0, u"Cancel"}, {0, 0, u"Abbrechen"}, {1, 2, u""},   // the row lacks the entry
        {1, 3, u""},       {1, -1, u""},         {5, 0, u""},   // no such language
    };
    LanguageTable t = GermanAndEnglish();
    for (const Case &c : cases) {
        t.active = c.active;
        EXPECT_EQ(LanguageString(t, c.id, nullptr), String(c.expected)) << c.active << " " << c.id;
    }
}

TEST(LanguageTableLookup, ProductPlaceholdersAreExpandedInACopy)
{
    const LanguageTable t = GermanAndEnglish();
    EXPECT_EQ(LanguageString(t, 1, ExpandProduct), String(u"Kestrival setup"));
    EXPECT_EQ(LanguageString(t, 1, nullptr), String(u"<product> setup"));
    EXPECT_EQ(t.rows[1][1], String(u"<product> setup")) << "table unchanged";
}

TEST(LanguageTableLookup, NarrowFormUsesTheLanguageCodePage)
{
    LanguageTable t = GermanAndEnglish();
    t.active = 0;
    EXPECT_EQ(LanguageStringNarrow(t, 1, nullptr), String("Caf\xE9 \x80 ? <product>"));
    t.codePage = kCodePageUtf8;
    EXPECT_EQ(LanguageStringNarrow(t, 1, nullptr), String("Caf\xC3\xA9 \xE2\x82\xAC \xD0\x96 <product>"));
    EXPECT_TRUE(LanguageStringNarrow(t, 7, nullptr).Empty());
}

// The fatal path carries the active language's texts as 8-bit text: a language whose texts have no
// Windows-1252 form (Cyrillic, Greek) gets UTF-8, so that its corruption message and caption arrive
// whole instead of as question marks.
TEST(LanguageTableLookup, ActiveLanguageChoosesACodePageItsTextsFit)
{
    struct Case {
        const char16_t *text;
        int codePage;
    };
    const Case cases[] = {
        {u"Installation abbrechen? \u00c4\u00d6\u00dc \u20ac", kCodePageWindows1252},
        {u"\u041e\u0448\u0438\u0431\u043a\u0430", kCodePageUtf8},        // Cyrillic
        {u"\u03a3\u03c6\u03ac\u03bb\u03bc\u03b1", kCodePageUtf8},        // Greek
        {u"", kCodePageWindows1252},
    };
    for (const Case &c : cases) {
        LanguageTable t;
        t.names = {String(u"English"), String(u"Other")};
        t.rows = {{String(u"Error"), String(c.text)}, {String(u"x"), String(u"y")}};
        SetActiveLanguage(t, 1);
        EXPECT_EQ(t.active, 1);
        EXPECT_EQ(t.codePage, c.codePage) << String(c.text).WideLength();
        String back;
        ASSERT_TRUE(CodePageToWide(LanguageStringNarrow(t, 0, nullptr), t.codePage, back));
        EXPECT_EQ(back, String(c.text)) << "the narrow text reads back whole";
        SetActiveLanguage(t, 0);
        EXPECT_EQ(t.codePage, kCodePageWindows1252) << "the other language's page";
    }
}

TEST(LanguageTableRead, ReadingChoosesTheActiveLanguageAndItsCodePage)
{
    SettingsWriter out;
    out.WriteU8(2);
    out.WriteI32(1);
    out.WriteZeroEndedWide(String(u"English"));
    out.WriteZeroEndedWide(String(u"Russian"));
    out.WriteZeroEndedWide(String(u"Error"));
    out.WriteZeroEndedWide(String(u"\u041e\u0448\u0438\u0431\u043a\u0430"));
    const String record = out.TakeRecord();
    SettingsStream in(record);
    LanguageTable t;
    ReadLanguageTable(in, t);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(t.active, 0);
    EXPECT_EQ(t.codePage, kCodePageWindows1252);
    ASSERT_EQ(t.rows.size(), 1u);
    SetActiveLanguage(t, 1);
    EXPECT_EQ(t.codePage, kCodePageUtf8);
}

TEST(RunLanguage, LookupsGoToTheTableTheStartUpNamed)
{
    SetRunLanguage(nullptr, nullptr);
    EXPECT_TRUE(LanguageString(kCorruptionMessageRow).Empty());
    EXPECT_TRUE(LanguageStringNarrow(kErrorCaptionRow).Empty());
    EXPECT_EQ(RunMessageCodePage(), kCodePageAnsi) << "no table: the ANSI code page";

    LanguageTable t = GermanAndEnglish();
    SetRunLanguage(&t, ExpandProduct);
    EXPECT_EQ(LanguageString(1), String(u"Kestrival setup"));
    EXPECT_EQ(LanguageStringNarrow(0), String("Cancel"));
    EXPECT_EQ(RunMessageCodePage(), kCodePageAnsi) << "a language that fits 1252 keeps the ANSI page";
    t.codePage = kCodePageUtf8;
    EXPECT_EQ(RunMessageCodePage(), kCodePageUtf8);
    EXPECT_EQ(LanguageStringNarrow(1), String("Kestrival setup"));
    SetRunLanguage(nullptr, nullptr);
}

} // namespace
