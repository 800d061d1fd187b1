#include "core/registry_tree_win.h"

#include "core/wide_win.h"

namespace {

constexpr DWORD kLongestKeyName = 256;   // registry key names are limited to 255 characters

// The names of the direct subkeys of an open key.
LONG SubkeyNames(HKEY key, std::vector<String> &names)
{
    names.clear();
    wchar_t name[kLongestKeyName + 1];
    for (DWORD index = 0;; ++index) {
        DWORD length = kLongestKeyName + 1;
        const LONG rc = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (rc != ERROR_SUCCESS)
            return rc;
        names.emplace_back(FromWide(name), static_cast<int32_t>(length));
    }
}

bool EndsWithClasses(const String &name)
{
    const char16_t suffix[] = u"_Classes";
    const int32_t n = sizeof suffix / sizeof suffix[0] - 1;
    return name.WideLength() >= n && String(name.Wide() + name.WideLength() - n, n).EqualsIgnoreCaseWide(suffix);
}

LONG DeleteOneKey(HKEY root, const String &subkey, RegistryView view)
{
    // RegDeleteKeyExW (Vista and later) deletes in the given view; plain RegDeleteKeyW always
    // works in the process's own view, which misses the 64-bit keys of a 64-bit installation.
    return RegDeleteKeyExW(root, AsWide(subkey), RegistryViewFlag(view), 0);
}

} // namespace

LONG RegistryWriteValue(HKEY key, const String &name, DWORD type, const String &bytes)
{
    return RegSetValueExW(key, AsWide(name), 0, type, reinterpret_cast<const BYTE *>(bytes.Bytes()),
                          static_cast<DWORD>(bytes.Length()));
}

LONG RegistryReadValue(HKEY key, const String &name, DWORD &type, String &bytes)
{
    bytes.Clear();
    // The value may grow between the two calls; ask again while it does.
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD size = 0;
        LONG rc = RegQueryValueExW(key, AsWide(name), nullptr, &type, nullptr, &size);
        if (rc != ERROR_SUCCESS || size == 0)
            return rc;
        bytes.Resize(static_cast<int32_t>(size));
        DWORD got = size;
        rc = RegQueryValueExW(key, AsWide(name), nullptr, &type, reinterpret_cast<BYTE *>(bytes.MutableBytes()), &got);
        if (rc == ERROR_MORE_DATA)
            continue;
        if (rc != ERROR_SUCCESS) {
            bytes.Clear();
            return rc;
        }
        bytes.Resize(static_cast<int32_t>(got));
        return ERROR_SUCCESS;
    }
    bytes.Clear();
    return ERROR_MORE_DATA;
}

LONG RegistryCounts(HKEY key, DWORD &subkeys, DWORD &values)
{
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                            nullptr, nullptr, nullptr);
}

LONG RegistryDeleteTree(HKEY root, const String &subkey, RegistryView view)
{
    if (subkey.Empty())
        return ERROR_INVALID_PARAMETER;
    {
        RegistryKey key;
        LONG rc = key.Open(root, subkey, KEY_READ, view);
        if (rc != ERROR_SUCCESS)
            return rc;
        std::vector<String> names;
        if ((rc = SubkeyNames(key.Handle(), names)) != ERROR_SUCCESS)
            return rc;
        for (const String &name : names) {
            String child(subkey);
            child.AppendWideChar(u'\\');
            child.Append(name);
            if ((rc = RegistryDeleteTree(root, child, view)) != ERROR_SUCCESS)
                return rc;
        }
    }
    return DeleteOneKey(root, subkey, view);
}

LONG RegistryDeleteIfEmpty(HKEY root, const String &subkey, RegistryView view)
{
    if (subkey.Empty())
        return ERROR_INVALID_PARAMETER;
    {
        RegistryKey key;
        LONG rc = key.Open(root, subkey, KEY_QUERY_VALUE, view);
        if (rc != ERROR_SUCCESS)
            return rc;
        DWORD subkeys = 0, values = 0;
        if ((rc = RegistryCounts(key.Handle(), subkeys, values)) != ERROR_SUCCESS)
            return rc;
        if (subkeys || values)
            return ERROR_DIR_NOT_EMPTY;
    }
    return DeleteOneKey(root, subkey, view);
}

std::vector<String> LoadedUserHives()
{
    std::vector<String> names, hives;
    if (SubkeyNames(HKEY_USERS, names) != ERROR_SUCCESS)
        return hives;
    for (const String &name : names)
        if (!EndsWithClasses(name))
            hives.push_back(name);
    return hives;
}
