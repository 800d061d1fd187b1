// Dotted versions ("1.2.10", "2.0b", "3,1,0,7" once commas became dots), compared by number.
//
// Each text becomes a list of numbers: every run of digits is one number (a run too long to matter
// saturates); a letter ends a number and becomes the text's letter suffix (the last letter seen
// wins); a '.' as the very first character stands for a leading 0; every other character is
// ignored. The lists are compared number by number and the first difference decides. A list that
// ends first is the lower version (1.0 is lower than 1.0.0). When both end together the letter
// suffixes decide: no letter is lower than any letter, and letters compare ignoring case.
#pragma once

// Negative when `a` is the lower version, 0 when equal, positive when `a` is higher.
int CompareDottedVersions(const char *a, const char *b);
