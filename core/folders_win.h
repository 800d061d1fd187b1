// Creating and removing folders, and the file search used for wildcard deletions. Paths are wide
// text.
#pragma once

#include <cstdint>

#include "core/array.h"
#include "core/string.h"

enum RemoveFolderOption : uint32_t {
    RemoveFolderKeepShellFiles = 0x1,   // leave "thumbs.db" and "desktop.ini" alone
};

enum DeleteTreeOption : uint32_t {
    // Bits below 0x400 are RemoveFile options (core/file_ops_win.h), applied to every file.
    DeleteTreePumpMessages = 0x400,     // keep the window alive: process messages after each file
};

// Creates `folder` and every missing parent; true when it exists afterwards.
bool CreateFolderPath(const String &folder);

// Removes an empty folder. Refuses (ERROR_BAD_PATHNAME) a path of three characters or fewer. Unless
// RemoveFolderKeepShellFiles, the files Explorer leaves in folders it has shown ("thumbs.db",
// "desktop.ini") are deleted first when nothing else is in the folder. A missing folder fails with
// ERROR_PATH_NOT_FOUND.
bool RemoveEmptyFolder(const String &path, uint32_t options);

// Deletes a folder with everything in it. Refuses paths of three characters or fewer and the
// system's own folders (Windows, system, both Program Files, both Common Files, the user profile).
// Goes on past failures; true when nothing failed, else the last error is that of the most recent
// failure. A folder that does not exist counts as deleted.
bool DeleteFolderTree(const String &path, uint32_t options);

// The files matching `patterns`: wildcard masks separated by ";", each with an optional " /s" at
// its end to search the subfolders too; relative masks are taken relative to `base`. Full paths
// of the matching files (not folders) are appended to `out`.
void FindFiles(const String &patterns, const String &base, Array<String> &out);
