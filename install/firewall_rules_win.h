// Windows Firewall exceptions of an installation: ports and programs from the setup script's
// firewall list (install/firewall_entries.h), and their removal from the "[Firewall]" lines.
// Failures are logged only. COM must be initialised on the calling thread.
#pragma once

#include <vector>

#include "core/string.h"

struct FirewallStepInput {
    String list;              // wide: the setup script's firewall list
    String productName;       // wide: the name of an exception without one
    String installFolder;     // wide: relative program paths are taken from here
    void (*expand)(String &wide) = nullptr;   // path variables of program paths
};

// Each entry in order; an entry without exactly four fields ends the run through
// ReportCorruption(90). Entries whose last operation succeeded and that do not stay go to the
// uninstall data (AddFirewallRecord).
void AddFirewallExceptions(const FirewallStepInput &in);

// The uninstaller's side: each "[Firewall]" line (8-bit path text) of four fields, its ports
// closed or its program's exception removed. Lines of another shape are skipped.
void RemoveFirewallExceptions(const std::vector<String> &lines, const String &installFolder,
                              void (*expand)(String &wide));
