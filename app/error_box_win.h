// The error message box of the start-up and the uninstaller: error icon, the active language's
// error caption (row 21) or "Error". Nothing is shown in silent mode.
//
// It stands in for the program's own message box until the wizard brings it; callers go through
// this one function so that the swap happens here.
#pragma once

#include "core/string.h"

void ShowErrorBox(const String &wideText);
