// Starting a program that outlives this process: a hidden console of its own, not waited for.
#pragma once

#include "core/string.h"

// `commandLine` (wide) is started in a new console whose window is hidden. Returns whether the
// process was created; the system's last error tells why not.
bool StartDetachedHidden(const String &commandLine);

// Opens `path` (wide) through the shell with its window hidden; true when the shell accepted it.
bool OpenHiddenThroughShell(const String &path);
