#include "install/side_effects.h"

#include <windows.h>
#include <shellapi.h>

#include "core/codepage.h"
#include "core/file_win.h"
#include "core/path_win.h"
#include "core/wide_win.h"

namespace {

// SHTDN_REASON_FLAG_PLANNED | SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_INSTALLATION.
constexpr DWORD kRestartReason = 0x80040002;

bool SystemRestart()
{
    TraceEvent("restart", String());
    return ExitWindowsEx(EWX_REBOOT, kRestartReason) != FALSE;
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool SystemStartProgram(const ProgramStart &start)
{
    TraceEvent("start", start.commandLine);
    STARTUPINFOW info = {};
    info.cb = sizeof info;
    if (start.hidden) {
        info.dwFlags = STARTF_USESHOWWINDOW;
        info.wShowWindow = SW_HIDE;
    }
    PROCESS_INFORMATION process = {};
    // CreateProcessW may write into the command line: it gets a copy of its own.
    String commandLine = start.commandLine;
    const DWORD flags = NORMAL_PRIORITY_CLASS | (start.newConsole ? CREATE_NEW_CONSOLE : 0);
    if (!CreateProcessW(nullptr, reinterpret_cast<wchar_t *>(commandLine.MutableWide()), nullptr, nullptr, FALSE,
                        flags, nullptr, start.workingFolder.Empty() ? nullptr : AsWide(start.workingFolder),
                        &info, &process))
        return false;
    if (start.wait) {
        while (WaitForSingleObject(process.hProcess, 75) == WAIT_TIMEOUT)
            PumpMessages();
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool SystemShellOpen(const String &file, const String &arguments, const String &folder, bool hidden)
{
    TraceEvent("open", file);
    const HINSTANCE result =
        ShellExecuteW(nullptr, nullptr, AsWide(file), arguments.Empty() ? nullptr : AsWide(arguments),
                      folder.Empty() ? nullptr : AsWide(folder), hidden ? SW_HIDE : SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) > 32)
        return true;
    // ShellExecuteW reports through its result; the callers read the last error.
    if (GetLastError() == ERROR_SUCCESS)
        SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
}

SideEffects g_effects = {SystemRestart, SystemStartProgram, SystemShellOpen};

} // namespace

SideEffects &InstallSideEffects() { return g_effects; }

void TraceEvent(const char *what, const String &wide)
{
    // The trace file is named by the test that runs the program; without it nothing is written.
    static bool looked = false;
    static String path;
    if (!looked) {
        looked = true;
        path = EnvironmentText(L"KESTRIVAL_TEST_TRACE");
    }
    if (path.Empty())
        return;
    String line(what);
    if (!wide.Empty())
        line.AppendByte(' ').Append(NarrowInCodePage(wide, kCodePageUtf8));
    line.Append("\r\n");
    File file;
    // A trace that cannot be written only leaves the test without its evidence.
    if (file.Open(path, FileCreation::OpenAlways, FileWriteAccess | FileShareRead | FileShareWrite) == 0 &&
        file.Seek(0, FILE_END))
        (void)file.Write(line.Bytes(), line.Length());
}

void TraceEventNumber(const char *what, int value)
{
    TraceEvent(what, String::FormatWide(u"%d", value));
}
