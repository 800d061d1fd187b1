// The install sequence: the fixed, ordered steps from the progress page to the process exit.
//
// The sequence takes the installation settings, the run mode and the command line's values as
// parameters (wired in app/) and owns the run's collections (the lists of the file step, the
// texts for the uninstall entry, the restart decision). Step families live in one file each:
//   sequence_folders_win.cpp   folders, shared folder, empty-folder removal
//   sequence_batches_win.cpp   the batches and their command-line additions
//   sequence_files_win.cpp     file data, deletion list, files, shared counts, COM, drivers
//   sequence_shell_win.cpp     shortcuts, registry, associations, firewall, saved texts, PATH
//   sequence_finish_win.cpp    uninstaller and entry, "Uninstall.DAT", log, restart, finish actions
//   restore_point_win.cpp      the System Restore point around the installation
#pragma once

#include <cstdint>

#include "core/string.h"

struct Settings;
struct RunMode;
struct CommandLineOverrides;

// What the wizard stage found out about an earlier installation of the product.
struct PreviousInstallation {
    bool found = false;          // its folder exists
    bool upgrade = false;        // the installed version is lower than this one
    bool sameVersion = false;
    bool downgrade = false;
    String sharedFiles;          // 8-bit "SharedFiles" value of the earlier entry
    String startMenu;            // wide "ProductStartMenu" value
    String folder;               // wide "InstallLocation"
};

// The finish page's four choices (off unless the page turned them on).
struct FinishActions {
    bool openFile = false;
    String openFilePath;         // wide, path variables not yet expanded
    bool launchApplication = false;
    String applicationCommand;   // wide
    bool viewLog = false;
    bool openSecondFile = false;
    String secondFilePath;       // wide
};

struct SequenceInput {
    Settings *settings = nullptr;
    const RunMode *mode = nullptr;
    const CommandLineOverrides *overrides = nullptr;
    PreviousInstallation previous;
    FinishActions finish;
    String programPath;          // wide: the running installer's own file
};

// Runs every step and ends the process through ExitInstaller(1) (or the restart).
[[noreturn]] void RunInstallSequence(SequenceInput &input);

// Step delay: waits, processing window messages and sleeping 50 ms at a time, until the status
// display time has passed since the status line was last set. Returns at once in automatic mode.
void StepDelay(const Settings &settings, const RunMode &mode);

// Pending window messages processed; false when the program is closing (WM_QUIT seen).
bool PumpWindowMessages();
