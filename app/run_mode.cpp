#include "app/run_mode.h"

RunMode g_runMode;
CommandLineOverrides g_commandLineOverrides;
