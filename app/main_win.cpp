// Process entry of the setup program: prepares the process, reads the command line and runs the
// uninstall or the install mode. Every way out passes through ExitInstaller or the fatal-error path.
#include <windows.h>

#include "app/ansi_text_win.h"
#include "app/command_line.h"
#include "app/dll_search_win.h"
#include "app/exit.h"
#include "app/fatal_error.h"
#include "app/program_win.h"
#include "app/run_mode.h"
#include "app/setup_section_win.h"
#include "app/system_error_win.h"
#include "core/crash_win.h"
#include "core/privilege_win.h"
#include "uninstall/uninstall.h"

namespace {

const char16_t kInformationText[] =
    u"This program performs installations and uninstallations.\r\n"
    u"There is no installation data present.\r\n"
    u"No uninstallation parameters were specified.\r\n\r\n"
    u"You should not delete this program or execute it directly.";

void ReadCommandLine()
{
    const CommandLineResult result =
        ParseCommandLine(reinterpret_cast<const char16_t *>(GetCommandLineW()), WideToAnsi, g_runMode);
    if (result.error != CommandLineError::None)
        ShowUsage(CommandLineErrorMessage(result));
}

[[noreturn]] void RunUninstallMode()
{
    if (g_runMode.uninstallName.Empty())
        ShowUsage(String(u"Product name required"));
    UninstallProduct(g_runMode.uninstallName);
    // A completed uninstallation also sends the uninstall notification and schedules the removal of
    // the uninstaller's own files; UninstallProduct does not complete one yet.
    ExitInstaller(0);
}

[[noreturn]] void RunInstallMode()
{
    const String path = ProgramPath();
    // The program's file stays open for the whole installation; the process end closes it.
    const HANDLE file = path.Empty() ? INVALID_HANDLE_VALUE
                                     : CreateFileW(reinterpret_cast<const wchar_t *>(path.Wide()), GENERIC_READ,
                                                   FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                                   nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        FatalErrorFormat(u"Error code 1: The installer could not open itself.\r\nFilename: %ls\r\nError #%d: %ls",
                         reinterpret_cast<const wchar_t *>(path.Wide()), static_cast<int>(error),
                         reinterpret_cast<const wchar_t *>(SystemErrorText(error).Wide()));
    }
    if (!FindSetupSection(file))
        FatalError(kInformationText);
    // Reading the setup data and the installation that follows are not part of the program yet;
    // a run with setup data ends here, as every installation run does, with exit code 1.
    ExitInstaller(1);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // Before anything can load a library by name. A system that allows neither restriction keeps
    // its default search order: there is nothing better to fall back to.
    RestrictDllSearchToSystemFolder();
    InstallCrashHandler();
    // Without OLE the shell and COM steps fail and say so themselves; the run goes on.
    InitializeOle();
    // Taking ownership helps replace locked-down files; without the privilege those steps report
    // their own failures.
    EnablePrivilege(SE_TAKE_OWNERSHIP_NAME);
    RegisterFatalErrorHandler();
    LoadProgramResources(instance);
    ReadCommandLine();
    if (g_runMode.uninstallRequested)
        RunUninstallMode();
    RunInstallMode();
}
