/* Test launcher: starts a program with an exact command line and returns its exit code.
 *
 * wine re-quotes the arguments it passes to a Windows program, so a test cannot hand an atom such
 * as /d:"C:\My Folder" through wine's own command line. The launcher takes the literal command line
 * from the environment variable KS_CMDLINE (the whole line, program path included), starts it with
 * CreateProcessW, waits for it and exits with its exit code. Exit code 255 and a line on stderr mean
 * the launch itself failed.
 *
 * While it waits, the launcher reads the text of every dialog box the program opens (its static
 * controls, the message of a message box) and prints it on stdout as one line
 * "box-text: <text>", UTF-8, with backslash, CR and LF written as \\, \r and \n. Wine's message
 * box trace cuts texts at about 290 characters; these lines carry them whole. */
#include <windows.h>
#include <stdio.h>

#define MAX_BOXES 64

static HWND seen[MAX_BOXES];
static int seenCount;

struct BoxSearch {
    DWORD processId;
    WCHAR text[8192];
    int length;
};

static BOOL CALLBACK CollectStaticText(HWND child, LPARAM param)
{
    struct BoxSearch *search = (struct BoxSearch *)param;
    WCHAR className[16];
    if (!GetClassNameW(child, className, 16) || lstrcmpiW(className, L"Static") != 0)
        return TRUE;
    int room = (int)(sizeof search->text / sizeof search->text[0]) - search->length;
    if (room > 1)
        search->length += (int)SendMessageW(child, WM_GETTEXT, (WPARAM)room, (LPARAM)(search->text + search->length));
    return TRUE;
}

static void PrintText(const WCHAR *text, int length)
{
    fputs("box-text: ", stdout);
    for (int i = 0; i < length; ++i) {
        WCHAR c = text[i];
        if (c == L'\\')
            fputs("\\\\", stdout);
        else if (c == L'\r')
            fputs("\\r", stdout);
        else if (c == L'\n')
            fputs("\\n", stdout);
        else {
            char utf8[8];
            int n = WideCharToMultiByte(CP_UTF8, 0, &text[i], 1, utf8, sizeof utf8, NULL, NULL);
            fwrite(utf8, 1, (size_t)n, stdout);
        }
    }
    fputc('\n', stdout);
    fflush(stdout);
}

static BOOL CALLBACK ReportBox(HWND window, LPARAM param)
{
    struct BoxSearch *search = (struct BoxSearch *)param;
    DWORD owner = 0;
    WCHAR className[16];
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !GetClassNameW(window, className, 16) || lstrcmpW(className, L"#32770") != 0)
        return TRUE;
    for (int i = 0; i < seenCount; ++i)
        if (seen[i] == window)
            return TRUE;
    search->length = 0;
    EnumChildWindows(window, CollectStaticText, param);
    /* A box still being set up has no text yet; it is read on a later round. */
    if (search->length == 0 || seenCount == MAX_BOXES)
        return TRUE;
    seen[seenCount++] = window;
    PrintText(search->text, search->length);
    return TRUE;
}

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
    static struct BoxSearch search;
    search.processId = pi.dwProcessId;
    while (WaitForSingleObject(pi.hProcess, 100) == WAIT_TIMEOUT)
        EnumWindows(ReportBox, (LPARAM)&search);
    DWORD code = 255;
    GetExitCodeProcess(pi.hProcess, &code);
    printf("exit=%lu\n", code);
    fflush(stdout);
    return (int)code;
}
