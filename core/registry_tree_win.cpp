#include "core/registry_tree_win.h"

#include "core/system_library_win.h"

namespace {
using DeleteTreeFn = LONG(WINAPI *)(HKEY, LPCWSTR);
using DeleteKeyExFn = LONG(WINAPI *)(HKEY, LPCWSTR, REGSAM, DWORD);
}

LONG DeleteRegistryTree(HKEY root, const String &path, RegistryView view)
{
    // Both calls are Vista's; looked up so that the program still starts where they are missing.
    const auto deleteTree = GetSystemFunctionAs<DeleteTreeFn>(L"advapi32.dll", "RegDeleteTreeW");
    const auto deleteKeyEx = GetSystemFunctionAs<DeleteKeyExFn>(L"advapi32.dll", "RegDeleteKeyExW");
    if (!deleteTree || !deleteKeyEx)
        return ERROR_PROC_NOT_FOUND;
    RegistryKey key;
    const LONG opened = key.Open(root, path, KEY_ALL_ACCESS, view);
    if (opened != ERROR_SUCCESS)
        return opened;
    const LONG emptied = deleteTree(key.Handle(), nullptr);
    key.Close();
    if (emptied != ERROR_SUCCESS)
        return emptied;
    return deleteKeyEx(root, reinterpret_cast<const wchar_t *>(path.Wide()), RegistryViewFlag(view), 0);
}
