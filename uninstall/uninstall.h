// The uninstall procedure: removes the installed product named on the command line (/u:"name")
// using its uninstall registry entry and its uninstall data file.
#pragma once

#include "core/string.h"

// Registry path of the uninstall entries below HKEY_LOCAL_MACHINE; the entry name follows a
// backslash.
constexpr char16_t kUninstallKeyPath[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

struct UninstallRequest {
    String productName;        // wide: /u:"name"
    bool silent = false;       // /silent: no user interface at all
    bool automatic = false;    // /a or /silent: no questions; the entry's flags may switch it on too
    String runAfter;           // wide: /r:"program", started after a completed uninstallation
};

// What the start-up needs after a completed uninstallation: the notification request's address
// and the product version that fills its "%version%" (both wide, from the uninstall entry).
struct UninstallNotice {
    String address;
    String version;
};

// Returns true when the uninstallation was carried out without a failure (`notice` is then
// filled); a false result has been explained to the user already (error boxes, none when silent).
bool UninstallProduct(const UninstallRequest &request, UninstallNotice &notice);
