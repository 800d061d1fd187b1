// Registry work beyond one open key: values of any type, the deletion of whole keys and of empty
// ones in an explicit view, and the user hives loaded under HKEY_USERS. Results are the system's
// error codes (ERROR_SUCCESS = 0).
#pragma once

#include <windows.h>

#include <vector>

#include "core/registry_win.h"
#include "core/string.h"

// A value of `type` with `bytes` as its data; `name` wide, empty for the default value.
LONG RegistryWriteValue(HKEY key, const String &name, DWORD type, const String &bytes);
// The value's type and raw data; ERROR_FILE_NOT_FOUND when it is not there.
LONG RegistryReadValue(HKEY key, const String &name, DWORD &type, String &bytes);

// Deletes `subkey` of `root` with everything below it, in `view`. An empty subkey is refused
// (ERROR_INVALID_PARAMETER): a root is never deleted.
LONG RegistryDeleteTree(HKEY root, const String &subkey, RegistryView view);
// Deletes `subkey` only when it holds neither values nor subkeys (ERROR_DIR_NOT_EMPTY otherwise).
LONG RegistryDeleteIfEmpty(HKEY root, const String &subkey, RegistryView view);
// The numbers of subkeys and values of an open key.
LONG RegistryCounts(HKEY key, DWORD &subkeys, DWORD &values);

// The names of the user hives loaded under HKEY_USERS (SIDs and ".DEFAULT"), without the
// "..._Classes" hives, which hold no profile of their own.
std::vector<String> LoadedUserHives();
