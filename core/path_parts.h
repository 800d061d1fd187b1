// Pieces of wide (UTF-16) paths: the folder part, the file-name part, joining.
#pragma once

#include "core/string.h"

// Everything before the last backslash ("C:\a\b.txt" -> "C:\a"); empty when there is none.
String WidePathFolder(const String &path);
// Everything after the last backslash (the whole text when there is none).
String WidePathFileName(const String &path);
// `folder` + "\" + `name`, without doubling a backslash that ends `folder`; an empty folder gives
// `name`.
String WidePathJoin(const String &folder, const String &name);
// Removes one trailing backslash; returns whether it did.
bool WidePathStripTrailingBackslash(String &path);
