// The process's last word on an unhandled processor exception: the exception goes to the fatal-error
// path (its hooks, its message, the orderly exit) instead of the system's crash dialog.
#pragma once

// Installs the unhandled-exception filter for the whole process.
void InstallCrashHandler();
