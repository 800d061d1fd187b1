#include "app/install_mode_win.h"

#include <windows.h>

#include "app/exit.h"
#include "app/fatal_error.h"
#include "app/notification_win.h"
#include "app/program_win.h"
#include "core/codepage.h"
#include "core/file_win.h"
#include "core/system_error_win.h"
#include "setupdata/settings.h"
#include "setupdata/settings_flags.h"
#include "setupdata/settings_stream.h"
#include "setupdata/settings_win.h"
#include "setupdata/setup_data_win.h"

namespace {

const char16_t kOpenSelfFailed[] =
    u"Error code 1: The installer could not open itself.\r\nFilename: %ls\r\nError #%d: %ls";

const char16_t kInformationText[] =
    u"This program performs installations and uninstallations.\r\n"
    u"There is no installation data present.\r\n"
    u"No uninstallation parameters were specified.\r\n\r\n"
    u"You should not delete this program or execute it directly.";

// The program's own file, open for reading from here to the end of the process: the setup data
// is read from it to the end of the installation.
File g_programFile;

void OpenProgramFile()
{
    const String path = ProgramPath();
    if (path.Empty() || g_programFile.Open(path, FileCreation::OpenExisting, FileReadAccess | FileShareRead) != 0) {
        const DWORD error = GetLastError();
        FatalErrorFormat(kOpenSelfFailed, path.Wide(), static_cast<int>(error), SystemErrorText(error).Wide());
    }
}

// What follows the last setting: the path values the settings decided (the %DesktopShortcuts%
// folder among them; the banner headline had its placeholders expanded by the reader) and the
// install notification request.
void AfterSettings()
{
    SyncPathStateFromSettings();
    String address;
    CodePageToWide(g_settings.InstallNotifyURL, kCodePageAnsi, address);
    StartNotificationRequest(address, g_settings.DisplayVersionWide);
}

} // namespace

void RunInstallMode()
{
    OpenProgramFile();
    if (!OpenSetupData(g_programFile))
        FatalError(kInformationText);

    // The installer window (created by the reader after its sixth item unless the settings say no
    // window) belongs to the wizard; until it exists the reader is given no window hook.
    InstallWindowsSettingsHooks();
    SettingsStream settings(g_setupData.record);
    ReadSettings(settings);
    AfterSettings();

    CheckOwnImage(g_programFile, (g_settings.ProductFlags & ProductFlag::CheckImageChecksum) != 0);

    // The wizard stage follows here, then the install sequence. Until they exist the run ends as
    // every installation run does, with exit code 1.
    ExitInstaller(1);
}
