// The shell and system steps of the install sequence: each builds its step's input from the run
// (settings, language texts, path variables, product placeholders, the 64-bit registry view of a
// 64-bit installation) and calls the step. The work itself lives in the step files named beside
// each adapter.
#include <windows.h>

#include "core/path_parts.h"
#include "core/path_text.h"
#include "install/associations_win.h"
#include "install/firewall_rules_win.h"
#include "install/install_log_finish.h"
#include "install/path_env_win.h"
#include "install/registry_entries.h"
#include "install/registry_step_win.h"
#include "install/sequence_state.h"
#include "install/shortcut_list.h"
#include "install/shortcuts_win.h"
#include "setupdata/language.h"
#include "setupdata/path_variables.h"
#include "setupdata/settings_win.h"

namespace {

// Language rows the shell steps use.
constexpr int kFailureLeadRow = 31;        // first word of a failure-summary entry
constexpr int kUninstallShortcutRow = 33;  // the uninstall shortcuts' name
constexpr int kUnnamedShortcutRow = 38;    // a shortcut without a name; "%s": the target's title
constexpr int kAfterPinStatusRow = 78;     // the status line after the taskbar pin
constexpr int kLogShortcutRow = 86;        // the log shortcut's name

void ExpandVariables(String &wide) { ExpandPathVariables(wide); }
void ExpandProduct(String &wide) { ExpandProductPlaceholders(wide); }

bool Bits64(const InstallRun &run) { return run.settings.Bitness == 1; }

String ActiveLanguageName(const Settings &settings)
{
    const LanguageTable &table = settings.Languages;
    if (table.active < 0 || size_t(table.active) >= table.names.size())
        return String();
    return table.names[size_t(table.active)];
}

ShortcutStepInput ShortcutInput(const InstallRun &run)
{
    const Settings &s = run.settings;
    ShortcutStepInput in;
    in.resolve.installFolder = s.InstallFolder;
    in.resolve.uninstallFolder = run.uninstallDataFolder;
    in.resolve.shortcutMode = s.ShortcutMode;
    in.resolve.unnamedTemplate = LanguageString(kUnnamedShortcutRow);
    in.resolve.expand = ExpandVariables;
    in.productFlags = s.ProductFlags;
    in.startMenuFolder = s.ProductStartMenu;
    if (!s.DesktopFolder.Empty())
        in.desktopFolder = s.DesktopShortcuts;
    in.desktopFolderIcon = s.DesktopFolderIcon;
    in.failureLead = LanguageString(kFailureLeadRow);
    in.rootShortcutName = s.RootShortcutName;
    in.rootCommand = s.RootShortcutCommand;
    in.pinCommand = s.ShortcutStepTexts[kPinCommandText];
    in.pinName = s.ShortcutStepTexts[kPinNameText];
    in.productName = s.DisplayName;
    in.afterPinStatus = LanguageString(kAfterPinStatusRow);
    if (!RunningWindowsVersion(in.windows))
        in.windows = WindowsVersion{};   // unknown: no pin (TaskbarPinSupported says no)
    in.removableTarget = run.removableTarget;
    in.expandProduct = ExpandProduct;
    return in;
}

void AddUninstallShortcutsStep(InstallRun &run, const String &uninstallerPath)
{
    UninstallShortcutInput in;
    in.productFlags = run.settings.ProductFlags;
    in.uninstallerPath = uninstallerPath;
    in.entryName = run.settings.UninstallName;
    in.name = LanguageString(kUninstallShortcutRow);
    in.uninstallFolder = run.uninstallDataFolder;
    AddUninstallShortcuts(run.shortcuts, in);
}

void AddLogShortcutStep(InstallRun &run)
{
    AddLogShortcut(run.shortcuts, run.settings.ProductFlags, InstallLogPath(), LanguageString(kLogShortcutRow));
}

void CreateShortcutsStep(InstallRun &run) { CreateShortcuts(ShortcutInput(run), run.shortcuts); }

void CreateRootShortcutStep(InstallRun &run) { CreateRootShortcut(ShortcutInput(run)); }

void PinToTaskbarStep(InstallRun &run) { PinToTaskbar(ShortcutInput(run)); }

void WriteRegistryStep(InstallRun &run)
{
    RegistryStepInput in;
    in.productRegistry = run.settings.ProductRegistry;
    in.registryText = RegistryTextWide(run.settings.RegistryText);
    in.bits64 = Bits64(run);
    in.expand = ExpandVariables;
    WriteRegistryEntries(in);
}

void MergeRegistryStep(InstallRun &run) { MergeRegistryFile(run.settings.RegistryMerge); }

void InstallAssociationsStep(InstallRun &run)
{
    AssociationStepInput in;
    in.associations = &run.settings.Associations;
    in.productName = run.settings.DisplayName;
    in.language = ActiveLanguageName(run.settings);
    in.installFolder = run.settings.InstallFolder;
    in.bits64 = Bits64(run);
    in.expand = ExpandVariables;
    InstallAssociations(in);
}

void AddFirewallStep(InstallRun &run)
{
    if (run.settings.FirewallList.Empty())
        return;
    FirewallStepInput in;
    in.list = PathTextToWide(run.settings.FirewallList);
    in.productName = run.settings.DisplayName;
    in.installFolder = run.settings.InstallFolder;
    in.expand = ExpandVariables;
    AddFirewallExceptions(in);
}

void AddToPathStep(InstallRun &run)
{
    // The subfolder may name a path variable ("%InstallDir%\bin"); an unexpanded one could never be
    // a folder that exists.
    String folder = run.settings.AddToPathSubfolder;
    ExpandPathVariables(folder);
    if (folder.Empty())
        folder = run.settings.InstallFolder;
    else if (!IsAbsolutePath(folder))
        folder = JoinPath(run.settings.InstallFolder, folder);
    AddToSystemPath(folder);
}

} // namespace

const SystemSteps kSystemSteps = {
    AddUninstallShortcutsStep, AddLogShortcutStep, CreateShortcutsStep, CreateRootShortcutStep, PinToTaskbarStep,
    WriteRegistryStep,         MergeRegistryStep,  InstallAssociationsStep, AddFirewallStep,  AddToPathStep,
};
