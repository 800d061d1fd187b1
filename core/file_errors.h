// File error codes: the numbers every file operation returns and the fixed texts shown next to
// them in messages and logs.
#pragma once

#include <cstdint>

enum FileError : int {
    FileSuccess = 0,
    FileUnknownError = 1,
    FileInvalidName = 2,
    FileNotFound = 3,
    FileFolderMissing = 4,
    FileLocked = 5,
    FileReadFailed = 6,
    FileWriteFailed = 7,
    FileTooManyOpen = 8,
    FileInvalidParameter = 9,
    FileAlreadyExists = 10,
    FileTooManyIndexed = 11,
    FileAccessDenied = 12,
    FileReadOnly = 13,
    FileCorrupted = 14,
    FileDeletionFailed = 15,
    FileTooLarge = 16,
    FileAborted = 17,
    FileFolderNotCreated = 18,
    FileBadNetworkPath = 19,
    FileDeviceNotReady = 20,
    FileDriveMissing = 21,
    FileErasureNotVerified = 22,
};

// The text of a code; any number outside 0..22 reads as "An unknown error occurred.".
const char *FileErrorText(int code);

// What the mapping needs to know about the path, asked only for the system errors whose code
// depends on it (the Windows side answers from the file system; tests answer as they like).
struct FileErrorProbe {
    bool (*driveExists)(char16_t letter);        // a drive letter (A..Z or a..z)
    bool (*isReadOnly)(const char16_t *path);    // the file exists and has the read-only attribute
};

// The code for a system error met while opening `path` (wide, zero-terminated). `writing`: the file
// was opened for writing. An empty path is FileInvalidName whatever the system said.
int FileErrorFromSystem(uint32_t systemError, const char16_t *path, bool writing,
                        const FileErrorProbe &probe);
