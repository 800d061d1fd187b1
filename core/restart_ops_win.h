// Operations that take effect at the next system start: deleting a file that is in use, and
// replacing one with a file written beside it.
//
// The first method is MoveFileExW with MOVEFILE_DELAY_UNTIL_REBOOT, which adds the pair to the
// "PendingFileRenameOperations" list that the session manager works off at boot. When that fails
// and the Windows folder still holds "wininit.exe" (systems that run it at boot), the pair goes into
// the "[rename]" section of "wininit.ini" instead. When every method fails, the error of the first
// is the one reported.
#pragma once

#include <windows.h>

#include "core/string.h"

// The last error after a successful replacement registration: the caller can tell a deferred move
// from a done one.
constexpr DWORD kDeferredMoveError = ERROR_BUSY;   // 170

// Registers `path` (wide) for deletion at the next start.
bool RegisterDeletionAtRestart(const String &path);

// Registers `source` to replace `destination` at the next start (both wide). Success sets the
// last error to kDeferredMoveError.
bool RegisterReplacementAtRestart(const String &source, const String &destination);

// Adds "name=value" (8-bit, ANSI code page) to the "[rename]" section of "wininit.ini" in
// `windowsFolder` (wide), creating the file when missing. Returns whether the new text was written.
bool AddWininitRenameToFile(const String &windowsFolder, const String &name, const String &value);
