// From the registry path syntax (install/registry_path.h) to the keys of the running system: a
// path under "\HKAU\" names the same subkey in every user hive loaded under HKEY_USERS.
#pragma once

#include <windows.h>

#include <vector>

#include "core/registry_win.h"
#include "install/registry_path.h"

struct RegistryTarget {
    HKEY root;
    String subkey;   // wide
};

// The keys a parsed path names: one, or one per loaded user hive for "\HKAU\" (none when no hive
// can be listed).
std::vector<RegistryTarget> RegistryTargets(const RegistryPath &path);

// The view of every registry access of an installation: the 64-bit view in a 64-bit installation
// (a 32-bit program's HKLM\Software and HKCR\CLSID otherwise land in WOW6432Node).
inline RegistryView InstallationRegistryView(bool bits64)
{
    return bits64 ? RegistryView::Bits64 : RegistryView::Native;
}
