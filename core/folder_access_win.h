// Access lists of folders: the folder-rights step lets every user change the product's folders.
#pragma once

#include <windows.h>

#include "core/string.h"

// Removes every access-denied entry of the folder's (wide path) own access list and adds one that
// grants GENERIC_ALL to Everyone, inherited by files and subfolders. Returns the system's error
// code (ERROR_SUCCESS, ERROR_PATH_NOT_FOUND for a missing folder, ...).
DWORD GrantEveryoneFullAccess(const String &folder);
