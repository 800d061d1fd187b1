// Deleting and moving files, now or at the next system start (core/restart_ops_win.h).
// Paths are wide text. Both calls return whether they succeeded; the system's last error tells why
// not.
#pragma once

#include <cstdint>

#include "core/string.h"

enum RemoveFileOption : uint32_t {
    RemoveKeepReadOnly = 0x1,        // do not clear the read-only attribute first
    RemoveAtRestart = 0x2,           // do not delete now: register for deletion at the next start
    RemoveAtRestartOnFailure = 0x10, // deleting now failed (not because the file is missing): register
    RemoveToRecycleBin = 0x80,       // send the file to the Recycle Bin
    RemoveOnlyIfEmpty = 0x100,       // delete only a file of 0 bytes
    RemoveMissingIsDeleted = 0x800,  // a file or folder that does not exist counts as deleted
};

enum RelocateFileOption : uint32_t {
    RelocateDestinationMustExist = 0x1,     // else ERROR_FILE_NOT_FOUND
    RelocateDestinationMustNotExist = 0x2,  // else ERROR_FILE_EXISTS
    RelocateCreateFolders = 0x4,            // create the destination's missing folders
    RelocateAtRestart = 0x8,                // replace at the next start (last error 170 on success)
    RelocateRefuseReadOnly = 0x40,          // a read-only destination fails with ERROR_ACCESS_DENIED
    RelocateIntoFolder = 0x80,              // the destination is a folder: the source's name is added
    RelocateRelativeToSource = 0x200,       // a relative destination is taken from the source's folder
};

bool RemoveFile(const String &path, uint32_t options);

// Moves `source` to `destination`. An existing destination is deleted first (unless the move is
// deferred to the next start). A destination equal to the source, ignoring case, succeeds without
// doing anything.
bool RelocateFile(const String &source, const String &destination, uint32_t options);
