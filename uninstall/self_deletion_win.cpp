#include "uninstall/self_deletion_win.h"

#include <windows.h>

#include "core/detached_process_win.h"
#include "core/file_win.h"
#include "core/path_parts.h"
#include "core/path_win.h"
#include "install/batch.h"
#include "uninstall/self_deletion.h"

namespace {

bool BeforeWindows7()
{
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    // Deprecated but exact for the Vista/7 question; a failure reads as a newer system.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&info))
        return false;
#pragma GCC diagnostic pop
    return info.dwMajorVersion < 6 || (info.dwMajorVersion == 6 && info.dwMinorVersion < 1);
}

String CommandInterpreter()
{
    String comspec = EnvironmentText(L"ComSpec");
    if (!comspec.Empty())
        return comspec;
    return WidePathJoin(SystemFolderPath(), String(u"cmd.exe"));
}

} // namespace

void ScheduleSelfDeletion(const String &programPath, const String &installFolder, const String &uninstallSubdir)
{
    String temp = TempFolderPath();
    WidePathStripTrailingBackslash(temp);
    if (temp.Empty())
        temp = String(u"c:\\temp");
    const String script = WidePathJoin(temp, String(kSelfDeletionScriptName));
    const String bytes =
        BatchFileBytes(SelfDeletionScriptText(programPath, installFolder, uninstallSubdir, script), BeforeWindows7());
    if (WriteWholeFile(script, bytes.Bytes(), bytes.Length()) != 0)
        return;   // nothing to start; the uninstaller's own files stay, as after a failed run

    String shortPath = ShortPathOf(script);
    if (shortPath.Empty())
        shortPath = script;
    String command(u"\"");
    command.Append(CommandInterpreter());
    command.AppendWide(u"\" /c ");
    command.Append(shortPath);
    if (!StartDetachedHidden(command))
        OpenHiddenThroughShell(script);
}
