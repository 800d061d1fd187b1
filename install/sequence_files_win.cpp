// The file data and everything decided per file: the block opened and checked, the deletion list,
// the file records (the file step family), shared counts, COM servers and drivers.
#include "core/failure_summary.h"
#include "install/install_log.h"
#include "install/progress.h"
#include "install/sequence_state.h"
#include "setupdata/setup_data_win.h"
#include "uninstall/conditional_deletions_win.h"

namespace {

constexpr int kOpeningDataStatusRow = 8;
constexpr int kCheckingDataStatusRow = 62;
constexpr int kPreparingStatusRow = 54;   // also the status after the block is checked
constexpr int kRegisteringStatusRow = 26;

// The block's two waits come before and after its checksum: the first shows the check, the
// second the preparation that follows.
const InstallRun *g_dataRun = nullptr;
int g_dataWaits = 0;

void FileDataWait()
{
    g_dataRun->Delay();
    if (g_dataWaits++ == 0) {
        ProgressStatusRow(kCheckingDataStatusRow);
        ProgressPosition(21);
    } else {
        ProgressStatusRow(kPreparingStatusRow);
        ProgressPosition(26);
    }
}

void FileDataStatus(int row) { ProgressStatusRow(row); }

void DeletionFailed(const String &wide) { AppendToFailureSummaryWide(wide); }

} // namespace

void InstallFileData(InstallRun &run)
{
    // 9: the file data block, from the image or the file as the settings say.
    ProgressStatusRow(kOpeningDataStatusRow);
    ProgressPosition(2);
    g_dataRun = &run;
    g_dataWaits = 0;
    FileDataHooks hooks;
    hooks.showStatus = FileDataStatus;
    hooks.waitStatusTime = FileDataWait;
    OpenOwnFileData(run.settings.ReadFileDataFromFile ? FileDataSource::ProgramFile : FileDataSource::LoadedImage,
                    run.settings.ProductFlags, hooks);
    // Both waits belong to the checksum check; a block that skipped them still shows its stages.
    while (g_dataWaits < 2)
        FileDataWait();

    // 10: the deletion list.
    if (RunConditionalDeletions(true, run.settings.ConditionalDeletions, run.settings.InstallFolder, DeletionFailed))
        run.settings.ProductFlags |= SequenceFlag::RestartNeeded;
    ProgressPosition(27);

    // 11-15: the file records and what they leave for later.
    RunFileRecordSteps(run);

    // 16.
    run.Delay();
    ProgressStatusRow(kRegisteringStatusRow);
    ProgressPosition(95);
}
