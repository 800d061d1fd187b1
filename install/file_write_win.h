// Writing one installed file: up to three attempts, reading back when asked, time stamps and
// attributes, and when the file stays locked its replacement at the next restart.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/date_time.h"
#include "core/string.h"
#include "install/file_step.h"

constexpr int kCorruptionNegativeWriteSize = 5;
constexpr int kWriteAttempts = 3;
constexpr DWORD kWriteAttemptPause = 50;                 // ms between attempts
constexpr DWORD kRecordAttributeMask = 0x1127;           // read-only .. offline, set from the record

struct FileWriteRequest {
    String path;                       // wide destination
    const uint8_t *data = nullptr;     // the content in memory, or
    int64_t size = 0;
    String tempFile;                   // the content already written to this file beside it
    uint32_t contentChecksum = 0;      // of the content (verifying a streamed file)
    DateTime time;
    int32_t attributes = -1;
    bool existedBefore = false;
};

// Writes the file. True when it was written now; `registeredForRestart` is set when it could not
// be and was registered to replace the destination at the next restart instead (ProductFlags gets
// RestartNeeded). Failures go to the failure summary as the rules say. A request with a
// temporary file moves that file into place; the temporary file is gone afterwards unless it was
// registered for the restart.
bool WriteInstalledFile(const FileWriteRequest &request, FileStepInput &input, bool &registeredForRestart);

// Time stamps of files: a record's local time to the file's creation and last-write time, and a
// file's last-write time back to local time.
bool SetFileTimes(const String &path, const DateTime &localTime);
bool ReadLastWriteTime(const String &path, DateTime &localTime);
// The record's attributes within kRecordAttributeMask; the others stay.
bool ApplyRecordAttributes(const String &path, int32_t attributes);

// A new empty file with a generated name in `folder` (wide); empty on failure (last error set).
String CreateTemporaryFileIn(const String &folder);
