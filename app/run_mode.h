// The run mode and the command-line values of this run: process-wide, set once by the start-up
// (the command line) and, for automatic mode, by the settings; read by every later step.
#pragma once

#include "core/string.h"

// The program's own name in messages (the version-mismatch message of the setup data among them).
constexpr char kInstallerTitle[] = "Kestrival Setup";
constexpr char16_t kInstallerTitleW[] = u"Kestrival Setup";

struct RunMode {
    bool automatic = false;          // /a, /silent or the settings: the wizard does not wait
    bool silent = false;             // /silent: no user interface at all
    bool minimised = false;          // /min: the installer window starts minimised
    bool uninstallRequested = false; // /u in any form
    String uninstallName;            // wide: /u:"name"
    String folderOverride;           // wide: /d:"dir", the installation folder
    String productNameOverride;      // wide: /n:"name"
    String runAfterInstall;          // wide: /r:"program", started after a successful installation
    // 8-bit text in the ANSI code page, command lines appended to the Pre-Installation,
    // Post-Installation and Installation-Exit batches (/b1:, /b2:, /b3:).
    String batchAdditions[3];
};

extern RunMode g_runMode;
