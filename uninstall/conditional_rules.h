// The conditions of conditional deletion records (class FileDeletion): 0 always; 1, 2, 3 the file's
// version equal to, at least, at most the value; 4, 5, 6 the file's size likewise.
#pragma once

#include <cstdint>

#include "core/string.h"

// A version text "a.b.c.d" (one to four numbers of 0 to 65535; missing ones are 0) as the 64-bit
// number a file's version resource holds (a << 48 | b << 32 | c << 16 | d). False when it is not one.
bool ParseFileVersionValue(const String &text, uint64_t &version);

// Whether the record's condition lets the file go. `fileVersion` is asked only for conditions 1 to
// 3 (a file without a version resource has version 0); `value` is then a parsed version, for 4 to 6
// a byte count. Unknown conditions never delete.
bool ConditionAllowsDeletion(int condition, uint64_t value, uint64_t fileVersion, uint64_t fileSize);

inline bool ConditionComparesVersions(int condition) { return condition >= 1 && condition <= 3; }
