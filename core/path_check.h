// Validation of path texts typed by users or read from settings, before any file is touched.
#pragma once

#include <cstdint>

enum PathCheckOption : uint32_t {
    PathAllowStar = 0x1,               // "*" may appear (wildcard patterns)
    PathAllowQuestion = 0x2,           // "?" may appear
    PathTrimBlanks = 0x4,              // trim " \r\n\t" first instead of refusing them at either end
    PathMustBeAbsolute = 0x20,
    PathAllowTrailingBackslash = 0x80,
};

// Wide text (UTF-16) and 8-bit path text, both zero-terminated. The 8-bit form reads a leading "|"
// as the mark of UTF-8 text, not as part of the path.
bool IsValidPath(const char16_t *text, uint32_t options);
bool IsValidPath(const char *text, uint32_t options);

// A path that starts, after leading blanks, with two backslashes or with a drive letter, ":" and a
// backslash.
bool IsAbsolutePath(const char16_t *text);
bool IsAbsolutePath(const char *text);
