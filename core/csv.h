// Comma-separated records of the program's own text files ("Uninstall.DAT": auto-close entries,
// conditional deletions, registry instructions) and of the setup script's registry entries.
//
// Writing: fields are joined with ","; a field is enclosed in double quotes when it holds a comma,
// a double quote, a tab, CR, LF, ";" or "|", when it begins with a space, an apostrophe or "#", or
// when it ends with a space; a double quote inside a quoted field is written twice.
// Reading one record (a line without its line end): blanks (spaces, tabs) before a field are
// skipped; a field that begins with a double quote runs to the matching closing quote (two double
// quotes stand for one) and loses its quotes; text after the closing quote up to the next comma is
// kept as it stands. An empty record is one empty field.
//
// Writing takes 8-bit text (UTF-8 or 8-bit path text); wide text converted to UTF-8 keeps every
// separator where it was.
#pragma once

#include <vector>

#include "core/string.h"

// True when `field` is written enclosed in double quotes.
bool CsvNeedsQuotes(const String &field);
// `field` as it is written into a record.
String CsvField(const String &field);
// The fields joined into one record, without a line end.
String CsvRecord(const std::vector<String> &fields);
// The fields of one record: 8-bit text, and wide text (UTF-16 units).
std::vector<String> CsvSplit(const String &record);
void SplitCsvFields(const String &line, std::vector<String> &fields);
void SplitCsvFieldsWide(const String &line, std::vector<String> &fields);
// True when `field` holds CR or LF: such a field cannot be read back from a line-based file.
bool CsvHoldsLineBreak(const String &field);
