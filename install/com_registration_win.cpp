// COM servers and type libraries of the installed files, each in its own crash guard.
#include <windows.h>
#include <oleauto.h>

#include "core/com_server_win.h"
#include "core/system_error_win.h"
#include "core/system_library_win.h"
#include "core/wide_win.h"
#include "install/file_step_log.h"
#include "install/files_win.h"

namespace {

struct ComRun {
    const String *path;
    long code;
};

void RegisterCom(void *context)
{
    ComRun &run = *static_cast<ComRun *>(context);
    run.code = RunRegsvr32(*run.path, false);
    // regsvr32 is missing or refused: the server registers itself through its own export (found
    // counts as registered, whatever it answers).
    if (run.code != 0 && CallServerExport(*run.path, "DllRegisterServer"))
        run.code = 0;
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
    run.result = load(AsWide(*run.path), &library);
    if (SUCCEEDED(run.result)) {
        run.result = registerLibrary(library, AsWide(*run.path), nullptr);
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
