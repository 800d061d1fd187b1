// The installation's folders: the uninstall data folder and the shared folder at the start, the
// removal of what stayed empty at the end.
#include <windows.h>

#include "core/folders_win.h"
#include "core/path_text.h"
#include "core/system_error.h"
#include "core/wide_win.h"
#include "install/folder_rights_win.h"
#include "install/install_log.h"
#include "install/sequence_state.h"
#include "setupdata/path_variables.h"
#include "uninstall/uninstall_data.h"

namespace {

bool IsRemovableDrive(const String &folder)
{
    const char16_t *p = folder.Wide();
    if (folder.WideLength() < 2 || p[1] != u':')
        return false;
    const char16_t root[4] = {p[0], u':', u'\\', 0};
    const UINT type = GetDriveTypeW(AsWide(root));
    return type == DRIVE_REMOVABLE || type == DRIVE_CDROM || type == DRIVE_RAMDISK;
}

// The step logs its outcome with the system's code; a folder without rights is no failure of the
// installation.
void GrantRights(const String &folder) { (void)GrantFolderRights(folder); }

void CreateOrLog(const String &folder, const char *what)
{
    if (CreateFolderPath(folder)) {
        // Removed at uninstallation when it is empty by then.
        (void)AddUninstallRecord(PathTextFromWide(folder), kUninstallFolder);
        return;
    }
    const String error = SystemErrorText(GetLastError());
    LogText(what);
    LogStringW(folder);
    LogText("\": ");
    LogStringW(error);
    LogText("\r\n");
}

String SharedBase(const InstallRun &run)
{
    switch (run.settings.SharedFolderBase) {
    case 1: return PathVariableValue(PathVariable::AppDataAllDir);
    case 2: return CommonFilesFolder(kFilesView32);
    case 3: return CommonFilesFolder(kFilesView64);
    default: return CommonFilesFolder(run.settings.Bitness == 1 ? kFilesView64 : kFilesViewNative);
    }
}

} // namespace

void PrepareFolders(InstallRun &run)
{
    const String &install = run.settings.InstallFolder;
    run.removableTarget = IsRemovableDrive(install);

    run.uninstallDataFolder = JoinPath(install, run.settings.UninstallSubdir);
    run.uninstallDataFolderNarrow = PathTextFromWide(run.uninstallDataFolder);
    if (run.Has(SequenceFlag::GrantFolderRights))
        GrantRights(install);
    if (!run.settings.UninstallSubdir.Empty())
        CreateOrLog(run.uninstallDataFolder, "Failed to create uninstall data folder \"");

    run.sharedFolder.Clear();
    if (run.UninstallSupport()) {
        if (run.removableTarget && !run.settings.SharedSubfolder.Empty())
            run.sharedFolder = JoinPath(install, run.settings.SharedSubfolder);
        else
            run.sharedFolder = JoinPath(SharedBase(run), run.settings.SharedPath);
        if (!run.sharedFolder.Empty()) {
            CreateOrLog(run.sharedFolder, "Failed to create shared folder \"");
            if (run.Has(SequenceFlag::GrantSharedFolderRights) && run.Has(SequenceFlag::GrantFolderRights))
                GrantRights(run.sharedFolder);
        }
    }
    InstallationPathState().sharedFolder = run.sharedFolder;

    if (run.removableTarget && run.Has(SequenceFlag::NoUninstallOnRemovable))
        run.settings.ProductFlags &= ~SequenceFlag::UninstallSupport;
}

void RemoveEmptyInstallFolders(InstallRun &run)
{
    // RemoveEmptyFolder refuses roots and anything that still holds files; a failure here only
    // means the folder is in use, which is the expected case.
    const String *folders[] = {&run.sharedFolder, &run.uninstallDataFolder, &run.settings.InstallFolder};
    for (const String *folder : folders)
        if (folder->WideLength() > 3)
            (void)RemoveEmptyFolder(*folder, 0);
}
