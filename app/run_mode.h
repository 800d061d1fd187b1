// The run mode of the process: decided by the command line (/a, /silent, /min) and, for automatic
// mode, by the setup data. Every later step consults it.
#pragma once

#include "core/string.h"

struct RunMode {
    bool automatic = false;   // the wizard advances without waiting; step delays and questions skipped
    bool silent = false;      // nothing is shown at all; questions count as yes (implies automatic)
    bool minimised = false;   // the installer window is created minimised
};

extern RunMode g_runMode;

// Values of the command line that take precedence over the setup data. Empty means not given.
struct CommandLineOverrides {
    String installFolder;     // /d:"dir" (wide)
    String productName;       // /n:"name" (wide)
};

extern CommandLineOverrides g_commandLineOverrides;
