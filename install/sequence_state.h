// The state of one run of the install sequence, shared by its step families.
#pragma once

#include <vector>

#include "core/string.h"
#include "install/sequence.h"
#include "install/shortcut_list.h"
#include "setupdata/settings.h"

// ProductFlags bits of the sequence not named in setupdata/settings_flags.h.
namespace SequenceFlag {
constexpr uint64_t UninstallShortcutStartMenu = 0x2;
constexpr uint64_t UninstallSupport = 0x4;
constexpr uint64_t AddToPath = 0x1000;
constexpr uint64_t RestartNeeded = 0x4000;
constexpr uint64_t SaveBackgroundBitmap = 0x8000;
constexpr uint64_t WriteLog = 0x40;
constexpr uint64_t DetailedLog = 0x100000;
constexpr uint64_t NoOutcomeMessage = 0x400000;
constexpr uint64_t HidePreInstallBatch = 0x800000;
constexpr uint64_t HidePostInstallBatch = 0x1000000;
constexpr uint64_t HideExitBatch = 0x2000000;
constexpr uint64_t UninstallShortcutDesktop = 0x200000000;
constexpr uint64_t UninstallShortcutDataFolder = 0x4000000000;
constexpr uint64_t AskBeforeRestart = 0x20000000000;
constexpr uint64_t SaveReadme = 0x400000000000;
constexpr uint64_t SaveLicence = 0x800000000000;
constexpr uint64_t NoPathsOnStatus = 0x2000000000000;
constexpr uint64_t GrantFolderRights = 0x4000000000000;
constexpr uint64_t RestartMarker = 0x20000000000000;
constexpr uint64_t NoUninstallOnRemovable = 0x100000000000000;
constexpr uint64_t OfferViewLog = 0x200000000000000;
constexpr uint64_t LogShortcut = 0x800000000000000;
constexpr uint64_t HideUpgradeBatch = 0x1000000000000000;
constexpr uint64_t HideReinstallBatch = 0x2000000000000000;
constexpr uint64_t GrantSharedFolderRights = 0x4000000000000000;
} // namespace SequenceFlag

namespace SequenceFlag2 {
constexpr uint32_t ReinstallBatchOnlySameVersion = 0x1;
constexpr uint32_t RestorePoint = 0x2;
constexpr uint32_t SeparateUninstaller = 0x20;
constexpr uint32_t LogPreInstallBatchName = 0x40;
constexpr uint32_t LogPostInstallBatchName = 0x80;
constexpr uint32_t LogUpgradeBatchName = 0x100;
constexpr uint32_t LogReinstallBatchName = 0x200;
constexpr uint32_t RemovableNoShortcuts = 0x800;
constexpr uint32_t RemovableNoRegistry = 0x8000;
constexpr uint32_t RemovableNoAssociations = 0x20000;
constexpr uint32_t RemovableNoFirewall = 0x80000;
constexpr uint32_t LaunchAppAsCommand = 0x100000;
} // namespace SequenceFlag2

struct InstallRun;

// The shell and system steps (install/sequence_system_steps_win.cpp) as the sequence calls them in
// their places; a test of the sequence may put its own into InstallRun::steps.
struct SystemSteps {
    void (*addUninstallShortcuts)(InstallRun &run, const String &uninstallerPath);   // step 17
    void (*addLogShortcut)(InstallRun &run);                 // step 18
    void (*createShortcuts)(InstallRun &run);                // step 19
    void (*createRootShortcut)(InstallRun &run);             // step 20
    void (*pinToTaskbar)(InstallRun &run);                   // step 20
    void (*writeRegistry)(InstallRun &run);                  // step 21
    void (*mergeRegistry)(InstallRun &run);                  // step 21
    void (*installAssociations)(InstallRun &run);            // step 22
    void (*addFirewall)(InstallRun &run);                    // step 23
    void (*addToPath)(InstallRun &run);                      // step 26
};
extern const SystemSteps kSystemSteps;

struct InstallRun {
    SequenceInput &input;
    Settings &settings;
    const RunMode &mode;

    bool removableTarget = false;
    String uninstallDataFolder;       // wide
    String uninstallDataFolderNarrow; // 8-bit path text
    String sharedFolder;              // wide
    bool restartAnswer = false;
    int64_t restorePointSequence = 0;

    // Texts collected for the uninstall entry. (The association and firewall records go straight
    // to the uninstall data, uninstall/uninstall_data.h, from their steps.)
    String fontList;                  // 8-bit
    String sharedFilesText;           // 8-bit
    // The shortcut list in the order it is written: the settings' shortcuts, those of the file
    // records, the uninstall shortcuts, the log shortcut.
    ShortcutList shortcuts;
    SystemSteps steps = kSystemSteps;

    explicit InstallRun(SequenceInput &in)
        : input(in), settings(*in.settings), mode(*in.mode), shortcuts(in.settings->Shortcuts) {}

    bool Has(uint64_t flag) const { return (settings.ProductFlags & flag) != 0; }
    bool Has2(uint32_t flag) const { return (settings.ProductFlags2 & flag) != 0; }
    bool UninstallSupport() const { return Has(SequenceFlag::UninstallSupport); }
    void Delay() const { StepDelay(settings, mode); }
};

// The step families, in sequence order.
void CreateRestorePoint(InstallRun &run);                  // step 1
void CommitRestorePoint(InstallRun &run);                  // step 33
void PrepareFolders(InstallRun &run);                      // steps 3-5
void RunPreInstallBatches(InstallRun &run);                // steps 6-8
void InstallFileData(InstallRun &run);                     // steps 9-16
// Steps 11 to 15 (progress 28 to 93): the file records, their follow-up and the lists they leave;
// the file step family provides it.
void RunFileRecordSteps(InstallRun &run);
void InstallShellEntries(InstallRun &run);                 // steps 17-26
void RegisterForUninstall(InstallRun &run);                // step 27
void FinishInstallation(InstallRun &run);                  // steps 28-41
void RunPostInstallBatch(InstallRun &run);                 // step 31
void RunExitBatch(InstallRun &run);                        // step 37
void RemoveEmptyInstallFolders(InstallRun &run);           // step 38

