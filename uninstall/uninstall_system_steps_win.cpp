// The uninstaller's calls into the step families of the installation that also undo their work.
#include "uninstall/uninstall_context.h"

#include "install/association_rules.h"
#include "install/associations_win.h"
#include "install/batch_win.h"
#include "install/firewall_rules_win.h"
#include "install/path_env_win.h"
#include "install/registry_removal_win.h"
#include "install/shortcuts_win.h"
#include "setupdata/path_variables.h"

namespace {

void RestoreAssociationLine(const String &line, const String &productName, RegistryView view)
{
    AssociationRecord record;
    if (ParseAssociationRecord(line, record))   // blank or cut records are skipped, as read
        RestoreAssociation(record, productName, view);
}

void ExpandWithRunState(String &wide) { ExpandPathVariables(wide); }

void RemoveFirewallLines(const std::vector<String> &lines, const String &installFolder)
{
    RemoveFirewallExceptions(lines, installFolder, ExpandWithRunState);
}

// Removal reports nothing; a PATH that cannot be written keeps the folder, which harms nothing.
void RemovePathFolder(const String &folder) { RemoveFromSystemPath(folder); }
void Unpin(const String &shortcut) { UnpinFromTaskbar(shortcut); }
// The uninstall batches run without a name; their result does not change the removal.
void RunUninstallBatch(const String &batch, bool hidden) { RunBatch(batch, hidden, nullptr); }

} // namespace

UninstallSystemSteps ProgramUninstallSystemSteps()
{
    UninstallSystemSteps steps;
    steps.deleteRegistryValue = DeleteRegistryValueRecord;
    steps.deleteRegistryKey = DeleteRegistryKeyRecord;
    steps.removeProductKey = RemoveProductRegistryKey;
    steps.removeRegistryText = RemoveRegistryTextEntries;
    steps.restoreAssociation = RestoreAssociationLine;
    steps.removeFirewall = RemoveFirewallLines;
    steps.removeFromPath = RemovePathFolder;
    steps.unpinFromTaskbar = Unpin;
    steps.runBatch = RunUninstallBatch;
    return steps;
}
