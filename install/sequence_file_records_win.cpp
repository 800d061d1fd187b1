// Steps 11 to 15 through the file step family: the file records, the follow-up after the last
// one, shared counts, COM servers and type libraries, drivers; the lists they leave are kept for
// the uninstall entry.
#include <windows.h>

#include <vector>

#include "app/run_mode.h"
#include "core/failure_summary.h"
#include "core/guard_win.h"
#include "core/path_text.h"
#include "install/files_win.h"
#include "install/install_log.h"
#include "install/progress.h"
#include "install/sequence_state.h"
#include "install/shortcut_list.h"
#include "setupdata/setup_data_win.h"
#include "uninstall/uninstall_data.h"

namespace {

constexpr int kPreparingStatusRow = 54;

void LogWide(const String &wide) { LogStringW(wide); }
void Failure(const String &wide) { AppendToFailureSummaryWide(wide); }

void Record(const String &wide, UninstallRecordKind kind) { (void)AddUninstallRecord(PathTextFromWide(wide), kind); }

bool Guarded(void (*work)(void *), void *context) { return !RunGuarded(work, context).crashed; }

// The run's shortcut list while the records are read (a file record's own shortcuts join it).
std::vector<ShortcutRecord> *g_shortcuts = nullptr;

void AddShortcut(const FileRecord &record, const String &destination)
{
    if (g_shortcuts)
        g_shortcuts->push_back(ShortcutFromFileRecord(record, destination));
}

} // namespace

void RunFileRecordSteps(InstallRun &run)
{
    FileStepInput in;
    in.productFlags = &run.settings.ProductFlags;
    in.installFolder = run.settings.InstallFolder;
    in.sharedFolder = run.sharedFolder;
    in.uninstallDataFolder = run.uninstallDataFolder;
    in.bits64 = run.settings.Bitness == 1;
    in.silent = run.mode.silent;
    in.fileSizes = &g_setupData.container.header.fileSizes;
    in.data = &g_setupData.fileData;
    in.hooks.logText = LogText;
    in.hooks.logWide = LogWide;
    in.hooks.failure = Failure;
    in.hooks.uninstallRecord = Record;
    in.hooks.status = ProgressStatus;
    in.hooks.progress = ProgressPosition;
    in.hooks.guarded = Guarded;
    in.hooks.shortcut = AddShortcut;
    in.windows9x = (GetVersion() & 0x80000000u) != 0;
    g_shortcuts = &run.shortcuts;

    FileStepLists lists;
    InstallFiles(in, lists);                      // 11: progress 28 + i x 62 / n
    ProgressPosition(91);                         // 12
    ProgressStatusRow(kPreparingStatusRow);
    FinishFiles(in, lists);
    ProgressPosition(92);
    run.sharedFilesText = run.input.previous.sharedFiles;
    if (run.UninstallSupport())                   // 13
        IncrementSharedFileCounts(in, lists, run.sharedFilesText);
    ProgressPosition(93);
    RegisterComFiles(in, lists);                  // 14 (nothing for two empty lists)
    if (!lists.comFiles.empty() || !lists.typeLibraries.empty())
        ProgressActivate();
    InstallDrivers(in, lists);                    // 15
    run.fontList = lists.fontList;
    for (const String &driver : lists.installedDrivers)
        (void)AddDriverRecord(PathTextFromWide(driver));
    // The setup script's own MSI block comes first, then the packages this run installed.
    (void)AddMsiBlock(run.settings.MsiBlock);
    for (const auto &package : lists.msiPackages)
        (void)AddMsiRecord(PathTextFromWide(package.first), package.second);
    g_shortcuts = nullptr;
}
