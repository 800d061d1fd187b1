// The product's folder in the system PATH ("Path" of the session manager's environment in HKLM):
// added at installation, taken out at uninstallation. The value is read and written whole, of any
// length, and keeps REG_EXPAND_SZ (entries such as "%SystemRoot%\system32" stay unexpanded); an
// unreadable, missing or empty PATH is never replaced. Running programs are told that the
// environment changed. Failures are logged only.
#pragma once

#include "core/string.h"

// Adds `folder` (wide) unless it is there already; logs when the folder does not exist.
void AddToSystemPath(const String &folder);

// Takes every entry equal to `folder` out; true when the PATH no longer holds it.
bool RemoveFromSystemPath(const String &folder);
