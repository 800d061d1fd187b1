#include <gtest/gtest.h>

#include "setupdata/language.h"
#include "setupdata/settings.h"

namespace {

class LanguageTableLookup : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_settings = Settings();
        LanguageTable &t = g_settings.Languages;
        t.names = {String(u"Deutsch"), String(u"English")};
        t.rows = {{String(u"Abbrechen"), String(u"Cancel")},
                  {String(u"Caf\u00e9 \u20ac \u0416 <product>"), String(u"<product> setup")},
                  {String(u"nur deutsch")}};
        t.active = 1;
    }
    void TearDown() override
    {
        g_settings = Settings();
        SetSettingsHooks(SettingsHooks());
    }
};

TEST_F(LanguageTableLookup, RowInTheActiveLanguageOrEmpty)
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
    for (const Case &c : cases) {
        g_settings.Languages.active = c.active;
        EXPECT_EQ(LanguageString(c.id), String(c.expected)) << c.active << " " << c.id;
    }
}

TEST_F(LanguageTableLookup, ProductPlaceholdersAreExpandedInACopy)
{
    SettingsHooks hooks;
    hooks.expandProductPlaceholders = [](String &text) {
        const String from(u"<product>"), to(u"Kestrival");
        for (int32_t i = 0; i + from.WideLength() <= text.WideLength(); ++i)
            if (String(text.Wide() + i, from.WideLength()) == from)
                text.ReplaceRange(i * 2, from.Length(), to.Bytes(), to.Length());
    };
    SetSettingsHooks(hooks);
    EXPECT_EQ(LanguageString(1), String(u"Kestrival setup"));
    EXPECT_EQ(g_settings.Languages.rows[1][1], String(u"<product> setup")) << "table unchanged";
}

TEST_F(LanguageTableLookup, NarrowFormUsesTheLanguageCodePage)
{
    g_settings.Languages.active = 0;
    EXPECT_EQ(LanguageStringNarrow(1), String("Caf\xE9 \x80 ? <product>"));
    g_settings.Languages.codePage = 65001;
    EXPECT_EQ(LanguageStringNarrow(1), String("Caf\xC3\xA9 \xE2\x82\xAC \xD0\x96 <product>"));
    EXPECT_TRUE(LanguageStringNarrow(7).Empty());
}

TEST(LanguageTableEmpty, NoTableGivesEmptyTexts)
{
    g_settings = Settings();
    EXPECT_TRUE(LanguageString(kCorruptionMessageRow).Empty());
    EXPECT_TRUE(LanguageStringNarrow(kErrorCaptionRow).Empty());
}

} // namespace
