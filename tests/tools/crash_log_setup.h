// The installation state the crash tool needs for a real "Install.log": settings naming the
// installation folder, the log's context, an open log body with a line in it.
#pragma once

#include "core/string.h"

// `folder` (wide) is the installation folder; the log goes to its subfolder "Uninstall".
bool PrepareCrashLog(const String &folder);
