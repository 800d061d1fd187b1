// The texts of the uninstall entry that list what the uninstaller takes away besides the uninstall
// list: "SharedFiles" (quoted paths separated by ";", each followed by its marker characters) and
// "ProductFonts" (quoted texts, pairs of font name and font file).
#pragma once

#include <vector>

#include "core/string.h"

// One "SharedFiles" entry.
struct SharedFileEntry {
    String path;              // 8-bit path text, markers removed
    bool comServer = false;   // "^": unregistered before it is deleted
    bool keepFile = false;    // " ": the count is adjusted, the file itself stays
    bool typeLibrary = false; // 0xA9: the type library is unregistered
};

// The quoted texts of `text` (8-bit), in order: each between a pair of double quotes (a doubled
// quote stands for one), blanks and one ";" after each skipped. Stops at the first text that does
// not begin with a double quote.
std::vector<String> QuotedTexts(const String &text);

// The entries of "SharedFiles" (8-bit text); the markers are taken off the end in the order "^",
// blank, 0xA9.
std::vector<SharedFileEntry> ParseSharedFiles(const String &text);

// One "ProductFonts" pair.
struct ProductFont {
    String name;   // UTF-8 as stored
    String file;   // 8-bit path text
};
// The pairs of "ProductFonts"; an unpaired last text is dropped.
std::vector<ProductFont> ParseProductFonts(const String &text);

// The reference count after one uninstallation takes its reference: below 1 (or missing) the last
// reference is gone. `remaining` gets the count to write back; 0 means the value is deleted.
bool SharedReferenceGone(int64_t count, int64_t &remaining);
