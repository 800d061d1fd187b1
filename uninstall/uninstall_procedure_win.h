// The removal of an installed product, once its uninstall entry has been found and opened: the
// entry's values, "Uninstall.DAT", the confirmation, the removal steps in order, the rewritten data
// file after a failure, the entry's deletion after success, the final messages.
#pragma once

#include "uninstall/uninstall_context.h"

// `context` holds the product name, the entry's key path and open key, the installation folder and
// the run mode. Returns true when nothing failed; "No" at the confirmation ends the process with
// exit code 1.
bool RemoveInstalledProduct(UninstallContext &context);
