// Steps 17 to 26: the uninstaller icon and shortcuts, shortcuts, root shortcut and taskbar pin,
// registry entries, associations, firewall exceptions (each risky call in its crash guard), the
// saved texts and bitmap, and the PATH addition.
#include <windows.h>

#include "core/failure_summary.h"
#include "core/file_win.h"
#include "core/guard_win.h"
#include "core/path_text.h"
#include "core/system_error.h"
#include "install/install_log.h"
#include "install/progress.h"
#include "install/sequence_state.h"
#include "setupdata/path_variables.h"
#include "uninstall/uninstall_data.h"

namespace {

constexpr int kSavingStatusRow = 32;

using Step = void (*)(InstallRun &);

// Runs `step` in a crash guard. A crash is logged with its exception, and the failure summary gets
// `summary` (null: the step's crash is not a failure of the installation, only of that step).
void RunGuardedStep(Step step, InstallRun &run, const char *what, const char *summary)
{
    const GuardResult result = RunGuardedCall([&] { step(run); });
    if (!result.crashed)
        return;
    LogPrintf("Crashed while %s (exception 0x%08X at %p).\r\n", what, result.code, result.address);
    if (summary)
        AppendToFailureSummary(String(summary));
}

void WriteUninstallerIcon(InstallRun &run)
{
    if (run.settings.ProductIcon.Empty())
        return;
    const String path = JoinPath(run.uninstallDataFolder, String(u"uninstall.ico"));
    File file;
    int code = file.Open(path, FileCreation::CreateAlways, FileWriteAccess);
    bool ok = code == 0 && file.Write(run.settings.ProductIcon.Bytes(), run.settings.ProductIcon.Length());
    if (!ok) {
        const String error = code != 0 ? SystemErrorText(GetLastError()) : file.LastError().Describe();
        LogPrintfW(u"Failed to install uninstaller icon to %ls\r\n%ls\r\n", path.Wide(), error.Wide());
        return;
    }
    (void)AddUninstallRecord(PathTextFromWide(path), kUninstallFile);
}

// One saved text: written as it stands, recorded for removal; a file that cannot be written is
// passed over without a word.
void SaveText(InstallRun &run, const String &folder, const String &name, const String &bytes)
{
    const String path = JoinPath(folder, name);
    if (!run.Has(SequenceFlag::NoPathsOnStatus))
        ProgressStatus(path);
    if (WriteWholeFile(path, bytes.Bytes(), bytes.Length()) == 0)
        (void)AddUninstallRecord(PathTextFromWide(path), kUninstallFile);
}

void SaveDocuments(InstallRun &run, const std::vector<String> &documents, const char16_t *single,
                   const char16_t *numbered)
{
    int index = 0;
    for (const String &text : documents) {
        if (text.Empty())
            continue;
        ++index;
        const String name = documents.size() == 1 ? String(single) : String::FormatWide(numbered, index);
        SaveText(run, run.settings.InstallFolder, name, text);
    }
}

void SaveTextsAndBitmap(InstallRun &run)
{
    if (run.Has(SequenceFlag::SaveBackgroundBitmap) && !run.settings.BackgroundBitmap.Empty())
        SaveText(run, run.uninstallDataFolder, String(u"Installer Background.bmp"), run.settings.BackgroundBitmap);
    if (run.Has(SequenceFlag::SaveReadme))
        SaveDocuments(run, run.settings.ReadmeDocuments, u"readme.txt", u"readme%d.txt");
    if (run.Has(SequenceFlag::SaveLicence))
        SaveDocuments(run, run.settings.LicenceDocuments, u"eula.txt", u"eula%d.txt");
}

} // namespace

void InstallShellEntries(InstallRun &run)
{
    // 17: the uninstaller's icon and shortcuts.
    if (run.UninstallSupport()) {
        WriteUninstallerIcon(run);
        const String uninstaller = JoinPath(run.uninstallDataFolder,
                                            PathTextToWide(run.settings.UninstallerFileName));
        run.steps.addUninstallShortcuts(run, uninstaller);
    }
    // 18.
    if (run.Has(SequenceFlag::LogShortcut))
        run.steps.addLogShortcut(run);
    // 19.
    // (With the detailed log the step begins with a line break of its own.)
    if (!(run.removableTarget && run.Has2(SequenceFlag2::RemovableNoShortcuts)))
        run.steps.createShortcuts(run);
    // 20: each in its own guard; a crashed root shortcut still lets the pin run.
    if (run.removableTarget)
        RunGuardedStep(run.steps.createRootShortcut, run, "installing the root shortcut", "Crash while installing root shortcut.\r\n");
    RunGuardedStep(run.steps.pinToTaskbar, run, "pinning to the taskbar", "Crash while pinning to taskbar.\r\n");
    // 21.
    ProgressPosition(97);
    if (!(run.removableTarget && run.Has2(SequenceFlag2::RemovableNoRegistry)))
        run.steps.writeRegistry(run);
    run.steps.mergeRegistry(run);
    // 22, 23.
    if (!(run.removableTarget && run.Has2(SequenceFlag2::RemovableNoAssociations)))
        RunGuardedStep(run.steps.installAssociations, run, "installing associations", "Crashed while installing associations.\r\n");
    if (!(run.removableTarget && run.Has2(SequenceFlag2::RemovableNoFirewall)))
        RunGuardedStep(run.steps.addFirewall, run, "adding firewall exceptions", nullptr);
    // 24.
    run.Delay();
    ProgressStatusRow(kSavingStatusRow);
    ProgressPosition(98);
    // 25.
    SaveTextsAndBitmap(run);
    // 26: failures of the PATH change are logged only, by the step itself.
    if (run.Has(SequenceFlag::AddToPath))
        run.steps.addToPath(run);
}
