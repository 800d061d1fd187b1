#include <gtest/gtest.h>

#include <vector>

#include "core/format.h"
#include "wizard/programs_to_close.h"

namespace {

AutoCloseEntry Entry(const char *windowClass, const char *title, uint8_t phase = 2)
{
    AutoCloseEntry e;
    e.windowClass = String(windowClass);
    e.windowTitle = String(title);
    e.phase = phase;
    return e;
}

TEST(ProgramsToClose, ClassAndTitleMatchEquallyOrByContainedText)
{
    struct Case {
        const char *entryClass, *entryTitle, *windowClass, *windowTitle;
        bool matches;
    } cases[] = {
        {"Notepad", "", "Notepad", "readme.txt - Notepad", true},
        {"Notepad", "", "notepad", "x", false},                 // byte for byte, case counts
        {"Notepad", "", "Notepad2", "x", false},                // equal, not a prefix
        {"*pad", "", "Notepad", "x", true},
        {"*pad", "", "Padded", "x", false},
        {"", "*readme", "Edit", "the readme.txt", true},
        {"", "readme", "Edit", "the readme.txt", false},
        {"Notepad", "*readme", "Notepad", "readme.txt", true},  // both must match
        {"Notepad", "*readme", "Notepad", "licence.txt", false},
        {"", "", "Notepad", "", false},                         // an entry naming nothing matches nothing
        {"*", "", "AnyClass", "", true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ProgramEntryMatches(Entry(c.entryClass, c.entryTitle), String(c.windowClass), String(c.windowTitle)),
                  c.matches)
            << c.entryClass << " / " << c.entryTitle << " against " << c.windowClass << " / " << c.windowTitle;
}

TEST(ProgramsToClose, OnlyTheFirstMatchingEntryOfThePhaseActs)
{
    const std::vector<AutoCloseEntry> entries = {Entry("App", "", 4), Entry("App", "", 2), Entry("*A", "", 2)};
    EXPECT_EQ(FirstMatchingProgramEntry(entries, 2, String("App"), String()), 1);
    EXPECT_EQ(FirstMatchingProgramEntry(entries, 4, String("App"), String()), 0);
    EXPECT_EQ(FirstMatchingProgramEntry(entries, 2, String("Another"), String()), 2);
    EXPECT_EQ(FirstMatchingProgramEntry(entries, 1, String("App"), String()), -1);
}

TEST(FormatWithText, ReplacesTheFirstTextConversionOnly)
{
    struct Case {
        std::u16string format, argument, expected;
    } cases[] = {
        {u"Close %s now.", u"Editor", u"Close Editor now."},
        {u"%s and %s", u"A", u"A and %s"},
        {u"100%% sure: %s", u"B", u"100% sure: B"},
        {u"%d items %s", u"C", u"%d items C"},   // a stray conversion reads no argument
        {u"no conversion", u"D", u"no conversion"},
        {u"ends with %", u"E", u"ends with %"},
    };
    for (const Case &c : cases) {
        const String out = FormatWithText(String(c.format.data(), int32_t(c.format.size())),
                                          String(c.argument.data(), int32_t(c.argument.size())));
        EXPECT_EQ(std::u16string(out.Wide(), size_t(out.WideLength())), c.expected);
    }
}

} // namespace
