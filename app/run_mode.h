// The run mode of the process and the values of the command line: decided by the command line
// (/a, /silent, /min, /u) and, for automatic mode, by the setup data. Every later step consults it.
#pragma once

#include "core/program_title.h"
#include "core/string.h"

struct RunMode {
    bool automatic = false;   // the wizard advances without waiting; step delays and questions skipped
    bool silent = false;      // nothing is shown at all; questions count as yes (implies automatic)
    bool minimised = false;   // the installer window is created minimised
    bool uninstall = false;   // /u in any form: the run is an uninstallation
    String uninstallProduct;  // /u:"name" (wide); empty when no name was given
};

extern RunMode g_runMode;

// Values of the command line that take precedence over the setup data or add to it. Empty means
// not given.
struct CommandLineOverrides {
    String installFolder;     // /d:"dir" (wide)
    String installFolderText; // the same as 8-bit path text
    String productName;       // /n:"name" (wide)
    String runAfterInstall;   // /r:"program" (wide): started after a successful installation
    // /b1:, /b2:, /b3: (8-bit text in the ANSI code page): command lines appended to the
    // Pre-Installation, Post-Installation and Installation-Exit batches.
    String batchAdditions[3];
};

extern CommandLineOverrides g_commandLineOverrides;

// What the settings record decides for the run mode (its automatic-mode override), applied to `mode`.
struct SettingsDecisions;
void ApplySettingsDecisions(const SettingsDecisions &decisions, RunMode &mode);
