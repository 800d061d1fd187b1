#include <gtest/gtest.h>

#include <string>

#include "install/file_replace.h"

namespace {

DateTime At(int y, int mo, int d, int h, int mi, int s) { return DateTime{y, mo, d, h, mi, s}; }

const DateTime kRecordTime = At(2024, 5, 1, 12, 0, 10);
const DateTime kOneSecondLater = At(2024, 5, 1, 12, 0, 11);
const DateTime kThreeSecondsEarlier = At(2024, 5, 1, 12, 0, 7);
const DateTime kThreeSecondsLater = At(2024, 5, 1, 12, 0, 13);
const DateTime kNoDate = At(0, 0, 0, 0, 0, 0);

struct Existing {
    bool exists;
    bool timeKnown;
    DateTime time;
    const char *version;
};
const Existing kMissing = {false, false, {}, ""};

struct ReplaceCase {
    const char *what;
    int32_t type;
    int32_t flags;
    const char *recordVersion;
    DateTime recordTime;
    Existing existing;
    bool install;
    bool keep;
    const char *log;
};

TEST(FileReplacement, ModeThenTypeDecidesWithItsLogText)
{
    const int32_t P = kFileFlagPermanent;
    const ReplaceCase cases[] = {
        // Modes.
        {"never", 0, 0x04, "", kRecordTime, kMissing, false, false, ""},
        {"never (0x14)", 9, 0x14, "2.0", kRecordTime, {true, true, kThreeSecondsEarlier, "1.0"}, false, false, ""},
        {"only existing, missing", 0, 0x08, "", kRecordTime, kMissing, false, false, kLogNotInstalledMissing},
        {"only existing, present", 0, 0x08, "", kRecordTime, {true, true, kRecordTime, ""}, true, false, ""},
        {"only missing, missing", 0, 0x0C, "", kRecordTime, kMissing, true, false, ""},
        {"only missing, present", 0, 0x0C, "", kRecordTime, {true, true, kRecordTime, ""}, false, true, kLogNotInstalledExists},
        {"only missing, permanent", 0, 0x0C | P, "", kRecordTime, {true, true, kRecordTime, ""}, false, false, kLogNotInstalledExists},
        {"only missing, system type", 6, 0x0C, "", kRecordTime, {true, true, kRecordTime, ""}, false, false, kLogNotInstalledExists},
        {"unless newer, newer", 0, 0x10, "", kRecordTime, {true, true, kThreeSecondsLater, ""}, false, true, kLogNotInstalledNewer},
        {"unless newer, 1 s newer", 0, 0x10, "", kRecordTime, {true, true, kOneSecondLater, ""}, true, false, ""},
        {"unless newer, older", 0, 0x10, "", kRecordTime, {true, true, kThreeSecondsEarlier, ""}, true, false, ""},
        {"unless newer, record undated", 0, 0x10, "", kNoDate, {true, true, kThreeSecondsLater, ""}, true, false, ""},
        {"unless newer, time unknown", 0, 0x10, "", kRecordTime, {true, false, {}, ""}, true, false, ""},
        {"unless newer, then type 1", 1, 0x10, "", kRecordTime, {true, true, kOneSecondLater, ""}, false, false, kLogUpToDate},
        {"always (0x18)", 0, 0x18, "", kRecordTime, {true, true, kThreeSecondsLater, ""}, true, false, ""},
        {"always (0x1C)", 0, 0x1C, "", kRecordTime, {true, true, kThreeSecondsLater, ""}, true, false, ""},
        // Types 1 and 4: the time stamp.
        {"shared, missing", 1, 0, "", kRecordTime, kMissing, true, false, ""},
        {"shared, 1 s later", 1, 0, "", kRecordTime, {true, true, kOneSecondLater, ""}, false, false, kLogUpToDate},
        {"shared, 1 s earlier", 1, 0, "", kOneSecondLater, {true, true, kRecordTime, ""}, false, false, kLogUpToDate},
        {"shared, 3 s earlier", 1, 0, "", kRecordTime, {true, true, kThreeSecondsEarlier, ""}, true, false, kLogOutOfDate},
        {"font, 3 s later", 4, 0, "", kRecordTime, {true, true, kThreeSecondsLater, ""}, false, false, kLogUpToDate},
        {"font, time unknown", 4, 0, "", kRecordTime, {true, false, {}, ""}, true, false, kLogOutOfDate},
        {"font, record undated", 4, 0, "", kNoDate, {true, true, kThreeSecondsLater, ""}, true, false, kLogOutOfDate},
        // Types 6 to 9: version, then time stamp.
        {"versioned, missing", 9, 0, "2.0", kRecordTime, kMissing, true, false, ""},
        {"versioned, equal version", 9, 0, "2.0", kThreeSecondsLater, {true, true, kRecordTime, "2.0"}, false, true,
         " was not installed because its version (2.0) is not newer than 2.0\r\n"},
        {"versioned, older version", 9, 0, "1.9", kThreeSecondsLater, {true, true, kRecordTime, "2.0"}, false, true,
         " was not installed because its version (1.9) is not newer than 2.0\r\n"},
        {"versioned, permanent", 9, P, "1.9", kRecordTime, {true, true, kRecordTime, "2.0"}, false, false,
         " was not installed because its version (1.9) is not newer than 2.0\r\n"},
        {"system, shorter version", 6, 0, "2.0", kThreeSecondsLater, {true, true, kRecordTime, "2.0.0"}, false, false,
         " was not installed because its version (2.0) is not newer than 2.0.0\r\n"},
        {"newer version, newer date", 7, 0, "2.1", kThreeSecondsLater, {true, true, kRecordTime, "2.0"}, true, false,
         " needs replacement because its version (2.1) is newer than 2.0 and its date (2024/05/01 12:00:13) is "
         "newer than 2024/05/01 12:00:10\r\n"},
        {"newer version, older date", 9, 0, "2.1", kThreeSecondsEarlier, {true, true, kRecordTime, "2.0"}, false, true,
         " was not installed because its date (2024/05/01 12:00:07) is not newer than 2024/05/01 12:00:10.\r\n"},
        {"newer version, 1 s newer date", 8, 0, "2.1", kOneSecondLater, {true, true, kRecordTime, "2.0"}, false, false,
         " was not installed because its date (2024/05/01 12:00:11) is not newer than 2024/05/01 12:00:10.\r\n"},
        {"newer version, time unknown", 9, 0, "2.1", kRecordTime, {true, false, {}, "2.0"}, true, false,
         " needs replacement because its version (2.1) is newer than 2.0\r\n"},
        {"no existing version, newer date", 9, 0, "2.1", kThreeSecondsLater, {true, true, kRecordTime, ""}, true, false,
         " needs replacement because its date (2024/05/01 12:00:13) is newer than 2024/05/01 12:00:10\r\n"},
        {"no record version, older date", 6, 0, "", kThreeSecondsEarlier, {true, true, kRecordTime, "2.0"}, false, false,
         " was not installed because its date (2024/05/01 12:00:07) is not newer than 2024/05/01 12:00:10.\r\n"},
        {"no versions, time unknown", 9, 0, "", kRecordTime, {true, false, {}, ""}, true, false, kLogOutOfDate},
        // Types without a comparison.
        {"program, present", 0, 0, "", kRecordTime, {true, true, kThreeSecondsLater, ""}, true, false, ""},
        {"driver, present", 10, 0, "", kRecordTime, {true, true, kThreeSecondsLater, ""}, true, false, ""},
        {"applet, present", 12, 0, "", kRecordTime, {true, true, kThreeSecondsLater, ""}, true, false, ""},
    };
    for (const ReplaceCase &c : cases) {
        FileRecord record;
        record.name = "file.dll";
        record.type = c.type;
        record.flags = c.flags;
        record.version = c.recordVersion;
        record.time = c.recordTime;
        ExistingFile existing;
        existing.exists = c.existing.exists;
        existing.timeKnown = c.existing.timeKnown;
        existing.time = c.existing.time;
        existing.version = c.existing.version;
        const ReplaceOutcome outcome = DecideReplacement(record, existing);
        EXPECT_EQ(outcome.install, c.install) << c.what;
        EXPECT_EQ(outcome.keepForUninstall, c.keep) << c.what;
        EXPECT_EQ(std::string(outcome.logText.Bytes()), std::string(c.log)) << c.what;
    }
}

} // namespace
