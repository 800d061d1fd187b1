// Case rules for wide (UTF-16) text.
//
// Upper case: on Windows each character that IsCharLowerW reports as lower case is replaced through
// CharUpperW (both looked up at run time); without them, and on the host, the Latin-1 rule applies:
// a to z and 224 to 254 except 247 move down by 32, 255 becomes 376, everything else stays.
//
// Equality ignoring case: on Windows CompareStringW with the invariant locale and
// NORM_IGNORECASE | SORT_STRINGSORT; on the host the library's own fold of the common case pairs
// (ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic, full-width Latin).
#pragma once

#include <cstdint>

char16_t UpperCaseLatin1(char16_t unit);
char16_t FoldCaseForComparison(char16_t unit);

void WideToUpperCase(char16_t *text, int32_t units);
bool WideEqualIgnoringCase(const char16_t *a, int32_t aUnits, const char16_t *b, int32_t bUnits);
