// Closing the programs the setup script names before the installation or the uninstallation
// changes their files (matching rules: programs_to_close.h).
#pragma once

#include <cstdint>
#include <vector>

#include "core/string.h"
#include "setupdata/settings.h"

struct ProgramsToCloseQuestion {
    String format;    // wide, one %s for the program name (language string 99 or 107)
    String caption;   // wide (language string 65 or 55)
    int codePage = 1252;   // of the entries' program names
};

// Tests every top-level window against the entries of `phase` and acts on the first entry that
// matches: mode 0 posts WM_CLOSE, 1 posts WM_QUIT, 2 asks with Retry/Cancel while the window
// exists (Cancel ends the run through AbortInstallation; without a user interface the entry is
// skipped), 3 ends the owning process. Windows of this process are never touched.
void ClosePrograms(const std::vector<AutoCloseEntry> &entries, uint8_t phase, const ProgramsToCloseQuestion &question);
