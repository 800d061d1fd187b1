// Whether a file record replaces the file already at its destination: the record's replacement
// mode first, then the comparison of its type (time stamp, or version then time stamp), with the
// log text that says why.
//
//   mode (flags & 0x1C)   rule
//   0x00, 0x18, 0x1C      install, subject to the type's comparison
//   0x04, 0x14            never install (no log line, no uninstall entry)
//   0x08                  only over an existing file, then the type's comparison
//   0x0C                  only when no file exists
//   0x10                  unless the existing file's time stamp is newer, then the comparison
//
//   types                 comparison with an existing file
//   0, 5, 10, 11, 12      none: replaced
//   1, 4                  time stamp: up to date unless the record is later
//   6, 7, 8, 9            version (when both have one): the record's must be higher; then the
//                         time stamp (when the existing one can be read): the record's must be later
//
// Portable: the caller reads the existing file and logs the destination followed by logText.
#pragma once

#include "core/date_time.h"
#include "core/string.h"
#include "setupdata/file_record.h"

// Replacement modes (FileRecord::flags & kFileReplacementMask).
constexpr int32_t kReplaceAlways = 0x00;
constexpr int32_t kReplaceNever = 0x04;
constexpr int32_t kReplaceOnlyExisting = 0x08;
constexpr int32_t kReplaceOnlyMissing = 0x0C;
constexpr int32_t kReplaceUnlessNewer = 0x10;
constexpr int32_t kReplaceNever2 = 0x14;

// What is known of the file at the destination.
struct ExistingFile {
    bool exists = false;
    bool timeKnown = false;   // its last-write time could be read
    DateTime time;            // local time, when timeKnown
    String version;           // its "FileVersion", normalised (8-bit); empty when it has none
};

struct ReplaceOutcome {
    bool install = false;
    // A skipped file that the uninstaller removes all the same (the caller adds it to the
    // uninstall list): an existing file kept by mode 0x0C or 0x10 (types 0, 5, 9 to 12), or a type
    // 9 file kept by its version or date. Never set for a permanent file.
    bool keepForUninstall = false;
    String logText;           // 8-bit, follows the destination in the log; empty: no line
};

ReplaceOutcome DecideReplacement(const FileRecord &record, const ExistingFile &existing);

// The log texts, as they follow the destination.
constexpr char kLogNotInstalledMissing[] = " was not installed because it does not already exist.\r\n";
constexpr char kLogNotInstalledExists[] = " was not installed because it already exists.\r\n";
constexpr char kLogNotInstalledNewer[] = " was not installed because the existing file is newer.\r\n";
constexpr char kLogUpToDate[] = " is up to date.\r\n";
constexpr char kLogOutOfDate[] = " is out of date and will be replaced.\r\n";
constexpr char kLogVersionNotNewer[] = " was not installed because its version (%s) is not newer than %s\r\n";
constexpr char kLogVersionNewer[] = "its version (%s) is newer than %s";
constexpr char kLogDateNewer[] = "its date (%s) is newer than %s";
constexpr char kLogDateNotNewer[] = " was not installed because its date (%s) is not newer than %s.\r\n";
constexpr char kLogNeedsReplacement[] = " needs replacement because ";
