// The system half of code-page conversion: the Windows API in the program (codepage_win.cpp), the
// library's own tables in the host build (codepage_host.cpp). Called by codepage.cpp for every page
// other than the UTF-16 byte copies, with a non-empty input; `codePage` may be kCodePageAnsi. On
// failure they return false; the caller empties the output.
#pragma once

#include <cstdint>

#include "core/string.h"

bool SystemCodePageToWide(const char *bytes, int32_t length, int codePage, String &wide);
bool SystemCodePageFromWide(const char16_t *text, int32_t units, int codePage, const char *replacement,
                            bool noBestFit, String &bytes);
