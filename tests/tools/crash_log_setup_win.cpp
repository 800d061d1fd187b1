#include "tests/tools/crash_log_setup.h"

#include <windows.h>

#include "install/install_log.h"
#include "install/install_log_body.h"
#include "install/install_log_finish.h"
#include "setupdata/settings.h"

bool PrepareCrashLog(const String &folder)
{
    g_settings.InstallFolder = folder;
    g_settings.UninstallSubdir = String(u"Uninstall");
    g_settings.DisplayName = String(u"Crashing Product");
    String logFolder = folder;
    logFolder.AppendWide(u"\\Uninstall");
    if (!CreateDirectoryW(reinterpret_cast<const wchar_t *>(logFolder.Wide()), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    InstallLogContext context;
    context.settings = &g_settings;
    context.automatic = true;
    context.operatingSystem = String(u"Windows");
    SetInstallLogContext(context);
    if (!OpenLogBody())
        return false;
    LogText("A step before the crash.\r\n");
    return true;
}
