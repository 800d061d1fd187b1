// Protection against DLL planting. An installer runs elevated from a downloads folder, where a DLL
// named like a system one would be loaded by name; so before any library is loaded by name the
// program restricts the DLL search to the system folder.
#pragma once

// SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) where the system has it (Windows 8 and
// later; Vista and 7 with update KB2533623). Without it only the current folder can be taken out of
// the search (SetDllDirectoryW with an empty text). Returns false when neither worked.
bool RestrictDllSearchToSystemFolder();
