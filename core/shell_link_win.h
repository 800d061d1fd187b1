// Shell links (".lnk" files) through IShellLinkW and IPersistFile, and shell verbs on files. COM
// must be initialised on the calling thread.
#pragma once

#include <windows.h>

#include "core/string.h"

// One link's contents (wide texts).
struct ShellLinkData {
    String target;
    String arguments;
    String workingFolder;
    String iconPath;      // empty: the target's own icon
    int iconIndex = 0;
    int showCommand = SW_SHOWNORMAL;
};

// Saves a link at `linkPath` (the full file name with ".lnk"), creating its folder with every
// missing parent. Returns the COM result (an empty target fails with E_INVALIDARG).
HRESULT SaveShellLink(const String &linkPath, const ShellLinkData &link);

// Reads a link back.
HRESULT LoadShellLink(const String &linkPath, ShellLinkData &link);

// Invokes a shell verb ("taskbarpin", "taskbarunpin") on a file; false with the last error set
// when the shell refuses.
bool InvokeShellVerb(const String &path, const char16_t *verb);
