#include "install/registry_step_win.h"

#include <windows.h>

#include "core/failure_summary.h"
#include "core/file_ops_win.h"
#include "core/file_win.h"
#include "core/path_parts.h"
#include "core/path_text.h"
#include "core/path_win.h"
#include "core/registry_tree_win.h"
#include "core/system_error.h"
#include "core/wide_win.h"
#include "install/install_log.h"
#include "install/registry_access_win.h"
#include "install/registry_entries.h"

namespace {

const char16_t kSoftwareKey[] = u"Software";

void Summary(const char16_t *lead, const String &object, const char16_t *middle = nullptr,
             const String &reason = String())
{
    String text(lead);
    text.Append(object);
    if (middle) {
        text.AppendWide(middle);
        text.Append(reason);
    }
    text.AppendWide(u"\r\n");
    AppendToFailureSummaryWide(text);
}

void CreateProductKey(const RegistryStepInput &in, RegistryView view)
{
    const String subkey = WidePathJoin(String(kSoftwareKey), in.productRegistry);
    for (const String &hive : LoadedUserHives()) {
        // A hive that refuses the key (a profile of a service account, say) is not the product's
        // business: the key of the installing user and HKLM are the ones that count.
        RegistryKey key;
        key.Create(HKEY_USERS, WidePathJoin(hive, subkey), KEY_WRITE, view);
    }
    RegistryKey key;
    const LONG rc = key.Create(HKEY_LOCAL_MACHINE, subkey, KEY_WRITE, view);
    if (rc != ERROR_SUCCESS) {
        String text = String::FormatWide(u"Error creating registry keys at \\Software\\%s\r\nCode %d: %s\r\n\r\n",
                                         in.productRegistry.Wide(), static_cast<int>(rc),
                                         SystemErrorText(static_cast<uint32_t>(rc)).Wide());
        AppendToFailureSummaryWide(text);
    }
}

bool CreateKey(const RegistryEntry &entry, RegistryView view)
{
    RegistryPath path;
    if (!ParseRegistryPath(entry.keyPath, path) || path.subkey.Empty()) {
        Summary(u"Failed to create registry key: ", entry.keyPath);
        return false;
    }
    bool ok = true;
    for (const RegistryTarget &target : RegistryTargets(path)) {
        RegistryKey key;
        if (key.Create(target.root, target.subkey, KEY_WRITE, view) != ERROR_SUCCESS)
            ok = false;
    }
    if (!ok)
        Summary(u"Failed to create registry key: ", entry.keyPath);
    return ok;
}

void WriteValue(const RegistryEntry &entry, const RegistryStepInput &in, RegistryView view)
{
    RegistryPath path;
    if (!ParseRegistryPath(entry.keyPath, path) || path.subkey.Empty()) {
        Summary(u"Failed to create registry key: ", entry.keyPath);
        return;
    }
    String data(entry.data);
    if (entry.type == kRegistryTypeString && in.expand)
        in.expand(data);
    String bytes, problem;
    if (!PrepareRegistryData(entry.type, data, bytes, problem)) {
        Summary(u"Failed to create registry value \"", entry.valueName, u"\": ", problem);
        return;
    }
    for (const RegistryTarget &target : RegistryTargets(path)) {
        RegistryKey key;
        if (key.Create(target.root, target.subkey, KEY_WRITE, view) != ERROR_SUCCESS) {
            Summary(u"Failed to create registry key: ", entry.keyPath);
            continue;
        }
        const LONG rc = RegistryWriteValue(key.Handle(), entry.valueName, entry.type, bytes);
        if (rc != ERROR_SUCCESS)
            Summary(u"Failed to create registry value \"", entry.valueName, u"\": ",
                    SystemErrorText(static_cast<uint32_t>(rc)));
    }
}

void DeleteValue(const RegistryEntry &entry, RegistryView view)
{
    RegistryPath path;
    if (!ParseRegistryPath(entry.keyPath, path) || path.subkey.Empty())
        return;
    for (const RegistryTarget &target : RegistryTargets(path)) {
        RegistryKey key;
        // A value or key that is not there is already as the instruction wants it.
        if (key.Open(target.root, target.subkey, KEY_SET_VALUE, view) == ERROR_SUCCESS)
            key.DeleteValue(entry.valueName);
    }
}

// A name for the merge file that no other file in the folder has.
String NewMergeFilePath(File &file, String &errorText)
{
    const String folder = TempFolderPath();
    for (int attempt = 0; attempt < 100; ++attempt) {
        String name = String::FormatWide(u"ks%08lx%02d.reg", static_cast<unsigned long>(GetTickCount()), attempt);
        String path = WidePathJoin(folder, name);
        if (file.Open(path, FileCreation::CreateNew, FileWriteAccess | FileNoSharingRetry) == 0)
            return path;
        errorText = file.ErrorText();
        if (GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (errorText.Empty())
        errorText = SystemErrorText(GetLastError());
    return String();
}

} // namespace

void WriteRegistryEntries(const RegistryStepInput &in)
{
    const RegistryView view = InstallationRegistryView(in.bits64);
    if (!in.productRegistry.Empty())
        CreateProductKey(in, view);
    for (const RegistryEntry &entry : ParseRegistryEntries(in.registryText)) {
        switch (entry.kind) {
        case RegistryEntryKind::Key:
            CreateKey(entry, view);
            break;
        case RegistryEntryKind::Value:
            if (RegistryOperationWrites(entry.operation))
                WriteValue(entry, in, view);
            else if (RegistryOperationDeletes(entry.operation))
                DeleteValue(entry, view);
            break;
        case RegistryEntryKind::Illegal:
            Summary(u"Illegal registry entry: ", entry.line);
            break;
        }
    }
}

void MergeRegistryFile(const String &mergeText)
{
    if (mergeText.Empty())
        return;
    File file;
    String errorText;
    const String path = NewMergeFilePath(file, errorText);
    if (path.Empty() || !file.Write(mergeText.Bytes(), mergeText.Length())) {
        if (!path.Empty()) {
            errorText = file.ErrorText();
            file.Close();
            RemoveFile(path, 0);
        }
        Summary(u"Failed to create the registry merge file: ", errorText);
        return;
    }
    file.Close();
    LogText("Merging registry file...");
    String command(u"regedit /s \"");
    command.Append(path);
    command.AppendWideChar(u'"');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // CreateProcessW may write into the command line: it gets its own copy.
    String writable(command);
    if (CreateProcessW(nullptr, AsWide(writable.MutableWide()), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        LogText("OK\r\n");
    } else {
        const String reason = SystemErrorText(GetLastError());
        LogText("FAILED!\r\n");
        LogStringW(reason);
        LogText("\r\n");
        Summary(u"Failed to import the registry merge file: ", reason);
    }
    // regedit reads the file after this process may have ended: it goes at the next restart.
    RemoveFile(path, RemoveAtRestart);
}
