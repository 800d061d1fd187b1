#include "install/registry_path.h"

namespace {

struct RootName {
    const char16_t *name;
    RegistryRoot root;
};

const RootName kRootNames[] = {
    {u"HKLM", RegistryRoot::LocalMachine},     {u"HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine},
    {u"HKCU", RegistryRoot::CurrentUser},      {u"HKEY_CURRENT_USER", RegistryRoot::CurrentUser},
    {u"HKCR", RegistryRoot::ClassesRoot},      {u"HKEY_CLASSES_ROOT", RegistryRoot::ClassesRoot},
    {u"HKU", RegistryRoot::Users},             {u"HKEY_USERS", RegistryRoot::Users},
    {u"HKCC", RegistryRoot::CurrentConfig},    {u"HKEY_CURRENT_CONFIG", RegistryRoot::CurrentConfig},
    {u"HKAU", RegistryRoot::AllUsers},
};

// Keys below a user hive (or HKLM) that many programs share; relative to the root or the hive.
const char16_t *const kSharedKeys[] = {
    u"Software\\Microsoft",
    u"Software\\Microsoft\\Windows",
    u"Software\\Microsoft\\Windows\\CurrentVersion",
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
    u"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths",
    u"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
    u"Software\\Microsoft\\Windows NT",
    u"Software\\Microsoft\\Windows NT\\CurrentVersion",
    u"Software\\Classes",
    u"Software\\Classes\\CLSID",
    u"Software\\Classes\\Interface",
    u"Software\\Classes\\TypeLib",
    u"Software\\Classes\\AppID",
    u"Software\\Wow6432Node",
    u"Software\\Wow6432Node\\Microsoft",
    u"Software\\Wow6432Node\\Classes",
    u"Software\\Policies",
    u"SYSTEM\\CurrentControlSet",
    u"SYSTEM\\CurrentControlSet\\Services",
    u"SYSTEM\\CurrentControlSet\\Control",
    u"Environment",
};

// Keys directly under HKEY_CLASSES_ROOT that hold every program's classes.
const char16_t *const kSharedClassKeys[] = {
    u"CLSID", u"Interface", u"TypeLib", u"AppID", u"Wow6432Node", u"*", u"Directory",
    u"Folder", u"Drive", u"AllFilesystemObjects", u"SystemFileAssociations",
};

bool EqualsAnyIgnoringCase(const String &text, const char16_t *const *list, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (text.EqualsIgnoreCaseWide(list[i]))
            return true;
    return false;
}

// `subkey` without its first component (empty when it has only one).
String WithoutFirstComponent(const String &subkey)
{
    const char16_t *w = subkey.Wide();
    for (int32_t i = 0; i < subkey.WideLength(); ++i)
        if (w[i] == u'\\')
            return String(w + i + 1, subkey.WideLength() - i - 1);
    return String();
}

} // namespace

bool ParseRegistryPath(const String &path, RegistryPath &out)
{
    const char16_t *w = path.Wide();
    int32_t units = path.WideLength();
    int32_t at = 0;
    if (at < units && w[at] == u'\\')
        ++at;
    int32_t end = at;
    while (end < units && w[end] != u'\\')
        ++end;
    String root(w + at, end - at);
    for (const RootName &candidate : kRootNames) {
        if (!root.EqualsIgnoreCaseWide(candidate.name))
            continue;
        out.root = candidate.root;
        int32_t from = end;
        while (from < units && w[from] == u'\\')
            ++from;
        int32_t to = units;
        while (to > from && w[to - 1] == u'\\')
            --to;
        out.subkey = String(w + from, to - from);
        return true;
    }
    return false;
}

bool SplitRegistryValuePath(const String &path, String &keyPath, String &valueName)
{
    const char16_t *w = path.Wide();
    for (int32_t i = path.WideLength() - 1; i >= 0; --i) {
        if (w[i] == u'\\') {
            keyPath = String(w, i);
            valueName = String(w + i + 1, path.WideLength() - i - 1);
            return true;
        }
    }
    return false;
}

int RegistrySubkeyDepth(const String &subkey)
{
    if (subkey.Empty())
        return 0;
    int depth = 1;
    for (int32_t i = 0; i < subkey.WideLength(); ++i)
        if (subkey.Wide()[i] == u'\\')
            ++depth;
    return depth;
}

bool IsProtectedRegistryKey(const RegistryPath &path)
{
    const int depth = RegistrySubkeyDepth(path.subkey);
    const size_t shared = sizeof kSharedKeys / sizeof kSharedKeys[0];
    switch (path.root) {
    case RegistryRoot::ClassesRoot:
        return depth == 0 ||
               EqualsAnyIgnoringCase(path.subkey, kSharedClassKeys,
                                     sizeof kSharedClassKeys / sizeof kSharedClassKeys[0]);
    case RegistryRoot::Users: {
        // HKU\<SID>\... is a user hive: the hive and what lies directly under it are protected,
        // and so are the shared keys inside it.
        if (depth <= 2)
            return true;
        return EqualsAnyIgnoringCase(WithoutFirstComponent(path.subkey), kSharedKeys, shared);
    }
    default:
        return depth <= 1 || EqualsAnyIgnoringCase(path.subkey, kSharedKeys, shared);
    }
}

const char16_t *RegistryRootName(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::LocalMachine: return u"HKLM";
    case RegistryRoot::CurrentUser: return u"HKCU";
    case RegistryRoot::ClassesRoot: return u"HKCR";
    case RegistryRoot::Users: return u"HKU";
    case RegistryRoot::CurrentConfig: return u"HKCC";
    case RegistryRoot::AllUsers: return u"HKAU";
    }
    return u"";
}
