#include "core/detached_process_win.h"

#include <windows.h>
#include <shellapi.h>

bool StartDetachedHidden(const String &commandLine)
{
    // CreateProcessW may write into the command line, so it gets its own copy.
    String buffer(commandLine);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, reinterpret_cast<wchar_t *>(buffer.MutableWide()), nullptr, nullptr, FALSE,
                        CREATE_NEW_CONSOLE, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool OpenHiddenThroughShell(const String &path)
{
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", reinterpret_cast<const wchar_t *>(path.Wide()),
                                           nullptr, nullptr, SW_HIDE);
    return reinterpret_cast<INT_PTR>(result) > 32;
}
