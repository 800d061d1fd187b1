// Path texts that Windows computes: full and short forms, the Windows folder, environment values,
// and the comparison of paths ignoring case. All wide text, of any length.
#pragma once

#include <windows.h>

#include "core/string.h"

String FullPathOf(const String &path);            // GetFullPathNameW; `path` itself on failure
String ShortPathOf(const String &path);           // GetShortPathNameW; empty on failure
String WindowsFolderPath();                       // GetWindowsDirectoryW; empty on failure
String EnvironmentText(const wchar_t *name);      // empty when not set

// Equal ignoring case, as the file system compares names (invariant locale).
bool PathsEqualIgnoringCase(const String &a, const String &b);
