#include "install/registry_access_win.h"

#include "core/path_parts.h"
#include "core/registry_tree_win.h"

std::vector<RegistryTarget> RegistryTargets(const RegistryPath &path)
{
    std::vector<RegistryTarget> targets;
    switch (path.root) {
    case RegistryRoot::LocalMachine: targets.push_back({HKEY_LOCAL_MACHINE, path.subkey}); break;
    case RegistryRoot::CurrentUser: targets.push_back({HKEY_CURRENT_USER, path.subkey}); break;
    case RegistryRoot::ClassesRoot: targets.push_back({HKEY_CLASSES_ROOT, path.subkey}); break;
    case RegistryRoot::Users: targets.push_back({HKEY_USERS, path.subkey}); break;
    case RegistryRoot::CurrentConfig: targets.push_back({HKEY_CURRENT_CONFIG, path.subkey}); break;
    case RegistryRoot::AllUsers:
        for (const String &hive : LoadedUserHives())
            targets.push_back({HKEY_USERS, path.subkey.Empty() ? hive : WidePathJoin(hive, path.subkey)});
        break;
    }
    return targets;
}
