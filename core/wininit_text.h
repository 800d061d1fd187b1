// The "[rename]" section of "wininit.ini": the restart-time rename list of systems that still run
// wininit.exe at boot. Each line "destination=source" moves source onto destination at the next
// start; the destination "NUL" deletes the source.
#pragma once

#include "core/string.h"

// Adds "name=value" (8-bit texts in the ANSI code page) to the wininit.ini text: directly under the
// first "[rename]" header (found ignoring case), or in a new section at the end, after a line end
// when the text lacks one. Returns false, changing nothing, when name or value is empty.
bool AddWininitRename(String &text, const String &name, const String &value);
