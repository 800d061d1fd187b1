// Running batches: RunBatch for the batches of the installation and the uninstaller,
// RunBatchDetached for a ready-made batch file started hidden without waiting (self-deletion).
#pragma once

#include <windows.h>

#include "core/string.h"

struct BatchRunMode {
    bool automatic = false;   // PAUSE lines removed, no message boxes
    bool silent = false;      // hidden forced on
    HWND owner = nullptr;     // the owner of the error message box
    bool olderThanWindows7 = false;
};

// The mode every RunBatch uses (set once by the start-up).
void SetBatchRunMode(const BatchRunMode &mode);

// Runs `text8` (Windows-1252) through the command interpreter and waits for it. With a `name`
// (8-bit; null for none) the run is announced in the log and its output captured into the log.
// True when the text is empty or the interpreter was started.
bool RunBatch(const String &text8, bool hide, const char *name);

// The command interpreter: %comspec%, else cmd.exe in the 32-bit system folder.
String FindCommandInterpreter();

// Starts an existing batch file hidden in a new console and returns at once; falls back to the
// shell's "open" verb. True when started.
bool RunBatchDetached(const String &batchPathWide);
