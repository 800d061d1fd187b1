#include "app/installer_window_setup_win.h"

#include "app/exit.h"
#include "app/program_win.h"
#include "app/run_mode.h"
#include "setupdata/language.h"
#include "setupdata/settings.h"
#include "setupdata/settings_flags.h"
#include "wizard/installer_window_win.h"
#include "wizard/window_look.h"

namespace {

constexpr int kWindowTitleRow = 0;

} // namespace

void CreateRunInstallerWindow(const Settings &settings)
{
    // The reader already skips this hook with the no-window flag; the check keeps the rule here
    // for every other caller.
    if (settings.ProductFlags & ProductFlag::NoInstallerWindow)
        return;
    SetInstallerWindowLook(WindowLookFromSettings(settings));
    // Without a window the pages centre on the work area; nothing else depends on it.
    if (!CreateInstallerWindow(g_program.instance, nullptr, g_runMode.minimised))
        return;
    SetInstallerWindowIcons(g_program.smallIcon, g_program.largeIcon);
    SetExitAction(ExitStep::InstallerWindow, CloseInstallerWindow);
}

void ApplySettingsToInstallerWindow(const Settings &settings)
{
    SetInstallerWindowLook(WindowLookFromSettings(settings));
}

void ApplyLanguageToInstallerWindow() { ApplyLanguageCaption(LanguageString(kWindowTitleRow)); }
