/* Test launcher: starts a program with an exact command line and returns its exit code.
 *
 * wine re-quotes the arguments it passes to a Windows program, so a test cannot hand an atom such
 * as /d:"C:\My Folder" through wine's own command line. The launcher takes the literal command line
 * from the environment variable KS_CMDLINE (the whole line, program path included), starts it with
 * CreateProcessW, waits for it and exits with its exit code. Exit code 255 and a line on stderr mean
 * the launch itself failed. */
#include <windows.h>
#include <stdio.h>

int wmain(void)
{
    DWORD size = GetEnvironmentVariableW(L"KS_CMDLINE", NULL, 0);
    if (size == 0) {
        fputs("launch: KS_CMDLINE is not set\n", stderr);
        return 255;
    }
    WCHAR *cmdline = (WCHAR *)HeapAlloc(GetProcessHeap(), 0, size * sizeof(WCHAR));
    if (!cmdline || GetEnvironmentVariableW(L"KS_CMDLINE", cmdline, size) != size - 1) {
        fputs("launch: cannot read KS_CMDLINE\n", stderr);
        return 255;
    }
    STARTUPINFOW si = { sizeof si };
    PROCESS_INFORMATION pi;
    if (!CreateProcessW(NULL, cmdline, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        fprintf(stderr, "launch: CreateProcessW failed with error %lu\n", GetLastError());
        return 255;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 255;
    GetExitCodeProcess(pi.hProcess, &code);
    printf("exit=%lu\n", code);
    fflush(stdout);
    return (int)code;
}
