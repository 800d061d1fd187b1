// The system's text for an error number, as every failure message shows it next to what failed.
#pragma once

#include <windows.h>

#include "core/string.h"

// Wide text without the trailing line end Windows puts after its messages; "Error %u" when the
// system has no text for the number.
String SystemErrorText(DWORD error);
