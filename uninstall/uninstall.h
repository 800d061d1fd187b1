// The uninstall procedure: removes the installed product named on the command line (/u:"name")
// using its uninstall registry entry and its uninstall data file.
#pragma once

#include "core/string.h"

// Registry path of the uninstall entries below HKEY_LOCAL_MACHINE; the entry name follows a
// backslash.
constexpr char16_t kUninstallKeyPath[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// `productName` is wide text. Returns true when the uninstallation was carried out without a
// failure; a false result has been explained to the user already (error boxes, none when `silent`).
// `automatic` (/a or /silent) skips the questions; the entry's flags may switch it on as well.
bool UninstallProduct(const String &productName, bool silent, bool automatic);
