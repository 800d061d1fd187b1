#include "uninstall/uninstall_files_win.h"

#include <windows.h>

#include <algorithm>

#include "core/file_ops_win.h"
#include "core/folders_win.h"
#include "core/path_parts.h"
#include "core/path_text.h"
#include "core/path_win.h"
#include "core/wide_win.h"
#include "install/progress.h"
#include "setupdata/language.h"
#include "setupdata/path_variables.h"
#include "uninstall/removal_safety.h"
#include "uninstall/uninstall_data.h"
#include "uninstall/uninstall_messages_win.h"

namespace {

constexpr int kMaxFolderClimb = 50;
constexpr int kMaxStartMenuLevels = 20;


bool Exists(const String &path) { return GetFileAttributesW(AsWide(path)) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const String &path)
{
    const DWORD attributes = GetFileAttributesW(AsWide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The path as the file system resolves it ("." and ".." taken out), for the protection check.
String Resolved(const String &wide) { return FullPathOf(wide); }

bool Protected(const UninstallContext &context, const String &wide)
{
    return IsProtectedPath(Resolved(wide), context.protectedFolders);
}

void RefuseRecord(UninstallContext &context, const String &item)
{
    String line(u"Refused to remove \"");
    line.Append(item);
    line.AppendWide(u"\": the uninstall information names a system folder or a drive itself.\r\n");
    context.AddFailure(line);
}

// A registry record refused because it names a key Windows needs: said in the failure summary,
// like a refused folder, and not kept. Other registry failures report nothing.
void ReportRefusal(UninstallContext &context, const String &item, bool done, const String &refusal)
{
    if (done || refusal.Empty())
        return;
    String line(u"Refused to remove the registry entry \"");
    line.Append(PathTextToWide(item));
    line.AppendWide(u"\": ");
    line.Append(refusal);
    line.AppendWide(u"\r\n");
    context.AddFailure(line);
}

void ShowName(const UninstallContext &context, const String &wide)
{
    if (!context.HasFlag(UninstallFlag::HideNames))
        ProgressStatus(wide);
}

void RemoveFileRecord(UninstallContext &context, const String &item, PathTextSet &deleted)
{
    const String path = PathTextToWide(item);
    if (path.Empty() || !Exists(path))
        return;   // a file that is gone already is nothing to do
    // The running uninstaller cannot delete itself; the self-deletion script does, after the end.
    if (PathsEqualIgnoringCase(FullPathOf(path), context.programPath))
        return;
    if (IsFolder(path) || Protected(context, path)) {
        RefuseRecord(context, path);
        return;
    }
    if (RemoveFile(path, 0)) {
        String key = PathTextFromWide(path);
        key.ToLowerAscii();
        deleted.Set(key, true);
        return;
    }
    String line = LanguageString(UninstallText::NotDeleted);
    line.AppendWideChar(u' ');
    line.Append(path);
    line.AppendWide(u"\r\n");
    context.AddFailure(line);
    AddUninstallRecord(item, kUninstallFile);
}

} // namespace

std::vector<String> ProtectedSystemFolders()
{
    static const char16_t *const kVariables[] = {
        u"%WinDir%", u"%SystemDir%", u"%ProgramsDir32%", u"%ProgramsDir64%", u"%CommonDir32%", u"%CommonDir64%",
        u"%AppDataDir%", u"%AppDataAllDir%", u"%DesktopDir%", u"%DesktopAllDir%", u"%DocumentDir%",
        u"%DocumentAllDir%", u"%FavoritesDir%", u"%FavoritesAllDir%", u"%SMProgramsDir%", u"%SMProgramsAllDir%",
        u"%StartMenuDir%", u"%StartMenuAllDir%", u"%StartupDir%", u"%StartupAllDir%", u"%FontDir%", u"%Temp%",
    };
    static const wchar_t *const kEnvironment[] = {L"USERPROFILE", L"ALLUSERSPROFILE", L"PUBLIC", L"ProgramData",
                                                  L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432",
                                                  L"CommonProgramFiles", L"SystemRoot", L"LOCALAPPDATA",
                                                  L"APPDATA"};
    std::vector<String> folders;
    for (const char16_t *variable : kVariables) {
        String path(variable);
        ExpandPathVariables(path);
        if (!path.Empty() && !path.StartsWithWide(u"%"))
            folders.push_back(FullPathOf(path));
    }
    for (const wchar_t *name : kEnvironment) {
        const String value = EnvironmentText(name);
        if (!value.Empty())
            folders.push_back(FullPathOf(value));
    }
    // The Windows folder's SysWOW64 and the folder that holds every profile.
    const String windows = WindowsFolderPath();
    if (!windows.Empty())
        folders.push_back(WidePathJoin(windows, String(u"SysWOW64")));
    const String profile = EnvironmentText(L"USERPROFILE");
    if (!profile.Empty())
        folders.push_back(WidePathFolder(FullPathOf(profile)));
    return folders;
}

void RemoveListedItems(UninstallContext &context, const std::vector<String> &lines, std::vector<String> &folders,
                       PathTextSet &deleted)
{
    const UninstallSystemSteps &steps = GetUninstallSystemSteps();
    const int total = static_cast<int>(lines.size());
    for (int index = 0; index < total; ++index) {
        const String &line = lines[size_t(index)];
        if (String(line).Trim().Empty())
            continue;
        const String item = UninstallRecordItem(line);
        String refusal;
        switch (UninstallRecordKindOf(line)) {
        case kUninstallFolder:
            folders.push_back(item);
            break;
        case kUninstallRegistryValue:
            if (steps.deleteRegistryValue)
                ReportRefusal(context, item, steps.deleteRegistryValue(item, context.View(), &refusal), refusal);
            break;
        case kUninstallRegistryKey:
            if (steps.deleteRegistryKey)
                ReportRefusal(context, item, steps.deleteRegistryKey(item, context.View(), &refusal), refusal);
            break;
        case kUninstallRegistryKey64:
            if (steps.deleteRegistryKey)
                ReportRefusal(context, item, steps.deleteRegistryKey(item, RegistryView::Bits64, &refusal), refusal);
            break;
        case kUninstallFile:
            ShowName(context, PathTextToWide(item));
            ProgressPosition(11 + 81 * index / total);
            RemoveFileRecord(context, item, deleted);
            break;
        }
    }
}

void RemoveRecordedFolders(UninstallContext &context, std::vector<String> &folders)
{
    std::stable_sort(folders.begin(), folders.end(),
                     [](const String &a, const String &b) { return a.Length() > b.Length(); });
    for (const String &item : folders) {
        String folder = PathTextToWide(item);
        WidePathStripTrailingBackslash(folder);
        if (folder.Empty())
            continue;
        if (Protected(context, folder)) {
            RefuseRecord(context, folder);
            continue;
        }
        ShowName(context, folder);
        String current = folder;
        for (int level = 0; level < kMaxFolderClimb && !current.Empty(); ++level) {
            if (PathsEqualIgnoringCase(current, context.installFolder) || Protected(context, current))
                break;
            if (!RemoveEmptyFolder(current, 0))
                break;
            current = WidePathFolder(current);
        }
        // A folder that still holds something stays recorded, so that a later run removes it once
        // it is empty; the installation folder goes with the self-deletion script.
        if (IsFolder(folder) && !PathsEqualIgnoringCase(folder, context.installFolder))
            AddUninstallRecord(item, kUninstallFolder);
    }
}

void RemoveStartMenuFolder(const UninstallContext &context)
{
    if (context.productStartMenu.Empty())
        return;
    String programs(context.shortcutMode == 1 ? u"%SMProgramsAllDir%" : u"%SMProgramsDir%");
    ExpandPathVariables(programs);
    if (programs.StartsWithWide(u"%") || programs.Empty())
        return;
    String current = WidePathJoin(programs, context.productStartMenu);
    for (int level = 0; level < kMaxStartMenuLevels && !current.Empty(); ++level) {
        if (PathsEqualIgnoringCase(FullPathOf(current), FullPathOf(programs)) || Protected(context, current))
            break;
        if (!RemoveEmptyFolder(current, 0))
            break;
        current = WidePathFolder(current);
    }
}

void RemoveInstallationTree(UninstallContext &context)
{
    if (!context.HasFlag(UninstallFlag::DeleteFolderTree))
        return;
    if (Protected(context, context.installFolder)) {
        RefuseRecord(context, context.installFolder);
        return;
    }
    // What cannot be deleted stays for the self-deletion script's "rd", which removes only empty
    // folders; the tree deletion reports nothing of its own.
    DeleteFolderTree(context.installFolder, DeleteTreePumpMessages);
}

void RemoveSharedFolder(const UninstallContext &context)
{
    if (context.sharedPath.Empty())
        return;
    String folder(u"%SharedDir%");
    ExpandPathVariables(folder);
    if (folder.Empty() || folder.StartsWithWide(u"%") || Protected(context, folder))
        return;
    // A shared folder that other products still use is not empty and stays.
    RemoveEmptyFolder(folder, 0);
}
