// Programs to close: the setup script's auto-close entries, each naming a window by its class and
// title, what to do with it and the phase in which it acts (0x1 installation; the uninstaller reads
// its entries back with 2, or 4 for the entries that ask the user).
//
// Matching: class and title are 8-bit text compared byte for byte with what the system reports
// for the window in the ANSI code page. A text beginning with "*" matches any window text that
// contains the rest; any other must be equal. An entry matches only when at least one of the two is
// not empty and every non-empty one matches.
#pragma once

#include <cstdint>
#include <vector>

#include "core/string.h"
#include "setupdata/settings.h"

// Entry modes.
constexpr int32_t kCloseByRequest = 0;     // WM_CLOSE posted to the window
constexpr int32_t kCloseByQuit = 1;        // WM_QUIT posted to the window
constexpr int32_t kCloseAskUser = 2;       // Retry/Cancel question while the window exists
constexpr int32_t kCloseByTermination = 3; // the owning process is ended

bool ProgramEntryMatches(const AutoCloseEntry &entry, const String &windowClass, const String &windowTitle);

// The index of the first entry of `phase` (entries whose phase has that bit) matching the window,
// or -1.
int FirstMatchingProgramEntry(const std::vector<AutoCloseEntry> &entries, uint8_t phase,
                              const String &windowClass, const String &windowTitle);
