#include "uninstall/uninstall_procedure_win.h"

#include <windows.h>
#include <shlobj.h>

#include "app/exit.h"
#include "app/fatal_error.h"
#include "core/file_errors.h"
#include "core/file_ops_win.h"
#include "core/path_parts.h"
#include "core/path_text.h"
#include "core/pending_renames.h"
#include "core/path_win.h"
#include "core/privilege_win.h"
#include "core/registry_tree_win.h"
#include "core/system_library_win.h"
#include "core/format.h"
#include "install/progress.h"
#include "install/side_effects.h"
#include "setupdata/language.h"
#include "setupdata/path_variables.h"
#include "setupdata/settings.h"
#include "uninstall/conditional_deletions_win.h"
#include "uninstall/shared_removal_win.h"
#include "uninstall/uninstall_data_win.h"
#include "uninstall/uninstall_files_win.h"
#include "uninstall/uninstall_messages_win.h"
#include "uninstall/uninstall_packages_win.h"
#include "uninstall/uninstall_window_win.h"

namespace {

// Phases of the programs to close as "Uninstall.DAT" gives them back.
constexpr uint8_t kCloseWithoutAsking = 2;
constexpr uint8_t kCloseAskingTheUser = 4;
constexpr int kHoldMilliseconds = 700;
constexpr char16_t kInstallLogName[] = u"Install.log";
constexpr char16_t kUserPinned[] = u"\\User Pinned\\";

// Values of the uninstall entry (names as the uninstall registration writes them).
const char16_t kProductFlagsValue[] = u"ProductFlags";
const char16_t kProductFlags2Value[] = u"ProductFlags2";
const char16_t kBitnessValue[] = u"Bitness";
const char16_t kDisplayVersionValue[] = u"DisplayVersion";
const char16_t kUninstallSubdirValue[] = u"UninstallSubdir";
const char16_t kAddToPathValue[] = u"AddToPathSubfolder";
const char16_t kProductFontsValue[] = u"ProductFonts";
const char16_t kShortcutModeValue[] = u"ShortcutMode";
const char16_t kNotifyUrlValue[] = u"NotifyURL";
const char16_t kDesktopFolderValue[] = u"DesktopFolder";
const char16_t kSharedPathValue[] = u"SharedPath";
const char16_t kStartMenuValue[] = u"ProductStartMenu";
const char16_t kBatch1Value[] = u"UninstallBatch1";
const char16_t kBatch2Value[] = u"UninstallBatch2";
const char16_t kSharedFilesValue[] = u"SharedFiles";
const char16_t kProductRegistryValue[] = u"ProductRegistry";

using Wow64Disable = BOOL(WINAPI *)(PVOID *);
using Wow64Revert = BOOL(WINAPI *)(PVOID);
PVOID g_redirection = nullptr;

String ReadText(const UninstallContext &c, const char16_t *name)
{
    String value;
    c.entry->ReadString(String(name), value);   // a missing value reads as empty
    return value;
}

uint64_t ReadNumberText(const UninstallContext &c, const char16_t *name)
{
    String narrow;
    String wide = ReadText(c, name);
    wide.TrimWide();
    uint64_t value = 0;
    for (int32_t i = 0; i < wide.WideLength() && wide.Wide()[i] >= u'0' && wide.Wide()[i] <= u'9'; ++i)
        value = value * 10 + uint64_t(wide.Wide()[i] - u'0');
    return value;
}

DWORD ReadNumber(const UninstallContext &c, const char16_t *name)
{
    DWORD value = 0;
    c.entry->ReadDword(String(name), value);
    return value;
}

void Hold(const UninstallContext &c)
{
    if (c.automatic)
        return;
    while (GetTickCount() - ProgressStatusTick() < DWORD(kHoldMilliseconds)) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(50);
    }
}

void SwitchRedirectionOff()
{
    const auto off = GetSystemFunctionAs<Wow64Disable>(L"kernel32.dll", "Wow64DisableWow64FsRedirection");
    if (!off || !off(&g_redirection))
        FatalError("Wow64DisableWow64FsRedirection() failed");
}

void SwitchRedirectionBack()
{
    const auto back = GetSystemFunctionAs<Wow64Revert>(L"kernel32.dll", "Wow64RevertWow64FsRedirection");
    if (back)
        back(g_redirection);   // the process ends soon; a failure changes nothing for it
}

// The path variables see the installation described by the entry.
void PublishPathState(const UninstallContext &c)
{
    PathVariableState &state = InstallationPathState();
    state.installFolder = c.installFolder;
    state.productName = c.productName;
    state.version = c.displayVersion;
    state.sharedFolder = c.sharedPath;
    state.startMenuFolderName = c.productStartMenu;
    state.uninstallSubfolder = c.uninstallSubdir;
    state.shortcutMode = int(c.shortcutMode);
    state.bitness = int(c.bitness);
    String desktop(c.shortcutMode == 1 ? u"%DesktopAllDir%" : u"%DesktopDir%");
    ExpandPathVariables(desktop);
    state.desktopShortcuts = c.desktopFolder.Empty() ? desktop : WidePathJoin(desktop, c.desktopFolder);
}

void ReadEntry(UninstallContext &c)
{
    c.productFlags = ReadNumberText(c, kProductFlagsValue);
    c.productFlags2 = uint32_t(ReadNumberText(c, kProductFlags2Value));
    // The wizard's parts (message boxes, pages) read the flags they share with the installer here.
    g_settings.ProductFlags = c.productFlags;
    g_settings.ProductFlags2 = c.productFlags2;
    if (c.HasFlag(UninstallFlag::Automatic))
        c.automatic = true;
    c.bitness = ReadNumber(c, kBitnessValue);
    if (c.bitness == 1)
        SwitchRedirectionOff();
    c.installFolderText = PathTextFromWide(c.installFolder);
    c.displayVersion = ReadText(c, kDisplayVersionValue);
    c.uninstallSubdir = ReadText(c, kUninstallSubdirValue);
    c.addToPathSubfolder = ReadText(c, kAddToPathValue);
    CodePageFromWide(ReadText(c, kProductFontsValue), kCodePageAnsi, "?", c.productFonts);
    c.shortcutMode = ReadNumber(c, kShortcutModeValue);
    c.notifyUrl = ReadText(c, kNotifyUrlValue);
    c.desktopFolder = ReadText(c, kDesktopFolderValue);
    c.sharedPath = ReadText(c, kSharedPathValue);
    c.productStartMenu = ReadText(c, kStartMenuValue);
    c.dataFolder = WidePathJoin(c.installFolder, c.uninstallSubdir);
    g_uninstall.dataFolder = c.dataFolder;
    g_settings.InstallFolder = c.installFolder;
    g_settings.DisplayName = c.productName;
    PublishPathState(c);
}

void RunEntryBatch(UninstallContext &c, const char16_t *name, bool hidden)
{
    const String batch = ReadText(c, name);
    if (batch.Empty())
        return;
    if (const auto run = GetUninstallSystemSteps().runBatch) {
        String narrow;
        CodePageFromWide(batch, kCodePageAnsi, "?", narrow);
        run(narrow, hidden);
    }
    // Deleted so that a later attempt after a failure does not run it twice.
    c.entry->DeleteValue(String(name));
}

void RestoreAssociations(UninstallContext &c, const std::vector<String> &lines)
{
    const auto restore = GetUninstallSystemSteps().restoreAssociation;
    if (restore)
        for (const String &line : lines)
            restore(line, c.productName, c.View());
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

void UnpinShortcuts(const std::vector<String> &lines)
{
    const auto unpin = GetUninstallSystemSteps().unpinFromTaskbar;
    if (!unpin)
        return;
    for (const String &line : lines) {
        const String path = PathTextToWide(UninstallRecordItem(line));
        for (int32_t i = 0; i + 13 <= path.WideLength(); ++i)
            if (String(path.Wide() + i, 13).StartsWithWide(kUserPinned)) {
                unpin(path);
                break;
            }
    }
}

void RemoveRegistryParts(UninstallContext &c)
{
    const UninstallSystemSteps &steps = GetUninstallSystemSteps();
    c.productRegistry = ReadText(c, kProductRegistryValue);
    if (!c.productRegistry.Empty()) {
        if (steps.removeProductKey)
            steps.removeProductKey(c.productRegistry, c.View());
        c.entry->DeleteValue(String(kProductRegistryValue));
    }
    if (!g_uninstall.registryText.Empty() && steps.removeRegistryText)
        steps.removeRegistryText(g_uninstall.registryText, c.View());
}

void FinishWithoutFailures(UninstallContext &c)
{
    RemoveFile(UninstallDataPath(), RemoveMissingIsDeleted);
    const UninstallSystemSteps &steps = GetUninstallSystemSteps();
    if (c.HasFlag(UninstallFlag::RemoveFromPath) && steps.removeFromPath) {
        String folder = c.addToPathSubfolder;
        if (folder.Empty())
            folder = c.installFolder;
        else if (!(folder.WideLength() > 2 && (folder.Wide()[1] == u':' || folder.StartsWithWide(u"\\\\"))))
            folder = WidePathJoin(c.installFolder, folder);
        steps.removeFromPath(folder);
    }
    RunEntryBatch(c, kBatch2Value, c.HasFlag(UninstallFlag::HideBatch2));
    c.entry->Close();
    // The entry goes last: while it exists the product can be uninstalled again.
    RegistryDeleteTree(HKEY_LOCAL_MACHINE, c.keyPath, RegistryView::Native);
}

void Restart()
{
    // Without the privilege the request fails; the user restarts later, as the question said.
    EnablePrivilege(SE_SHUTDOWN_NAME);
    (void)InstallSideEffects().restartSystem();
}

// The /r: program: the installer that asked for this uninstallation before installing again.
void StartRunAfter(const UninstallContext &c)
{
    if (c.runAfter.Empty())
        return;
    ProgramStart start;
    start.commandLine = c.runAfter;
    // Nothing to report to: the uninstallation is complete, and the program is the caller's.
    (void)InstallSideEffects().startProgram(start);
}

} // namespace

bool RemoveInstalledProduct(UninstallContext &c)
{
    ReadEntry(c);
    c.protectedFolders = ProtectedSystemFolders();
    c.programPath = FullPathOf(ModuleFilePath());
    OpenUninstallerWindow(c);

    UninstallDataContent lists;
    const int readCode = ReadUninstallData(lists);
    if (readCode != FileSuccess) {
        String text(u"The uninstall information for ");
        text.Append(c.productName);
        text.AppendWide(u" could not be loaded.\r\n\r\nFilepath: ");
        text.Append(UninstallDataPath());
        text.AppendFormatWide(u"\r\nCode %d: ", readCode);
        String reason;
        CodePageToWide(String(FileErrorText(readCode)), kCodePageAnsi, reason);
        text.Append(reason);
        ShowUninstallErrorBox(c, text);
        return false;
    }
    // The strings of the file were expanded when the installation wrote them.
    SetRunLanguage(&g_settings.Languages, nullptr);

    CloseUninstallPrograms(kCloseWithoutAsking);
    if (!c.automatic) {
        if (!AskUninstallQuestion(c, LanguageString(UninstallText::ConfirmText),
                                  LanguageString(UninstallText::ConfirmCaption)))
            ExitInstaller(1);
        if (UserTookSupportOffer(c))
            return false;
    }
    CloseUninstallPrograms(kCloseAskingTheUser);
    // From here the removal cannot be cancelled.
    OpenUninstallProgress(c);

    RunEntryBatch(c, kBatch1Value, c.HasFlag(UninstallFlag::HideBatch1));

    ProgressStatusRow(UninstallText::StatusAssociations);
    ProgressPosition(1);
    RestoreAssociations(c, lists.associations);
    Hold(c);

    ProgressStatusRow(UninstallText::StatusFonts);
    ProgressPosition(3);
    RemoveProductFonts(c);
    Hold(c);

    ProgressStatusRow(UninstallText::StatusFiles);
    ProgressPosition(5);
    if (!c.HasFlag(UninstallFlag::KeepInstallLog))
        RemoveFile(WidePathJoin(c.dataFolder, String(kInstallLogName)), RemoveMissingIsDeleted);
    String sharedFiles;
    CodePageFromWide(ReadText(c, kSharedFilesValue), kCodePageAnsi, "?", sharedFiles);
    ReleaseSharedFiles(c, sharedFiles);
    UnpinShortcuts(lists.uninstallList);
    Hold(c);
    if (!lists.msi.empty()) {
        ProgressStatusRow(UninstallText::StatusMsi);
        RemoveMsiPackages(c, lists.msi);
        Hold(c);
    }

    ProgressPosition(10);
    g_uninstall.list.Clear();
    std::vector<String> folders;
    PathTextSet deleted(static_cast<int32_t>(lists.uninstallList.size()));
    RemoveListedItems(c, lists.uninstallList, folders, deleted);

    ProgressPosition(92);
    // The pending list is a convenience; a failure to clean it changes nothing of the removal.
    CleanPendingOperations(deleted, nullptr);
    if (RunConditionalDeletions(false, g_settings.ConditionalDeletions, c.installFolder, nullptr))
        c.productFlags |= UninstallFlag::RestartRequired;
    ProgressPosition(93);
    RemoveRecordedFolders(c, folders);

    // What remains is written back so that a later run can finish; the result does not change
    // this run's outcome.
    WriteUninstallData();
    g_uninstall.list.Clear();

    RemoveStartMenuFolder(c);
    Hold(c);
    ProgressStatusRow(UninstallText::StatusRegistry);
    ProgressPosition(95);
    RemoveRegistryParts(c);
    ProgressPosition(96);
    if (!lists.firewall.empty())
        if (const auto remove = GetUninstallSystemSteps().removeFirewall)
            remove(lists.firewall, c.installFolder);
    ProgressPosition(97);
    RemoveDrivers(lists.drivers);
    RemoveInstallationTree(c);
    ProgressPosition(98);
    RemoveSharedFolder(c);

    const bool succeeded = c.failures.Empty();
    if (succeeded)
        FinishWithoutFailures(c);
    else
        c.entry->Close();
    String desktop(u"%DesktopShortcuts%");
    ExpandPathVariables(desktop);
    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW, desktop.Wide(), nullptr);
    ProgressPosition(100);
    if (c.bitness == 1)
        SwitchRedirectionBack();
    if (c.HasFlag(UninstallFlag::ClosePageBeforeMessages)) {
        Hold(c);
        CloseUninstallProgress();
    }

    if (!succeeded) {
        if (!c.automatic)
            ShowUninstallWarning(c, FormatWithText(LanguageString(UninstallText::FailureBody), c.failures),
                                 LanguageString(UninstallText::RestartCaption));
        return false;
    }
    if (!c.automatic && (c.productFlags2 & kUninstallFlag2CompletionMessage))
        ShowUninstallInformation(c, LanguageString(UninstallText::CompletionText),
                                 LanguageString(UninstallText::CompletionCaption));
    if (c.HasFlag(UninstallFlag::RestartRequired) &&
        (c.automatic || AskUninstallQuestion(c, LanguageString(UninstallText::RestartQuestion),
                                             LanguageString(UninstallText::RestartCaption)))) {
        // The open page would refuse the session's end that the restart asks for.
        CloseUninstallProgress();
        Restart();
    }
    StartRunAfter(c);
    return true;
}
