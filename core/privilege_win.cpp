#include "core/privilege_win.h"

#include <windows.h>

unsigned long EnablePrivilege(const wchar_t *name)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return GetLastError();
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    DWORD error = ERROR_SUCCESS;
    if (!LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid)) {
        error = GetLastError();
    } else if (!AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr)) {
        error = GetLastError();
    } else {
        // AdjustTokenPrivileges succeeds without enabling a privilege the token lacks; this says so.
        error = GetLastError();
    }
    CloseHandle(token);
    return error;
}
