#include <gtest/gtest.h>

#include "core/date_compare.h"
#include "core/dotted_version.h"

namespace {

struct VersionCase {
    const char *a;
    const char *b;
    int order;   // sign of CompareDottedVersions(a, b)
};

int Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

TEST(DottedVersion, ComparesNumberByNumber)
{
    const VersionCase cases[] = {
        {"2.0", "2.0", 0},
        {"1.0", "1.0.0", -1},           // the list that ends first is lower
        {"1.10", "1.9", 1},             // numbers, not text
        {"1.2.3", "1.2.4", -1},
        {"01.002", "1.2", 0},
        {"1.0a", "1.0", 1},             // no letter is lower than any letter
        {"1.0a", "1.0b", -1},
        {"1.0B", "1.0b", 0},            // letters ignore case
        {"1.0b2", "1.0a3", -1},         // numbers before letters: 1.0.2 < 1.0.3
        {"1a.2c", "1.2b", 1},           // the last letter seen is the suffix
        {".5", "0.5", 0},               // a leading dot stands for 0
        {"v2.1", "2.1", 1},             // a letter anywhere is the suffix
        {"3, 1, 0, 7", "3.1.0.7", 0},   // blanks and commas are ignored
        {"", "", 0},
        {"", "0", -1},
        {"99999999999999999999999", "99999999999999999999998", 0},   // saturated
        {"4294967296", "4294967295", 1},                               // beyond 32 bits
    };
    for (const VersionCase &c : cases) {
        EXPECT_EQ(Sign(CompareDottedVersions(c.a, c.b)), c.order) << c.a << " vs " << c.b;
        EXPECT_EQ(Sign(CompareDottedVersions(c.b, c.a)), -c.order) << c.b << " vs " << c.a;
    }
}

DateTime At(int y, int mo, int d, int h, int mi, int s) { return DateTime{y, mo, d, h, mi, s}; }

struct DateCase {
    DateTime a;
    DateTime b;
    int order;
};

TEST(DateTimeCompare, DateThenTimeWithTwoSecondTolerance)
{
    const DateCase cases[] = {
        {At(2024, 5, 1, 12, 0, 0), At(2024, 5, 1, 12, 0, 1), 0},     // 1 s apart: equal
        {At(2024, 5, 1, 12, 0, 0), At(2024, 5, 1, 12, 0, 2), -1},    // 2 s apart: not
        {At(2024, 5, 1, 12, 0, 0), At(2024, 5, 1, 12, 0, 3), -1},
        {At(2024, 5, 1, 23, 59, 59), At(2024, 5, 2, 0, 0, 0), 0},    // across midnight
        {At(2024, 12, 31, 23, 59, 59), At(2025, 1, 1, 0, 0, 0), 0},  // across the year
        {At(2024, 5, 2, 0, 0, 0), At(2024, 5, 1, 23, 0, 0), 1},
        {At(2023, 12, 1, 0, 0, 0), At(2024, 1, 1, 0, 0, 0), -1},
        {At(2024, 2, 29, 10, 0, 0), At(2024, 3, 1, 10, 0, 0), -1},
        {At(0, 0, 0, 0, 0, 0), At(2024, 5, 1, 12, 0, 0), 1},         // no date is later
        {At(0, 0, 0, 0, 0, 0), At(0, 0, 0, 5, 0, 0), 0},             // neither has a date
        {At(2024, 5, 1, -1, 0, 0), At(2024, 5, 1, 23, 59, 59), 1},   // no time is later
        {At(2024, 5, 1, -1, 0, 0), At(2024, 5, 2, 1, 0, 0), -1},     // the date decides first
        {At(2024, 5, 1, -1, 0, 0), At(2024, 5, 1, -1, 0, 0), 0},
    };
    for (const DateCase &c : cases) {
        const std::string what = std::string(FormatRecordDate(c.a).Bytes()) + " vs " +
                                 FormatRecordDate(c.b).Bytes();
        EXPECT_EQ(Sign(CompareDateTime(c.a, c.b)), c.order) << what;
        EXPECT_EQ(Sign(CompareDateTime(c.b, c.a)), -c.order) << what;
    }
}

TEST(DateTimeCompare, PrintsYearFirst)
{
    EXPECT_STREQ(FormatRecordDate(At(2024, 5, 1, 7, 3, 9)).Bytes(), "2024/05/01 07:03:09");
}

} // namespace
