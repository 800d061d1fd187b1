// COM servers and type libraries of the installed files, each in its own crash guard.
#include <windows.h>
#include <oleauto.h>

#include "core/path_parts.h"
#include "core/path_win.h"
#include "core/system_error_win.h"
#include "core/system_library_win.h"
#include "install/file_step_log.h"
#include "install/files_win.h"

namespace {

const wchar_t *W(const String &s) { return reinterpret_cast<const wchar_t *>(s.Wide()); }

// regsvr32's exit code, or -1 when it could not be started.
long RunRegsvr32(const String &path)
{
    const String folder = SystemFolderPath();
    const String program = WidePathJoin(folder, String(u"regsvr32.exe"));
    String command = String(u"regsvr32.exe /s \"").Append(path).AppendWideChar(u'"');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(W(program), reinterpret_cast<wchar_t *>(command.MutableWide()), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, W(folder), &startup, &process))
        return -1;
    CloseHandle(process.hThread);
    DWORD code = DWORD(-1);
    if (WaitForSingleObject(process.hProcess, INFINITE) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.hProcess, &code))
        code = DWORD(-1);
    CloseHandle(process.hProcess);
    return long(code);
}

struct ComRun {
    const String *path;
    long code;
};

void RegisterCom(void *context)
{
    ComRun &run = *static_cast<ComRun *>(context);
    run.code = RunRegsvr32(*run.path);
    if (run.code == 0)
        return;
    // regsvr32 is missing or refused: the server registers itself through its own export.
    HMODULE module = LoadLibraryExW(W(*run.path), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module)
        return;
    using Register = HRESULT(WINAPI *)();
    const auto registerServer = reinterpret_cast<Register>(
        reinterpret_cast<void *>(GetProcAddress(module, "DllRegisterServer")));
    if (registerServer) {
        registerServer();   // found counts as registered, whatever it answers
        run.code = 0;
    }
    FreeLibrary(module);
}

struct TypeLibraryRun {
    const String *path;
    HRESULT result;
};

void RegisterTypeLibrary(void *context)
{
    TypeLibraryRun &run = *static_cast<TypeLibraryRun *>(context);
    using Load = HRESULT(WINAPI *)(LPCOLESTR, ITypeLib **);
    using Register = HRESULT(WINAPI *)(ITypeLib *, LPCOLESTR, LPCOLESTR);
    const auto load = GetSystemFunctionAs<Load>(L"oleaut32.dll", "LoadTypeLib");
    const auto registerLibrary = GetSystemFunctionAs<Register>(L"oleaut32.dll", "RegisterTypeLib");
    if (!load || !registerLibrary) {
        run.result = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
        return;
    }
    ITypeLib *library = nullptr;
    run.result = load(W(*run.path), &library);
    if (SUCCEEDED(run.result)) {
        run.result = registerLibrary(library, W(*run.path), nullptr);
        library->Release();
    }
}

} // namespace

void RegisterComFiles(FileStepInput &input, const FileStepLists &lists)
{
    if (lists.comFiles.empty() && lists.typeLibraries.empty())
        return;
    for (const String &path : lists.comFiles) {
        StepLogWide(input, String::FormatWide(u"Registering COM File \"%ls\"...", path.Wide()));
        StepStatus(input, RegistrationStatus(path));
        ComRun run{&path, -1};
        if (!StepGuarded(input, RegisterCom, &run)) {
            StepLog(input, "CRASHED!\r\n");
            StepFailure(input, String(u"Crashed while registering COM file ").Append(path).AppendWide(u"\r\n"));
            continue;
        }
        if (run.code == 0)
            StepLog(input, "OK\r\n");
        else
            StepLog(input, String::Format("FAILED, code %d\r\n", int(run.code)).Bytes());
    }
    for (const String &path : lists.typeLibraries) {
        StepLogWide(input, String::FormatWide(u"Registering Type Library \"%ls\"...", path.Wide()));
        StepStatus(input, RegistrationStatus(path));
        TypeLibraryRun run{&path, E_FAIL};
        if (!StepGuarded(input, RegisterTypeLibrary, &run)) {
            StepLog(input, "CRASHED!\r\n");
            StepFailure(input, String(u"Crashed while registering TLB file ").Append(path).AppendWide(u"\r\n"));
            continue;
        }
        if (SUCCEEDED(run.result))
            StepLog(input, "OK\r\n");
        else
            StepLogWide(input, String(u"FAILED\r\n").Append(SystemErrorText(DWORD(run.result))).AppendWide(u"\r\n"));
    }
}
