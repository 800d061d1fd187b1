// The installation's effects on the world beyond its own files: restarting Windows and starting
// other programs. Each goes through one replaceable function, so that a test can observe what was
// asked without suffering it. Every request, and every progress position, also goes to a trace
// file when a test names one in the environment variable KESTRIVAL_TEST_TRACE (a test seam, not a
// setting: installers never read any other configuration from the environment).
#pragma once

#include <cstdint>

#include "core/string.h"

struct ProgramStart {
    String commandLine;        // wide, as CreateProcessW takes it
    String workingFolder;      // wide; empty: the current folder
    bool hidden = false;       // the start-up information asks for a hidden window
    bool newConsole = false;
    bool wait = false;         // wait for the end, pumping window messages every 75 ms
};

struct SideEffects {
    // ExitWindowsEx(EWX_REBOOT) with the reason "planned, application, installation".
    bool (*restartSystem)() = nullptr;
    // CreateProcessW; false with the last error set when the program could not be started.
    bool (*startProgram)(const ProgramStart &start) = nullptr;
    // ShellExecuteW; false with the last error set on failure (a result of 32 or below).
    bool (*shellOpen)(const String &file, const String &arguments, const String &folder, bool hidden) = nullptr;
};

// The functions in use (the system's unless a test replaced them).
SideEffects &InstallSideEffects();

// One trace line "<what> <value>" (UTF-8) when a test asked for the trace.
void TraceEvent(const char *what, const String &wide);
void TraceEventNumber(const char *what, int value);
