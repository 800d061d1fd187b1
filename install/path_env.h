// Editing the system PATH text ("Path" of the session manager's environment): adding the
// product's folder at installation and taking it out again at uninstallation.
//
// Entries are compared whole, ignoring letter case and one trailing backslash, with surrounding
// blanks and double quotes ignored: "C:\App", "c:\app\" and " \"C:\App\" " are one folder, while
// "C:\App" is not found inside "C:\App2" or "D:\Tools\C:\App". Everything else of the text stays
// exactly as it was, of whatever length: PATH values of several thousand characters are common and
// are never cut or emptied here.
#pragma once

#include "core/string.h"

// Whether the PATH text holds `folder` as one of its entries.
bool PathListHasFolder(const String &path, const String &folder);

// The PATH text with `folder` appended (a ";" first unless the text ends with one). False, `out`
// untouched, when the text is empty (an unreadable or missing PATH is never replaced by one
// folder) or already holds the folder.
bool PathListWithFolder(const String &path, const String &folder, String &out);

// The PATH text without any entry equal to `folder`, the separators around the others kept. False,
// `out` untouched, when the folder is not in the text, or when it is the only entry (a PATH is
// never written back empty).
bool PathListWithoutFolder(const String &path, const String &folder, String &out);

// The folder the product adds: the installation folder when `subfolder` is empty, `subfolder`
// itself when it is absolute ("C:\..." or "\\server\..."), else the installation folder joined
// with it.
String PathFolderFor(const String &installFolder, const String &subfolder);
