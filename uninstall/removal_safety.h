// The guard against an uninstall data file or uninstall entry that names the system itself.
//
// "Uninstall.DAT" and the uninstall entry are plain files and registry values that anyone with
// administrator rights can edit, and the uninstaller runs elevated. A record naming a drive root,
// the Windows folder, a system folder, Program Files, Common Files, the folder holding the user
// profiles or a profile folder itself (not a file inside one) is refused: such a folder is never
// removed, never climbed into from a subfolder and never deleted as a tree; such a path is never
// deleted as a file.
#pragma once

#include <vector>

#include "core/string.h"

// A drive root ("C:", "C:\"), a share root ("\\server\share") or a path without any folder part;
// wide text, any trailing backslashes ignored.
bool IsRootPath(const String &wide);

// `wide` (a full path) is a root or equals, ignoring case, one of `protectedFolders` (full paths,
// wide); "\\?\" prefixes and trailing backslashes on either side are ignored.
bool IsProtectedPath(const String &wide, const std::vector<String> &protectedFolders);
