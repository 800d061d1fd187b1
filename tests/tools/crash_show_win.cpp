// Crashes outside every guard, the way an installer would, with the installer's crash handler in
// place: the report goes into the failure summary and "Install.log", and "ExceptionDlg" shows it.
//
// Usage: crash_show.exe FOLDER. FOLDER is the installation folder; the log goes to its uninstall
// subfolder "Uninstall". The test answers the dialog and reads the log.
#include <windows.h>

#include <cstdint>

#include "app/installer_crash_win.h"
#include "app/program_win.h"
#include "core/crash_win.h"
#include "core/file_win.h"
#include "core/wide_win.h"
#include "tests/tools/known_crash.h"
#include "tests/tools/crash_log_setup.h"

int wmain(int argc, wchar_t **argv)
{
    if (argc < 2)
        return 2;
    LoadProgramResources(GetModuleHandleW(nullptr));
    InstallCrashHandler(HandleInstallerCrash);
    if (!PrepareCrashLog(String(FromWide(argv[1]))))
        return 4;
    // The test compares the report's address with this one, written to FOLDER\site.txt.
    const String folder(FromWide(argv[1]));
    const String site = String::Format("site=%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(&ks_crash_site)));
    String sitePath = folder;
    sitePath.AppendWide(u"\\site.txt");
    if (WriteWholeFile(sitePath, site.Bytes(), site.Length()) != 0)
        return 5;
    CrashWithKnownRegisters();
    return 3;
}
