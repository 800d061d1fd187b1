// Conditional deletions (class FileDeletion): the install sequence runs the records meant for the
// installation (flag 0x4), the uninstaller those meant for the uninstallation (flag 0x8).
#pragma once

#include <vector>

#include "core/string.h"
#include "setupdata/settings.h"

constexpr uint8_t kDeleteAtRestart = 0x1;
constexpr uint8_t kDeleteAtRestartOnFailure = 0x2;
constexpr uint8_t kDeleteAtInstall = 0x4;

// Where install mode reports (uninstall mode reports nothing): a failure-summary line (wide).
using DeletionFailureSink = void (*)(const String &wide);

// Carries out the records of `records` for the mode; in install mode every deletion is logged
// (install/install_log.h) and failed registrations go to `failure` (may be null). Paths are
// expanded with the process-wide path variables and taken relative to `installFolder` (wide).
// A version value that is not a version ends the run with corruption code 65. Returns true when a
// file was registered for deletion at the next start (the caller sets its restart bit).
bool RunConditionalDeletions(bool installMode, const std::vector<FileDeletion> &records, const String &installFolder,
                             DeletionFailureSink failure);
