#include "install/registry_removal_win.h"

#include "core/path_parts.h"
#include "core/path_text.h"
#include "core/registry_tree_win.h"
#include "install/registry_access_win.h"
#include "install/registry_entries.h"
#include "install/registry_path.h"

namespace {

constexpr int kMostProductKeys = 20;
const char16_t kSoftwareKey[] = u"Software";

bool Refuse(String *refusal, const char16_t *why, const String &path)
{
    if (refusal) {
        *refusal = String(why);
        refusal->Append(path);
    }
    return false;
}

bool Gone(LONG rc) { return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND; }

bool DeleteValueAt(const String &keyPath, const String &valueName, RegistryView view, String *refusal)
{
    RegistryPath path;
    if (!ParseRegistryPath(keyPath, path) || path.subkey.Empty())
        return Refuse(refusal, u"Not a registry key path: ", keyPath);
    bool ok = true;
    for (const RegistryTarget &target : RegistryTargets(path)) {
        RegistryKey key;
        LONG rc = key.Open(target.root, target.subkey, KEY_SET_VALUE, view);
        if (rc == ERROR_SUCCESS)
            rc = key.DeleteValue(valueName);
        ok = Gone(rc) && ok;
    }
    return ok;
}

// Deletes `subkey` of `root` and then its parents while they are empty, `budget` keys in all,
// never a key of fewer than `keepDepth` + 1 components.
void DeleteWithEmptyParents(HKEY root, String subkey, RegistryView view, int keepDepth)
{
    if (RegistryDeleteTree(root, subkey, view) != ERROR_SUCCESS)
        return;
    for (int deleted = 1; deleted < kMostProductKeys; ++deleted) {
        subkey = WidePathFolder(subkey);
        if (RegistrySubkeyDepth(subkey) <= keepDepth)
            return;
        if (RegistryDeleteIfEmpty(root, subkey, view) != ERROR_SUCCESS)
            return;
    }
}

} // namespace

bool DeleteRegistryValueRecord(const String &item, RegistryView view, String *refusal)
{
    const String wide = PathTextToWide(item);
    String keyPath, valueName;
    if (!SplitRegistryValuePath(wide, keyPath, valueName))
        return Refuse(refusal, u"Not a registry value path: ", wide);
    return DeleteValueAt(keyPath, valueName, view, refusal);
}

bool DeleteRegistryKeyRecord(const String &item, RegistryView view, String *refusal)
{
    const String wide = PathTextToWide(item);
    RegistryPath path;
    if (!ParseRegistryPath(wide, path))
        return Refuse(refusal, u"Not a registry key path: ", wide);
    if (IsProtectedRegistryKey(path))
        return Refuse(refusal, u"Refused to delete a registry key that Windows needs: ", wide);
    bool ok = true;
    for (const RegistryTarget &target : RegistryTargets(path))
        ok = Gone(RegistryDeleteTree(target.root, target.subkey, view)) && ok;
    return ok;
}

void RemoveProductRegistryKey(const String &productRegistry, RegistryView view)
{
    String name(productRegistry);
    while (name.StripLeadingWide(u'\\')) {
    }
    while (name.StripTrailingWide(u'\\')) {
    }
    if (name.Empty())
        return;
    const String subkey = WidePathJoin(String(kSoftwareKey), name);
    // HKLM keeps "Software" (depth 1) whatever happens; a user hive keeps its own "Software" too.
    DeleteWithEmptyParents(HKEY_LOCAL_MACHINE, subkey, view, 1);
    for (const String &hive : LoadedUserHives())
        DeleteWithEmptyParents(HKEY_USERS, WidePathJoin(hive, subkey), view, 2);
}

// The values go first and then the keys, the last listed first: a key line comes before the
// values written into it (and before its subkeys), and an empty key is only empty once they are gone.
void RemoveRegistryTextEntries(const String &registryText, RegistryView view)
{
    const std::vector<RegistryEntry> entries = ParseRegistryEntries(registryText);
    for (const RegistryEntry &entry : entries) {
        if (entry.kind == RegistryEntryKind::Value && RegistryOperationDeletesAtUninstall(entry.operation))
            DeleteValueAt(entry.keyPath, entry.valueName, view, nullptr);
    }
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (entry->kind != RegistryEntryKind::Key)
            continue;
        int backslashes = 0;
        for (int32_t i = 0; i < entry->keyPath.WideLength(); ++i)
            backslashes += entry->keyPath.Wide()[i] == u'\\';
        RegistryPath path;
        if (backslashes <= 1 || !ParseRegistryPath(entry->keyPath, path) || IsProtectedRegistryKey(path))
            continue;
        for (const RegistryTarget &target : RegistryTargets(path))
            RegistryDeleteIfEmpty(target.root, target.subkey, view);
    }
}
