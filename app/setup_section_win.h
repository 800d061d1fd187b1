// Whether the program's file carries setup data: the search for the `.setup` section in the PE
// section table.
//
// This is the start-up's own minimal reading of the PE header; the setup data container takes it
// over with its full reader.
#pragma once

#include <windows.h>

// True when `file` (the program's own file, open for reading) has a section named ".setup"; the file
// is then positioned at the section's raw data. False: no such section (information mode). A
// malformed header ends through ReportCorruption: PE header offset outside 64..4,096 (43), section
// count outside 4..99 (44), a raw data position of 0 (9), a failing seek to it (10).
bool FindSetupSection(HANDLE file);
