// The packages an installation handed to Windows: Windows Installer packages removed through
// MSI.DLL, driver information files removed through the Setup API. Both libraries come from the
// system folder and each call runs inside a crash guard.
#pragma once

#include <vector>

#include "uninstall/uninstall_context.h"

// The "[MSI]" lines ("\"package\",level"): each package is removed with REMOVE=ALL at its recorded
// user-interface level. A failure goes to the failure summary and the line back into the MSI list,
// so that a later run tries again. Without MSI.DLL each package fails with code 120.
void RemoveMsiPackages(UninstallContext &context, const std::vector<String> &lines);

// The "[INF]" lines: SetupUninstallOEMInfW with each file name, forced. Without Setupapi.dll or the
// function the step is skipped; removal failures report nothing.
void RemoveDrivers(const std::vector<String> &lines);
