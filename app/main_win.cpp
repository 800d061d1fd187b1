// Process entry of the setup program: prepares the process, reads the command line and runs the
// uninstall or the install mode. Every way out passes through ExitInstaller or the fatal-error path.
#include <windows.h>

#include "app/command_line.h"
#include "app/exit.h"
#include "app/fatal_error.h"
#include "app/install_mode_win.h"
#include "app/installer_crash_win.h"
#include "app/notification_win.h"
#include "app/program_win.h"
#include "app/run_mode.h"
#include "core/crash_win.h"
#include "core/memory.h"
#include "core/path_win.h"
#include "core/privilege_win.h"
#include "core/system_library_win.h"
#include "core/wide_win.h"
#include "setupdata/path_variables.h"
#include "uninstall/self_deletion_win.h"
#include "uninstall/uninstall.h"

namespace {

void ReadCommandLine()
{
    const CommandLineResult result = ParseCommandLine(FromWide(GetCommandLineW()),
                                                      g_runMode, g_commandLineOverrides);
    if (result.error != CommandLineError::None)
        ShowUsage(CommandLineErrorMessage(result));
}

// After a completed uninstallation the uninstaller's own file and its folders go once this process
// has ended.
void ScheduleOwnRemoval()
{
    const String program = ModuleFilePath();
    if (program.Empty())
        return;   // without its own path the program cannot remove itself; its files stay
    ScheduleSelfDeletion(program, InstallationPathState().installFolder, InstallationPathState().uninstallSubfolder);
}

[[noreturn]] void RunUninstallMode()
{
    if (g_runMode.uninstallProduct.Empty())
        ShowUsage(String(u"Product name required"));
    UninstallRequest request;
    request.productName = g_runMode.uninstallProduct;
    request.silent = g_runMode.silent;
    request.automatic = g_runMode.automatic;
    request.runAfter = g_commandLineOverrides.runAfterInstall;
    UninstallNotice notice;
    if (UninstallProduct(request, notice)) {
        // ExitInstaller waits for the request and takes the firewall permission back.
        StartNotificationRequest(notice.address, notice.version);
        ScheduleOwnRemoval();
    }
    ExitInstaller(0);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // Before anything can load a library by name.
    RestrictDllSearchToSystemFolder();
    InstallCrashHandler(HandleInstallerCrash);
    // Without OLE the shell and COM steps fail and say so themselves; the run goes on.
    InitializeOle();
    // Taking ownership helps replace locked-down files; without the privilege those steps report
    // their own failures.
    EnablePrivilege(SE_TAKE_OWNERSHIP_NAME);
    RegisterFatalErrorHandler();
    // From here a failed allocation ends with the out-of-memory report instead of a crash.
    InstallOutOfMemoryHandler();
    LoadProgramResources(instance);
    ReadCommandLine();
    if (g_runMode.uninstall)
        RunUninstallMode();
    RunInstallMode();
}
