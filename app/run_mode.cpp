#include "app/run_mode.h"

#include "setupdata/settings.h"

RunMode g_runMode;
CommandLineOverrides g_commandLineOverrides;

void ApplySettingsDecisions(const SettingsDecisions &decisions, RunMode &mode)
{
    if (decisions.automaticMode == AutomaticModeChange::On)
        mode.automatic = true;
    else if (decisions.automaticMode == AutomaticModeChange::Off)
        mode.automatic = false;
}
