// Reading comma-separated records: the form of the registry instructions of the setup script and
// of the CSV sections of "Uninstall.DAT".
//
// Fields are separated by ","; blanks before a field are skipped; a field that begins with a
// double quote runs to the matching closing quote, two double quotes inside standing for one, and
// loses its quotes (text between the closing quote and the next comma is kept unquoted). A line
// always has at least one field, so an empty line reads as one empty field.
#pragma once

#include <vector>

#include "core/string.h"

// 8-bit text.
void SplitCsvFields(const String &line, std::vector<String> &fields);
// Wide text (UTF-16 units).
void SplitCsvFieldsWide(const String &line, std::vector<String> &fields);
