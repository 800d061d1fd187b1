// The registry path syntax of the setup script and of the uninstall records: a backslash, a root
// name and the key path, for example "\HKLM\Software\Classes\CLSID\". The roots are HKLM, HKCU,
// HKCR, HKU and HKCC (the long HKEY_... names are read too) and "\HKAU\", which stands for every
// user profile loaded under HKEY_USERS. The leading backslash may be missing (uninstall records
// written by older installations have none). All texts are wide.
#pragma once

#include "core/string.h"

enum class RegistryRoot { LocalMachine, CurrentUser, ClassesRoot, Users, CurrentConfig, AllUsers };

struct RegistryPath {
    RegistryRoot root = RegistryRoot::LocalMachine;
    String subkey;   // below the root, without leading or trailing backslashes; may be empty
};

// False when the text does not start with a known root name followed by a backslash or its end.
bool ParseRegistryPath(const String &path, RegistryPath &out);

// A value path ("!" uninstall records): the key path up to the last backslash and the value name
// after it. False when there is no backslash.
bool SplitRegistryValuePath(const String &path, String &keyPath, String &valueName);

// The number of backslash-separated components of a subkey ("" has 0, "Software\A" has 2).
int RegistrySubkeyDepth(const String &subkey);

// Keys whose deletion would damage Windows or every program: a root itself, a key directly under
// HKLM, HKCU, HKU or a user hive (Software, SYSTEM, ...), a user hive of HKU itself, and the
// shared keys that every program's entries live under (Software\Microsoft, Software\Classes,
// CLSID, ...). The uninstaller refuses to delete them whatever a record says.
bool IsProtectedRegistryKey(const RegistryPath &path);

// The short name of a root ("HKLM"...), for messages.
const char16_t *RegistryRootName(RegistryRoot root);
