// Deleting a registry key with everything below it, in a chosen view.
#pragma once

#include <windows.h>

#include "core/registry_win.h"

// Deletes `path` (wide) below `root` with its values and subkeys. Returns the system error code;
// a key that does not exist is ERROR_FILE_NOT_FOUND.
LONG DeleteRegistryTree(HKEY root, const String &path, RegistryView view);
