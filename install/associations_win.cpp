#include "install/associations_win.h"

#include <windows.h>
#include <shlobj.h>

#include "core/ascii_text.h"
#include "core/failure_summary.h"
#include "core/path_parts.h"
#include "core/path_text.h"
#include "core/registry_tree_win.h"
#include "install/install_log.h"
#include "install/registry_access_win.h"
#include "install/shortcut_list.h"
#include "uninstall/uninstall_data.h"

namespace {

constexpr int32_t kModeOpenWithOnly = 2;
const char16_t kOpenVerb[] = u"open";
const char16_t kOpenWith[] = u"OpenWithProgids";
const char16_t kDefaultIcon[] = u"DefaultIcon";
const char16_t kShell[] = u"shell";
const char16_t kCommand[] = u"command";

constexpr REGSAM kAccess = KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | DELETE;

String Wide(const String &pathText) { return PathTextToWide(pathText); }

// The default value (or any named value) as text; false when it is not there.
bool ReadText(const RegistryKey &key, const String &name, String &value)
{
    return key.ReadString(name, value) == ERROR_SUCCESS;
}

// Sets the default value of `key` to `value`, first saving a different old value under `backup`.
LONG SetDefaultWithBackup(RegistryKey &key, const String &value, const String &backup)
{
    String old, saved;
    const bool oldExists = ReadText(key, String(), old);
    const bool backupExists = ReadText(key, backup, saved);
    if (ShouldBackUpDefault(oldExists, old, value, backupExists, saved)) {
        const LONG rc = key.WriteString(backup, old);
        if (rc != ERROR_SUCCESS)
            return rc;   // never overwrite what could not be saved
    }
    return key.WriteString(String(), value);
}

LONG CreateSubkey(RegistryKey &parent, const String &name, RegistryKey &child, RegistryView view)
{
    return child.Create(parent.Handle(), name, kAccess, view);
}

void InstallOne(const FileAssociation &a, const AssociationStepInput &in, RegistryView view, const String &backup)
{
    const String extension = NormalisedExtension(Wide(a.extension));
    if (extension.Empty())
        return;
    const String language = a.language;
    if (!language.Empty() && !language.EqualsIgnoreCaseWide(in.language))
        return;
    const String className = Wide(a.className);
    const bool marked = !className.Empty() && className.Wide()[0] == u'!';
    const bool registeredWanted = className.Empty() || marked;

    RegistryKey extKey;
    LONG rc = registeredWanted && className.Empty()
                  ? extKey.Open(HKEY_CLASSES_ROOT, extension, kAccess, view)
                  : extKey.Create(HKEY_CLASSES_ROOT, extension, kAccess, view);
    if (rc != ERROR_SUCCESS && registeredWanted) {
        LogPrintfW(u"Association failed/key inaccessible:  \"%s\".\r\n\r\n", extension.Wide());
        return;
    }
    const bool extOpen = rc == ERROR_SUCCESS;

    String useClass = AssociationClassWithoutMarker(className);
    bool ownClass = true;
    bool extensionWritten = false;
    if (extOpen && a.mode != kModeOpenWithOnly) {
        String registered;
        ReadText(extKey, String(), registered);
        switch (ChooseAssociationClass(className, registered, useClass)) {
        case AssociationClassChoice::NoLabel:
            LogPrintfW(u"Association failed/no label:  \"%s\".\r\n\r\n", extension.Wide());
            return;
        case AssociationClassChoice::UseRegistered:
            ownClass = false;
            extensionWritten = true;
            break;
        case AssociationClassChoice::SetOwn:
            extensionWritten = SetDefaultWithBackup(extKey, useClass, backup) == ERROR_SUCCESS;
            break;
        }
    }
    String command = Wide(a.command);
    if (in.expand)
        in.expand(command);
    const String verb = Wide(a.verb);
    if (extOpen && !useClass.Empty() && (a.mode == kModeOpenWithOnly || verb.EqualsIgnoreCaseWide(kOpenVerb))) {
        RegistryKey openWith;
        if (CreateSubkey(extKey, String(kOpenWith), openWith, view) == ERROR_SUCCESS &&
            RegistryWriteValue(openWith.Handle(), useClass, REG_NONE, String()) == ERROR_SUCCESS)
            LogConcatW(extension.Wide(), u" Open With ", command.Wide(), u"\r\n", nullptr);
    }

    // An empty class would make the class key HKEY_CLASSES_ROOT itself.
    bool commandWritten = false;
    String icon = Wide(a.icon);
    if (in.expand)
        in.expand(icon);
    if (!icon.Empty() && !IsAbsolutePath(icon))
        icon = WidePathJoin(in.installFolder, icon);
    RegistryKey classKey;
    if (!useClass.Empty() && classKey.Create(HKEY_CLASSES_ROOT, useClass, kAccess, view) == ERROR_SUCCESS) {
        const String description = Wide(a.description);
        if (ownClass && !description.Empty())
            SetDefaultWithBackup(classKey, description, backup);
        if (!icon.Empty()) {
            RegistryKey iconKey;
            if (CreateSubkey(classKey, String(kDefaultIcon), iconKey, view) == ERROR_SUCCESS)
                SetDefaultWithBackup(iconKey, icon, backup);
        }
        RegistryKey shell, verbKey, commandKey;
        if (!verb.Empty() && CreateSubkey(classKey, String(kShell), shell, view) == ERROR_SUCCESS) {
            if (a.mode != kModeOpenWithOnly)
                SetDefaultWithBackup(shell, verb, backup);
            if (CreateSubkey(shell, verb, verbKey, view) == ERROR_SUCCESS) {
                const String verbText = Wide(a.verbText);
                if (!verbText.Empty())
                    verbKey.WriteString(String(), verbText);
                if (CreateSubkey(verbKey, String(kCommand), commandKey, view) == ERROR_SUCCESS)
                    commandWritten = SetDefaultWithBackup(commandKey, command, backup) == ERROR_SUCCESS;
            }
        }
    }
    AddAssociationRecord(FormatAssociationRecord(extension, useClass, verb, icon));
    if (!commandWritten) {
        AppendToFailureSummaryWide(String::FormatWide(u"Failed to associate file type:  \"%s\".\r\n\r\n", extension.Wide()));
    } else if (extensionWritten) {
        LogPrintfW(u"Associated %s with %s\r\n", extension.Wide(), command.Wide());
    }
}

// The saved default comes back and the backup goes; true when there was one to restore.
bool RestoreDefault(RegistryKey &key, const String &backup)
{
    String saved;
    if (!ReadText(key, backup, saved) || IsBlankWide(saved))
        return false;
    if (key.WriteString(String(), saved) != ERROR_SUCCESS)
        return false;
    key.DeleteValue(backup);
    return true;
}

// The same, and without a backup the product's default value goes.
bool RestoreOrDeleteDefault(RegistryKey &key, const String &backup)
{
    if (RestoreDefault(key, backup))
        return true;
    key.DeleteValue(backup);
    key.DeleteValue(String());
    return false;
}

bool HasSubkeys(const RegistryKey &key)
{
    DWORD subkeys = 0, values = 0;
    return RegistryCounts(key.Handle(), subkeys, values) != ERROR_SUCCESS || subkeys > 0;
}

} // namespace

void InstallAssociations(const AssociationStepInput &in)
{
    if (!in.associations)
        return;
    const RegistryView view = InstallationRegistryView(in.bits64);
    const String backup = AssociationBackupName(in.productName);
    for (const FileAssociation &a : *in.associations)
        InstallOne(a, in, view, backup);
    AnnounceAssociationChange();
}

void RestoreAssociation(const AssociationRecord &record, const String &productName, RegistryView view)
{
    if (record.extension.Empty() || record.progId.Empty())
        return;
    const String backup = AssociationBackupName(productName);
    bool extensionRestored = false;
    {
        RegistryKey ext;
        if (ext.Open(HKEY_CLASSES_ROOT, record.extension, kAccess, view) == ERROR_SUCCESS) {
            extensionRestored = RestoreDefault(ext, backup);
            if (record.verb.EqualsIgnoreCaseWide(kOpenVerb)) {
                RegistryKey openWith;
                if (openWith.Open(ext.Handle(), String(kOpenWith), kAccess, view) == ERROR_SUCCESS) {
                    openWith.DeleteValue(record.progId);
                    openWith.Close();
                    RegistryDeleteIfEmpty(ext.Handle(), String(kOpenWith), view);
                }
            }
        }
    }
    RegistryKey cls;
    if (cls.Open(HKEY_CLASSES_ROOT, record.progId, kAccess, view) != ERROR_SUCCESS)
        return;
    RestoreDefault(cls, backup);
    if (!record.icon.Empty()) {
        RegistryKey icon;
        bool restored = false;
        if (icon.Open(cls.Handle(), String(kDefaultIcon), kAccess, view) == ERROR_SUCCESS)
            restored = RestoreOrDeleteDefault(icon, backup);
        icon.Close();
        if (!restored)
            RegistryDeleteIfEmpty(cls.Handle(), String(kDefaultIcon), view);
    }
    {
        RegistryKey shell;
        if (shell.Open(cls.Handle(), String(kShell), kAccess, view) == ERROR_SUCCESS) {
            RestoreOrDeleteDefault(shell, backup);
            bool commandRestored = false;
            {
                RegistryKey command;
                if (command.Open(shell.Handle(), WidePathJoin(record.verb, String(kCommand)), kAccess, view) == ERROR_SUCCESS)
                    commandRestored = RestoreOrDeleteDefault(command, backup);
            }
            if (!commandRestored && !record.verb.Empty())
                RegistryDeleteTree(shell.Handle(), record.verb, view);
            const bool shellHasSubkeys = HasSubkeys(shell);
            shell.Close();
            if (!shellHasSubkeys)
                RegistryDeleteTree(cls.Handle(), String(kShell), view);
        }
    }
    if (HasSubkeys(cls))
        return;
    cls.Close();
    RegistryDeleteTree(HKEY_CLASSES_ROOT, record.progId, view);
    if (extensionRestored)
        return;
    // The extension's key may hold what other programs put there (their open-with entries, a
    // persistent handler): only the product's own class goes, and the key only when that leaves it
    // empty.
    RegistryKey ext;
    if (ext.Open(HKEY_CLASSES_ROOT, record.extension, kAccess, view) != ERROR_SUCCESS)
        return;
    String value;
    if (ReadText(ext, String(), value) && value.EqualsIgnoreCaseWide(record.progId.Wide()))
        ext.DeleteValue(String());
    ext.Close();
    RegistryDeleteIfEmpty(HKEY_CLASSES_ROOT, record.extension, view);
}

void AnnounceAssociationChange() { SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr); }
