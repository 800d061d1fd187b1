#include "install/path_env_win.h"

#include <windows.h>

#include "core/registry_tree_win.h"
#include "core/system_error.h"
#include "core/wide_win.h"
#include "install/install_log.h"
#include "install/path_env.h"

namespace {

const char16_t kEnvironmentKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const char16_t kPathValue[] = u"Path";
constexpr UINT kBroadcastTimeoutMs = 5000;

// The PATH text and its type; false when it cannot be read as text.
bool ReadPath(const RegistryKey &key, String &path, DWORD &type)
{
    String bytes;
    if (RegistryReadValue(key.Handle(), String(kPathValue), type, bytes) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return false;
    if (bytes.Length() % 2)
        bytes.Resize(bytes.Length() - 1);
    int32_t units = bytes.WideLength();
    while (units > 0 && bytes.Wide()[units - 1] == 0)
        --units;
    path = String(bytes.Wide(), units);
    return true;
}

LONG WritePath(RegistryKey &key, const String &path, DWORD type)
{
    String bytes(path);
    bytes.AppendWideChar(0);
    return RegistryWriteValue(key.Handle(), String(kPathValue), type, bytes);
}

void AnnounceEnvironmentChange()
{
    // Explorer and other listeners reread the environment; a program that hangs is not waited for.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Environment"),
                        SMTO_ABORTIFHUNG, kBroadcastTimeoutMs, &result);
}

} // namespace

void AddToSystemPath(const String &folder)
{
    RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, String(kEnvironmentKey), KEY_QUERY_VALUE | KEY_SET_VALUE) != ERROR_SUCCESS)
        return;
    String path;
    DWORD type = REG_EXPAND_SZ;
    if (!ReadPath(key, path, type) || path.Empty())
        return;
    const DWORD attributes = GetFileAttributesW(AsWide(folder));
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        LogConcatW(u"Couldn't add \"", folder.Wide(), u"\" to the PATH because it does not exist.\r\n", nullptr);
        return;
    }
    String changed;
    if (!PathListWithFolder(path, folder, changed))
        return;
    const LONG rc = WritePath(key, changed, REG_EXPAND_SZ);
    if (rc != ERROR_SUCCESS) {
        LogConcatW(u"Failed to add \"", folder.Wide(), u"\" to the PATH: ",
                   SystemErrorText(static_cast<uint32_t>(rc)).Wide(), u"\r\n", nullptr);
        return;
    }
    LogConcatW(u"Added \"", folder.Wide(), u"\" to the PATH.\r\n", nullptr);
    AnnounceEnvironmentChange();
}

bool RemoveFromSystemPath(const String &folder)
{
    RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, String(kEnvironmentKey), KEY_QUERY_VALUE | KEY_SET_VALUE) != ERROR_SUCCESS)
        return false;
    String path;
    DWORD type = REG_EXPAND_SZ;
    if (!ReadPath(key, path, type))
        return false;
    String changed;
    if (!PathListWithoutFolder(path, folder, changed))
        return !PathListHasFolder(path, folder);
    if (WritePath(key, changed, type) != ERROR_SUCCESS)
        return false;
    AnnounceEnvironmentChange();
    return true;
}
