// What a written file's type adds: fonts registered and loaded, drivers listed, MSI packages
// installed, control-panel applets registered.
#pragma once

#include "install/file_step.h"

// After the file was written (or, `written` false, registered for replacement at restart: then only
// an applet gets its registry entries).
void InstallByType(FileStepInput &input, FileStepLists &lists, const FileRecord &record,
                   const String &destination, bool written);

// An applet's display name (field 6, else the file's title) and class identifier (field 10),
// wide; codes 78 and 79 when either is empty. Checked before the file is touched.
void AppletIdentity(const FileRecord &record, String &displayName, String &classId);
