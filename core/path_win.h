// Path texts that Windows computes: full and short forms, the Windows folder, environment values,
// and the comparison of paths ignoring case. All wide text, of any length.
#pragma once

#include <windows.h>

#include "core/string.h"
#include "core/wide_win.h"

// The calls that QuerySystemText wraps share one contract: asked with a buffer too small they return
// the size needed (terminator included), otherwise the length written (without it), 0 on failure.
// The text may change between two calls, so the query is repeated until it fits. `query` is called
// as query(wchar_t *buffer, DWORD units); the result is empty on failure.
template <typename Query>
String QuerySystemText(Query query)
{
    String text;
    DWORD units = query(nullptr, 0);
    while (units > 0) {
        text.Resize(static_cast<int32_t>(units) * 2);
        const DWORD got = query(AsWide(text.MutableWide()), units);
        if (got == 0)
            break;
        if (got < units) {
            text.Resize(static_cast<int32_t>(got) * 2);
            return text;
        }
        units = got;
    }
    text.Clear();
    return text;
}

String FullPathOf(const String &path);            // GetFullPathNameW; `path` itself on failure
String ShortPathOf(const String &path);           // GetShortPathNameW; empty on failure
String WindowsFolderPath();                       // GetWindowsDirectoryW; empty on failure
String SystemFolderPath();                        // GetSystemDirectoryW; empty on failure
String TempFolderPath();                          // GetTempPathW (with its trailing backslash)
String EnvironmentText(const wchar_t *name);      // empty when not set
String ModuleFilePath();                          // the running program's file; empty on failure

// Equal ignoring case, as the file system compares names (invariant locale).
bool PathsEqualIgnoringCase(const String &a, const String &b);
