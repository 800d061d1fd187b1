// The one way out of the process: ExitInstaller closes what the run opened, in a fixed order, and
// ends the process with the given exit code.
//
// The order: the progress window, the installer window (minimised, destroyed, forgotten), the
// window messages still pending, the temporary log file, the notification threads (waited for) and
// the firewall entry of the notification requests, OLE, the process. The owners of the windows and
// the log plug their part in with SetExitAction; ExitInstaller itself pumps the messages, finishes
// the notification requests and ends OLE.
#pragma once

enum class ExitStep {
    ProgressWindow,
    InstallerWindow,
    TemporaryLog,
    Count
};

using ExitAction = void (*)();

// Sets (or with null clears) the action of one step; a later call replaces the earlier action.
void SetExitAction(ExitStep step, ExitAction action);

// OleInitialize for the run; ExitInstaller balances it when it succeeded. Returns the HRESULT.
long InitializeOle();

// Runs every exit step once, then ends the process with `code`. Called again while it runs (a
// fatal error inside a step), it only ends the process.
[[noreturn]] void ExitInstaller(int code);
