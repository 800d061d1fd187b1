// The batches of the installation at their places in the sequence, with the command line's
// additions (/b1 to the pre-installation, /b2 to the post-installation, /b3 to the exit batch).
#include "app/run_mode.h"
#include "install/batch.h"
#include "install/batch_win.h"
#include "install/sequence_state.h"

namespace {

void RunWithAddition(const String &script, const String &addition, bool hide, const char *name)
{
    String text = script;
    AppendBatchAddition(text, addition);
    // A batch that fails is logged by RunBatch; the installation goes on either way.
    (void)RunBatch(text, hide, name);
}

} // namespace

void RunPreInstallBatches(InstallRun &run)
{
    const CommandLineOverrides &overrides = *run.input.overrides;
    const PreviousInstallation &previous = run.input.previous;
    RunWithAddition(run.settings.PreInstallBatch, overrides.batchAdditions[0],
                    run.Has(SequenceFlag::HidePreInstallBatch),
                    run.Has2(SequenceFlag2::LogPreInstallBatchName) ? "Pre-Installation Batch" : nullptr);
    if (previous.upgrade)
        (void)RunBatch(run.settings.UpgradeBatch, run.Has(SequenceFlag::HideUpgradeBatch),
                       run.Has2(SequenceFlag2::LogUpgradeBatchName) ? "Upgrade Batch" : nullptr);
    if (previous.found && (previous.sameVersion || !run.Has2(SequenceFlag2::ReinstallBatchOnlySameVersion)))
        (void)RunBatch(run.settings.ReinstallBatch, run.Has(SequenceFlag::HideReinstallBatch),
                       run.Has2(SequenceFlag2::LogReinstallBatchName) ? "Reinstall Batch" : nullptr);
}

void RunPostInstallBatch(InstallRun &run)
{
    RunWithAddition(run.settings.PostInstallBatch, run.input.overrides->batchAdditions[1],
                    run.Has(SequenceFlag::HidePostInstallBatch),
                    run.Has2(SequenceFlag2::LogPostInstallBatchName) ? "Post-Installation Batch" : nullptr);
}

void RunExitBatch(InstallRun &run)
{
    RunWithAddition(run.settings.ExitBatch, run.input.overrides->batchAdditions[2],
                    run.Has(SequenceFlag::HideExitBatch), nullptr);
}
