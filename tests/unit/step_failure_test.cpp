#include <gtest/gtest.h>

#include <vector>

#include "core/failure_summary.h"
#include "core/step_failure.h"

namespace {

std::vector<String> g_lines;

void KeepLine(const String &line) { g_lines.push_back(line); }

class StepFailure : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_lines.clear();
        ClearFailureSummary();
        SetStepLogSink(KeepLine);
    }
    void TearDown() override
    {
        SetStepLogSink(nullptr);
        ClearFailureSummary();
    }
};

TEST_F(StepFailure, LogLineNamesWhatFailedOnWhatAndWhy)
{
    struct Case {
        const char16_t *what;
        const char16_t *object;
        SystemError error;
        const char16_t *line;
    };
    const Case cases[] = {
        {u"Failed to delete file", u"C:\\App\\a.dll", SystemError(5), u"Failed to delete file \"C:\\App\\a.dll\": Error 5\r\n"},
        {u"Failed to read file", u"C:\\x", SystemError(0, String(u"Read past end of file")),
         u"Failed to read file \"C:\\x\": Read past end of file\r\n"},
        {u"Failed to connect to the firewall service", u"", SystemError(1062),
         u"Failed to connect to the firewall service: Error 1062\r\n"},
        // A wrapper's own text wins over the number's.
        {u"Failed to open", u"k", SystemError(2, String(u"mine")), u"Failed to open \"k\": mine\r\n"},
    };
    for (const Case &c : cases) {
        g_lines.clear();
        const String text = StepFailed(c.what, String(c.object), c.error);
        ASSERT_EQ(g_lines.size(), 1u);
        EXPECT_EQ(g_lines[0], String(c.line));
        EXPECT_EQ(text, c.error.Describe());
        EXPECT_TRUE(FailureSummaryEmpty()) << "no summary entry unless asked";
    }
}

TEST_F(StepFailure, SummaryEntryWhereTheCallerAsksInTheAnsiCodePage)
{
    // A registry call's result goes in as it stands.
    const long registryResult = 5;
    StepFailed(u"Failed to create registry key", String(u"Software\\Caf\u00e9"), registryResult,
               String(u"Error writing:"));
    StepFailed(u"Failed to create shortcut", String(u"\u0416.lnk"), SystemError(3), String(u"Shortcut:"));
    EXPECT_EQ(FailureSummary(), String("Error writing: Software\\Caf\xE9\r\nError 5\r\n\r\n"
                                       "Shortcut: ?.lnk\r\nError 3\r\n\r\n"));
    EXPECT_EQ(g_lines.size(), 2u);

    SetStepLogSink(nullptr);
    StepFailed(u"Failed", String(u"x"), SystemError(1));
    EXPECT_EQ(g_lines.size(), 2u) << "no sink: the line is dropped";
}

TEST(SystemErrorValue, FailedWhenTheSystemOrTheWrapperSaysSo)
{
    EXPECT_FALSE(SystemError().Failed());
    EXPECT_FALSE(SystemError(0).Failed());
    EXPECT_TRUE(SystemError(5).Failed());
    EXPECT_TRUE(SystemError(0, String(u"Read past end of file")).Failed());
}

} // namespace
