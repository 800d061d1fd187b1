#include "core/com_server_win.h"

#include <windows.h>

#include "core/path_parts.h"
#include "core/path_win.h"
#include "core/wide_win.h"

long RunRegsvr32(const String &path, bool unregister)
{
    const String folder = SystemFolderPath();
    const String program = WidePathJoin(folder, String(u"regsvr32.exe"));
    String command(unregister ? u"regsvr32.exe /s /u \"" : u"regsvr32.exe /s \"");
    command.Append(path).AppendWideChar(u'"');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(AsWide(program), reinterpret_cast<wchar_t *>(command.MutableWide()), nullptr, nullptr,
                        FALSE, CREATE_NO_WINDOW, nullptr, AsWide(folder), &startup, &process))
        return -1;
    CloseHandle(process.hThread);
    DWORD code = DWORD(-1);
    if (WaitForSingleObject(process.hProcess, INFINITE) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.hProcess, &code))
        code = DWORD(-1);
    CloseHandle(process.hProcess);
    return long(code);
}

bool CallServerExport(const String &path, const char *function)
{
    HMODULE module = LoadLibraryExW(AsWide(path), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module)
        return false;
    using Export = HRESULT(WINAPI *)();
    const auto call = reinterpret_cast<Export>(reinterpret_cast<void *>(GetProcAddress(module, function)));
    if (call)
        call();
    FreeLibrary(module);
    return call != nullptr;
}
