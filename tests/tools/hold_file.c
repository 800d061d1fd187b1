/* Holds a file open without delete or write sharing, as a program that is using it would, until
   the test releases it: hold_file.exe FILE SIGNAL-FOLDER. Once the file is open it creates
   SIGNAL-FOLDER\held; it closes the file and ends when SIGNAL-FOLDER\release appears (or after
   two minutes). Exit code 0, or 2 when the file could not be opened. */
#include <windows.h>

#include <wchar.h>

int wmain(int argc, wchar_t **argv)
{
    if (argc != 3)
        return 3;
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 2;
    wchar_t held[32768], release[32768];
    swprintf(held, 32768, L"%ls\\held", argv[2]);
    swprintf(release, 32768, L"%ls\\release", argv[2]);
    HANDLE signal = CreateFileW(held, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (signal != INVALID_HANDLE_VALUE)
        CloseHandle(signal);
    for (int i = 0; i < 600 && GetFileAttributesW(release) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(200);
    CloseHandle(file);
    return 0;
}
