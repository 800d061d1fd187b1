// Removes the uninstaller after its process ends (uninstall/self_deletion.h for the script).
#pragma once

#include "core/string.h"

// Writes "delunins.bat" into the temporary folder and starts it hidden, not waited for. All paths
// wide: the running program, the installation folder, the uninstall subfolder below it.
void ScheduleSelfDeletion(const String &programPath, const String &installFolder, const String &uninstallSubdir);
