// Steps 27 to 41: the uninstaller and its registration, the restart marker, "Uninstall.DAT", the
// post-installation batch, the finish caption, the restore point, the log, the restart decision,
// the exit batch, the empty folders and the finish actions.
#include <windows.h>
#include <shlobj.h>

#include "app/run_mode.h"
#include "core/codepage.h"
#include "core/failure_summary.h"
#include "core/file_ops_win.h"
#include "core/file_win.h"
#include "core/path_text.h"
#include "core/path_win.h"
#include "core/system_error.h"
#include "core/wide_win.h"
#include "install/install_log.h"
#include "install/install_log_finish.h"
#include "install/progress.h"
#include "install/sequence_state.h"
#include "install/side_effects.h"
#include "install/uninstall_registration.h"
#include "setupdata/language.h"
#include "setupdata/path_variables.h"
#include "setupdata/settings_win.h"
#include "setupdata/setup_data_win.h"
#include "uninstall/uninstall_data.h"
#include "uninstall/uninstall_data_win.h"
#include "wizard/installer_window_win.h"


namespace {

constexpr int kFinishingStatusRow = 36;
constexpr int kUninstallDataFailedRow = 31;
constexpr int kRestartQuestionRow = 37;
constexpr int kQuestionCaptionRow = 20;

int64_t EstimatedSize(const InstallRun &run)
{
    // Sizes rounded up to the installation drive's cluster, as the folder page estimated them.
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    int64_t cluster = 4096;
    const String &folder = run.settings.InstallFolder;
    if (folder.WideLength() >= 2 && folder.Wide()[1] == u':') {
        const char16_t root[4] = {folder.Wide()[0], u':', u'\\', 0};
        if (GetDiskFreeSpaceW(AsWide(root), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters) &&
            sectorsPerCluster * bytesPerSector > 0)
            cluster = static_cast<int64_t>(sectorsPerCluster) * bytesPerSector;
    }
    int64_t total = 0;
    for (int32_t size : g_setupData.container.header.fileSizes)
        total += (static_cast<int64_t>(size) + cluster - 1) / cluster * cluster;
    return total + run.settings.ExtraSpace;
}

void WriteRestartMarker(InstallRun &run)
{
    const String marker = JoinPath(run.settings.InstallFolder, String(u"reboot.dat"));
    if (WriteWholeFile(marker, "", 0) != 0) {
        LogPrintfW(u"Failed to create restart marker \"%ls\": %ls\r\n", marker.Wide(),
                   SystemErrorText(GetLastError()).Wide());
        return;
    }
    if (!RemoveFile(marker, RemoveAtRestart))
        LogPrintfW(u"Failed to register \"%ls\" for deletion at restart: %ls\r\n", marker.Wide(),
                   SystemErrorText(GetLastError()).Wide());
}

void WriteUninstallDataFile()
{
    String error;
    std::vector<String> refused;
    const bool written = WriteUninstallData(&error, &refused);
    for (const String &line : refused) {
        LogStringW(line);
        LogText("\r\n");
    }
    if (!written)
        AppendFailureEntry(LanguageString(kUninstallDataFailedRow), UninstallDataPath(), error);
}

void FinishCaption(InstallRun &run)
{
    const PreviousInstallation &p = run.input.previous;
    // The four finish texts of the record's second group, taken in the order the cases are tested:
    // upgrade, downgrade, earlier installation, new installation.
    const String &text = p.upgrade     ? run.settings.EndTexts[2]
                         : p.downgrade ? run.settings.EndTexts[3]
                         : p.found     ? run.settings.EndTexts[4]
                                       : run.settings.EndTexts[5];
    if (!text.Empty())
        SetInstallerWindowCaption(WideFromCodePage(text, kCodePageAnsi));
    const int folder = run.settings.ShortcutMode == 1 ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS;
    LPITEMIDLIST list = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, folder, &list)) && list) {
        SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, list, nullptr);
        CoTaskMemFree(list);
    }
}

bool DecideRestart(InstallRun &run)
{
    if (!run.Has(SequenceFlag::RestartNeeded))
        return false;
    if (run.mode.automatic && !run.Has(SequenceFlag::AskBeforeRestart))
        return true;
    const InstallLogContext &log = CurrentInstallLogContext();
    if (!log.hooks.askYesNo || run.mode.silent)
        return true;   // silent mode: questions count as yes
    return log.hooks.askYesNo(LanguageString(kRestartQuestionRow), LanguageString(kQuestionCaptionRow));
}

void AppendToFinishedLog(const String &wide)
{
    // The log was finished in step 35: the line goes straight into the file.
    File log;
    if (log.Open(InstallLogPath(), FileCreation::OpenAlways, FileWriteAccess) != 0 || !log.Seek(0, FILE_END))
        return;
    const String bytes = LogUtf8FromWide(wide.Wide(), wide.WideLength());
    (void)log.Write(bytes.Bytes(), bytes.Length());
}

String ResolveFinishPath(const InstallRun &run, const String &path)
{
    String expanded = path;
    ExpandPathVariables(expanded);
    const bool absolute = expanded.WideLength() >= 2 &&
                          (expanded.Wide()[1] == u':' || (expanded.Wide()[0] == u'\\' && expanded.Wide()[1] == u'\\'));
    return absolute ? expanded : JoinPath(run.settings.InstallFolder, expanded);
}

// The finish page's offers. The application is the one the product's first shortcut starts (its
// target and arguments, as the shortcut step makes it; the uninstaller's and the log's shortcuts that
// the run added are not the product's); the two files are the first two texts of the setup script's
// end texts. Each offer exists when its text is not blank.
void PrepareFinishOffers(InstallRun &run)
{
    FinishActions &f = run.input.finish;
    const String uninstaller = JoinPath(run.uninstallDataFolder, PathTextToWide(run.settings.UninstallerFileName));
    const String log = InstallLogPath();
    f.applicationCommand = String();
    for (const ShortcutRecord &shortcut : run.shortcuts) {
        String target = WideFromCodePage(shortcut.target, kCodePageAnsi);
        target.TrimWide();
        String expanded = target;
        ExpandPathVariables(expanded);
        if (target.Empty() || PathsEqualIgnoringCase(expanded, uninstaller) || PathsEqualIgnoringCase(expanded, log))
            continue;
        f.applicationCommand = String(u"\"").Append(target).AppendWide(u"\"");
        if (!shortcut.arguments.Empty())
            f.applicationCommand.AppendWide(u" ").Append(shortcut.arguments);
        break;
    }
    f.openFilePath = WideFromCodePage(run.settings.EndTexts[0], kCodePageAnsi).TrimWide();
    f.secondFilePath = WideFromCodePage(run.settings.EndTexts[1], kCodePageAnsi).TrimWide();
    InstallLogContext &context = CurrentInstallLogContext();
    context.finishLaunchApp = !f.applicationCommand.Empty();
    context.finishOpenFile = !f.openFilePath.Empty();
    context.finishOpenSecondFile = !f.secondFilePath.Empty();
}

bool StartCommand(const String &command, const String &folder)
{
    ProgramStart start;
    start.commandLine = command;
    start.workingFolder = folder;
    return InstallSideEffects().startProgram(start);
}

void RunFinishActions(InstallRun &run)
{
    const String &folder = run.settings.InstallFolder;
    (void)SetCurrentDirectoryW(AsWide(folder));   // a vanished folder leaves the old one: harmless
    const FinishActions &f = run.input.finish;
    String launch = WideFromCodePage(run.settings.LaunchOnExit, kCodePageAnsi);
    if (FailureSummaryEmpty() && !launch.Empty()) {
        ExpandPathVariables(launch);
        if (!StartCommand(launch, folder))
            AppendToFinishedLog(String(u"Failed to launch command: ").Append(launch).AppendWide(u"\r\n")
                                    .Append(SystemErrorText(GetLastError())));
    }
    if (f.openFile)
        (void)InstallSideEffects().shellOpen(ResolveFinishPath(run, f.openFilePath), String(), folder, false);
    if (f.launchApplication) {
        String command = f.applicationCommand;
        ExpandPathVariables(command);
        String program, arguments;
        SplitCommand(command, program, arguments);
        bool started = !run.Has2(SequenceFlag2::LaunchAppAsCommand) &&
                       InstallSideEffects().shellOpen(program, arguments, folder, false);
        if (!started)
            started = StartCommand(command, folder);
        if (!started)
            AppendToFinishedLog(String(u"Failed to launch app: ").Append(command).AppendWide(u"\r\n")
                                    .Append(SystemErrorText(GetLastError())));
    }
    if (f.viewLog) {
        ProgramStart start;
        // Quoted: an installation folder with a blank would give Notepad two file names.
        start.commandLine = String(u"notepad.exe \"").Append(InstallLogPath()).AppendWide(u"\"");
        (void)InstallSideEffects().startProgram(start);
    }
    if (f.openSecondFile)
        (void)InstallSideEffects().shellOpen(ResolveFinishPath(run, f.secondFilePath), String(), folder, false);
}

} // namespace

void RegisterForUninstall(InstallRun &run)
{
    UninstallRegistrationInput in;
    in.settings = &run.settings;
    in.uninstallDataFolder = run.uninstallDataFolder;
    in.programPath = run.input.programPath;
    in.sharedFolder = run.sharedFolder;
    in.fontList = run.fontList;
    in.sharedFilesText = run.sharedFilesText;
    in.estimatedSize = EstimatedSize(run);
    RegisterUninstall(in);
}

void FinishInstallation(InstallRun &run)
{
    // 27.
    ProgressPosition(99);
    if (run.UninstallSupport())
        RegisterForUninstall(run);
    // 28.
    if (run.Has(SequenceFlag::RestartMarker))
        WriteRestartMarker(run);
    // 29.
    run.Delay();
    ProgressStatusRow(kFinishingStatusRow);
    ProgressPosition(100);
    // 30.
    if (run.UninstallSupport())
        WriteUninstallDataFile();
    // 31 to 34.
    RunPostInstallBatch(run);
    FinishCaption(run);
    CommitRestorePoint(run);
    run.Delay();
    CurrentProgressPage().Close();
    SetProgressPage(nullptr);
    if (!run.settings.LaunchOnExit.Empty())
        LogPrintfW(u"Launch on exit: %ls\r\n", WideFromCodePage(run.settings.LaunchOnExit, kCodePageAnsi).Wide());
    // 35: the outcome (the finish page among its forms) and the log.
    PrepareFinishOffers(run);
    FinishInstallLog(FailureSummary(), run.input.previous.found, true);
    // 36 to 39.
    run.restartAnswer = DecideRestart(run);
    RunExitBatch(run);
    RemoveEmptyInstallFolders(run);
    if (run.settings.Bitness == 1)
        RestoreFsRedirection();
    // 40, 41.
    if (run.restartAnswer) {
        if (!InstallSideEffects().restartSystem())
            LogPrintfW(u"Failed to restart Windows: %ls\r\n", SystemErrorText(GetLastError()).Wide());
        return;
    }
    RunFinishActions(run);
}
