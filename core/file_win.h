// The file object of the file layer: one open file handle with numbered error codes on open
// (core/file_errors.h) and the text of its last error, plus whole-file load and store.
//
// Paths are wide text (String holding UTF-16). Opening retries what usually passes: a sharing
// violation (another program has the file open without sharing, typically a virus scanner or an
// indexer looking at a file just written) is retried up to 5 more times with 100 ms pauses unless
// FileNoSharingRetry is given, and with FileRetryOnce the first failure of any kind is retried once
// after 150 ms.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/string.h"
#include "core/system_error.h"

enum class FileCreation { OpenAlways, OpenExisting, CreateNew, CreateAlways };

enum FileOpenOption : uint32_t {
    FileReadAccess = 0x1,
    FileWriteAccess = 0x2,
    FileShareRead = 0x4,
    FileShareWrite = 0x8,
    FileShareDelete = 0x10,
    FileRequired = 0x20,         // a failed open ends the program ("Failed to open required file:")
    FileRetryOnce = 0x40,        // the first failure of any kind is retried once after 150 ms
    FileNoSharingRetry = 0x80,   // a sharing violation fails at once
    FileSequentialScan = 0x100,  // the file is read from start to end (a hint to the cache)
};

class File {
public:
    File() = default;
    File(const File &) = delete;
    File &operator=(const File &) = delete;
    ~File();

    // Opens `path` (closing any file open before); returns a file error code (0 success). The
    // system's last error is that of the failed open.
    int Open(const String &path, FileCreation creation, uint32_t options);
    void Close();
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Handle() const { return handle_; }

    // Reads exactly `size` bytes; fewer is a failure ("Read past end of file").
    bool Read(void *buffer, int32_t size);
    // Writes all bytes, in pieces of at most 1 MiB.
    bool Write(const void *data, int32_t size);
    bool Seek(int64_t offset, DWORD origin = FILE_BEGIN);
    int64_t Size();                  // -1 on failure
    int64_t Position();              // -1 on failure
    bool SetEnd();                   // the file ends at the current position

    // Wide text of the last failure: the system's text, or one of the fixed texts of the read and
    // write checks ("Read past end of file", "Write access denied", ...).
    const String &ErrorText() const { return errorText_; }
    // The last failure as every wrapper reports it (core/system_error.h): the system's number (0
    // for the fixed texts of the checks) with the text above.
    SystemError LastError() const { return SystemError(errorNumber_, errorText_); }

private:
    bool Fail(const char *text);
    bool FailWithSystemError();
    bool Ready(const char *accessText, DWORD accessNeeded);

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    DWORD access_ = 0;
    DWORD errorNumber_ = 0;
    String errorText_;
};

// Loads a whole file into `out` (bytes). Returns 0, or the open's code, 16 (2 GiB or more, or no
// memory for it) or 6 (the read failed); `out` is empty after any failure.
int ReadWholeFile(const String &path, String &out);

// Creates or truncates `path` and writes `length` bytes. Returns 0, 2 for an empty path, the
// open's code, or 7 when not all bytes could be written.
int WriteWholeFile(const String &path, const void *bytes, int32_t length);

// The code for a system error met while opening `path` (the drive and read-only questions answered
// from the file system).
int FileErrorForOpen(DWORD error, const String &path, bool writing);
