// The lines of the setup script's line-based texts (registry instructions, firewall list): lines
// end at CR, LF, CR LF or LF CR; the last needs no line end; lines that are empty or only blanks
// are no lines. Wide text.
#pragma once

#include <vector>

#include "core/string.h"

std::vector<String> NonBlankWideLines(const String &text);
