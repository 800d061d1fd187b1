#include "uninstall/uninstall_data_win.h"

#include <windows.h>

#include "core/file_errors.h"
#include "core/file_win.h"
#include "core/path_parts.h"
#include "core/system_error_win.h"
#include "setupdata/settings.h"

String UninstallDataFolder()
{
    if (!g_uninstall.dataFolder.Empty())
        return g_uninstall.dataFolder;
    return WidePathJoin(g_settings.InstallFolder, g_settings.UninstallSubdir);
}

String UninstallDataPath() { return WidePathJoin(UninstallDataFolder(), String(kUninstallDataFileName)); }

bool WriteUninstallData(String *errorText, std::vector<String> *refused)
{
    const String bytes = FormatUninstallData(CollectUninstallData(g_settings, g_uninstall), refused);
    if (WriteWholeFile(UninstallDataPath(), bytes.Bytes(), bytes.Length()) == FileSuccess)
        return true;
    if (errorText != nullptr)
        *errorText = SystemErrorText(GetLastError());
    return false;
}

int ReadUninstallData(UninstallDataContent &lists)
{
    String bytes;
    const int code = ReadWholeFile(UninstallDataPath(), bytes);
    if (code != FileSuccess)
        return code;
    ParseUninstallData(bytes, lists);
    ApplyUninstallData(lists, g_settings, g_uninstall);
    return FileSuccess;
}
