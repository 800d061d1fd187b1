// "Uninstall.DAT" on disk: the process-wide state of uninstall_data.h and the settings written to
// and read from the file in the uninstall data folder.
#pragma once

#include <vector>

#include "core/string.h"
#include "uninstall/uninstall_data.h"

// The uninstall data folder (see UninstallState::dataFolder) and the file's full path; wide.
String UninstallDataFolder();
String UninstallDataPath();

// Assembles the file from the uninstall list and section lists of g_uninstall, the language strings
// (current language, placeholders replaced), the headline text, the programs to close, the registry
// text and the conditional deletions of the settings, and writes it whole, replacing an earlier
// file. False when the file layer failed; `errorText` (may be null) then gets the system's text (wide).
// `refused` (may be null) gets one line per record left out because a field held a line break.
bool WriteUninstallData(String *errorText = nullptr, std::vector<String> *refused = nullptr);

// Loads the file whole and parses it: the uninstall-list lines, associations, firewall, driver and
// MSI lines go to `lists`; the language strings (into language slot 0, made the active one), the
// headline, the programs to close, the conditional deletions and the registry text go to the
// process-wide state. Returns the file layer's error code (core/file_errors.h), 0 on success.
int ReadUninstallData(UninstallDataContent &lists);
