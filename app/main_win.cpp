// Process entry of the setup program: prepares the process, reads the command line and runs the
// uninstall or the install mode. Every way out passes through ExitInstaller or the fatal-error path.
#include <windows.h>

#include "app/command_line.h"
#include "app/exit.h"
#include "app/fatal_error.h"
#include "app/program_win.h"
#include "app/run_mode.h"
#include "core/crash_win.h"
#include "core/file_win.h"
#include "core/privilege_win.h"
#include "core/system_error_win.h"
#include "core/system_library_win.h"
#include "setupdata/corruption.h"
#include "setupdata/pe_image.h"
#include "uninstall/uninstall.h"

namespace {

const char16_t kInformationText[] =
    u"This program performs installations and uninstallations.\r\n"
    u"There is no installation data present.\r\n"
    u"No uninstallation parameters were specified.\r\n\r\n"
    u"You should not delete this program or execute it directly.";

// The program's own file, open for reading from install mode's start to the end of the process.
File g_programFile;

void ReadCommandLine()
{
    const CommandLineResult result = ParseCommandLine(reinterpret_cast<const char16_t *>(GetCommandLineW()),
                                                      g_runMode, g_commandLineOverrides);
    if (result.error != CommandLineError::None)
        ShowUsage(CommandLineErrorMessage(result));
}

[[noreturn]] void RunUninstallMode()
{
    if (g_runMode.uninstallProduct.Empty())
        ShowUsage(String(u"Product name required"));
    UninstallProduct(g_runMode.uninstallProduct);
    // A completed uninstallation also sends the uninstall notification and schedules the removal of
    // the uninstaller's own files; UninstallProduct does not complete one yet.
    ExitInstaller(0);
}

// Reads at an absolute offset of the program's file and puts the file position back.
bool ReadProgramFileAt(void *context, uint32_t offset, void *buffer, uint32_t length)
{
    File &file = *static_cast<File *>(context);
    const int64_t position = file.Position();
    const bool read = position >= 0 && file.Seek(offset) && file.Read(buffer, static_cast<int32_t>(length));
    return file.Seek(position) && read;
}

[[noreturn]] void RunInstallMode()
{
    const String path = ProgramPath();
    if (path.Empty() || g_programFile.Open(path, FileCreation::OpenExisting, FileReadAccess | FileShareRead) != 0) {
        const DWORD error = GetLastError();
        FatalErrorFormat(u"Error code 1: The installer could not open itself.\r\nFilename: %ls\r\nError #%d: %ls",
                         path.Wide(), static_cast<int>(error), SystemErrorText(error).Wide());
    }
    SetupSectionLocation section;
    if (!LocateSetupSection(ReadProgramFileAt, &g_programFile, section))
        FatalError(kInformationText);
    if (!g_programFile.Seek(section.rawDataPosition))
        ReportCorruption(kCorruptionSectionSeek);
    // Reading the setup data and the installation that follows are not part of the program yet;
    // a run with setup data ends here, as every installation run does, with exit code 1.
    ExitInstaller(1);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // Before anything can load a library by name.
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
    if (g_runMode.uninstall)
        RunUninstallMode();
    RunInstallMode();
}
