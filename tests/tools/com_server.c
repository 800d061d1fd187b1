/* A stand-in COM server for the installer's and the uninstaller's tests. It registers nothing;
   its DllRegisterServer and DllUnregisterServer note where they were called in "<dll>.log" beside
   the file, one line each: "regsvr32" or "in-process". A file whose name contains "crash" refuses
   inside regsvr32 (so that the installer or uninstaller falls back to calling the export itself)
   and then crashes in the caller's process, which only the caller's crash guard survives. */
#include <windows.h>

#include <wchar.h>

static HMODULE self;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        self = instance;
    return TRUE;
}

static void Note(const char *line)
{
    wchar_t path[MAX_PATH + 8];
    const DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    wcscat(path, L".log");
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, (DWORD)strlen(line), &written, NULL);
    WriteFile(file, "\r\n", 2, &written, NULL);
    CloseHandle(file);
}

static int Contains(const wchar_t *text, const wchar_t *part)
{
    wchar_t lower[MAX_PATH];
    size_t i = 0;
    for (; text[i] && i + 1 < MAX_PATH; ++i)
        lower[i] = (wchar_t)towlower(text[i]);
    lower[i] = 0;
    return wcsstr(lower, part) != NULL;
}

static HRESULT Act(void)
{
    wchar_t process[MAX_PATH], module[MAX_PATH];
    if (!GetModuleFileNameW(NULL, process, MAX_PATH) || !GetModuleFileNameW(self, module, MAX_PATH))
        return E_FAIL;
    const int inRegsvr32 = Contains(process, L"regsvr32");
    Note(inRegsvr32 ? "regsvr32" : "in-process");
    if (Contains(module, L"crash")) {
        if (inRegsvr32)
            return E_FAIL;
        *(volatile int *)0 = 1;
    }
    return S_OK;
}

__declspec(dllexport) HRESULT WINAPI DllRegisterServer(void) { return Act(); }

__declspec(dllexport) HRESULT WINAPI DllUnregisterServer(void) { return Act(); }
