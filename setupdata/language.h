// The language table of the setup data: the language names and rows of texts, one text per language
// per row, looked up by row number in the active language.
//
// The table reads itself from the settings record (item 64) and answers lookups; what it does not
// own comes from its caller: the product-placeholder expansion is passed in, and the table the run
// looks its texts up in is named once by the start-up (SetRunLanguage).
#pragma once

#include <vector>

#include "core/codepage.h"
#include "core/string.h"

class SettingsStream;

// Rows that the start-up and the setup data code use.
constexpr int kCorruptionMessageRow = 13;
constexpr int kErrorCaptionRow = 21;
constexpr int kDecodingStatusRow = 29;

// Corruption codes of the table and its limits.
constexpr int kCorruptLanguageCount = 30;
constexpr int kCorruptStringCount = 31;
constexpr int kMaxLanguages = 200;
constexpr int kMaxLanguageRows = 10000;

struct LanguageTable {
    std::vector<String> names;                  // wide
    std::vector<std::vector<String>> rows;      // rows[id][language], wide
    int active = 0;                             // index into names
    // The 8-bit code page of the active language's messages (the fatal path carries them as 8-bit
    // text): Windows-1252 while every text of the active language has a 1252 form, UTF-8 otherwise.
    // Kept by SetActiveLanguage.
    int codePage = kCodePageWindows1252;
};

// Expands the product placeholders of a wide text in place.
using PlaceholderExpander = void (*)(String &wide);

// Reads item 64 into `table`: the counts (codes 30 and 31), the names (the last exact "English"
// becomes the active language, else the first), the rows. Rows are added as they are read, so a
// record cut short does not make the table allocate its announced size first.
void ReadLanguageTable(SettingsStream &in, LanguageTable &table);

// Makes `index` the active language and chooses its code page (see LanguageTable::codePage).
void SetActiveLanguage(LanguageTable &table, int index);

// Row `id` in the table's active language with the product placeholders expanded by `expand` (may
// be null), or an empty text when the row or the entry does not exist.
String LanguageString(const LanguageTable &table, int id, PlaceholderExpander expand);

// The same row converted to 8-bit text in the active language's code page ("?" for characters that
// do not map), for the 8-bit fatal-error path.
String LanguageStringNarrow(const LanguageTable &table, int id, PlaceholderExpander expand);

// The run's table and expansion, named by the start-up; until then (and with a null table) the
// lookups below give empty texts and the code page is the ANSI code page.
void SetRunLanguage(const LanguageTable *table, PlaceholderExpander expand);
String LanguageString(int id);
String LanguageStringNarrow(int id);
// The run's expansion (null until the start-up names it), for lookups in another table.
PlaceholderExpander RunPlaceholderExpander();
// The code page of the run's 8-bit messages (the fatal path), in which the run's LanguageStringNarrow
// encodes: the active language's when it needs one of its own (UTF-8), else the ANSI code page.
int RunMessageCodePage();
