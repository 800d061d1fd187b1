// The program's message boxes.
#pragma once

#include "core/string.h"

// The error box of the fatal path and the uninstaller: `wideText` with the error icon and
// `caption` (wide; "Error" when empty). Nothing is shown when `silent` is set.
void ShowErrorBox(const String &wideText, bool silent, const String &caption);
