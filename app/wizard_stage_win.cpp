#include "app/wizard_stage_win.h"

#include <windows.h>

#include <mmsystem.h>

#include <initializer_list>
#include <vector>

#include "app/exit.h"
#include "app/fatal_error.h"
#include "app/notification_win.h"
#include "app/run_mode.h"
#include "core/codepage.h"
#include "core/system_library_win.h"
#include "core/folders_win.h"
#include "core/path_text.h"
#include "core/registry_win.h"
#include "core/system_error.h"
#include "core/wide_win.h"
#include "install/install_log_body.h"
#include "install/progress.h"
#include "install/side_effects.h"
#include "setupdata/language.h"
#include "setupdata/path_variables.h"
#include "setupdata/settings.h"
#include "setupdata/settings_flags.h"
#include "setupdata/settings_win.h"
#include "setupdata/windows_version.h"
#include "uninstall/uninstall.h"
#include "uninstall/uninstall_data.h"
#include "wizard/installer_window_win.h"
#include "wizard/message_box_win.h"
#include "wizard/pages.h"
#include "wizard/programs_to_close_win.h"
#include "core/dotted_version.h"


namespace {

constexpr int kBitnessMessageRow = 81;
constexpr int kUnsupportedSystemRow = 61;
constexpr int kSingleInstallerRow = 91;
constexpr int kNoDowngradeRow = 106;
constexpr int kMustUninstallRow = 9;
constexpr int kRequiredProductRow = 12;
constexpr int kRequiredProductTooOldRow = 112;
constexpr int kEarlierVersionCaptionRow = 2;
constexpr int kEarlierVersionRow = 3;
constexpr int kSameVersionRow = 4;
constexpr int kOlderVersionRow = 5;
constexpr int kNewerVersionRow = 6;
constexpr int kContinueRow = 7;
constexpr int kQuestionCaptionRow = 20;
constexpr int kOldVersionWarningRow = 72;
constexpr int kGreetingTextRow = 1;
constexpr int kGreetingCaptionRow = 65;
constexpr int kWindowTitleRow = 0;
constexpr int kCloseProgramRow = 99;
constexpr uint8_t kInstallClosePhase = 1;
constexpr uint32_t kRecordEarlierFolderValue = 0x2000;
constexpr uint32_t kNoStartMenuPageOnRemovable = 0x800;

// The fixed name every installer of this system shares, so that two of them never run together.
const wchar_t kSingleInstallerMutex[] = L"KestrivalSetupSingleInstaller";

// The stage's messages go through the wizard's message box (centred, buttons in the language);
// in silent mode it shows nothing.
void StageMessage(const String &text, UINT icon)
{
    (void)ShowMessage(text, LanguageString(kErrorCaptionRow), MB_OK | icon);
}

// A page declined: the cancellation message (unless automatic mode is on) and the end of the run.
[[noreturn]] void Cancelled() { AbortInstallation(); }

// Fills each "%s" (or "%ls") of a language row with the next argument; the rest of the row is kept.
String FillRowWith(const String &row, std::initializer_list<String> arguments)
{
    String out;
    auto next = arguments.begin();
    const char16_t *text = row.Wide();
    const int32_t units = row.WideLength();
    for (int32_t i = 0; i < units; ++i) {
        if (text[i] == u'%' && i + 1 < units && next != arguments.end()) {
            const int32_t length = text[i + 1] == u's' ? 1
                                   : (text[i + 1] == u'l' && i + 2 < units && text[i + 2] == u's') ? 2
                                                                                                      : 0;
            if (length) {
                out.Append(*next++);
                i += length;
                continue;
            }
        }
        out.AppendWideChar(text[i]);
    }
    return out;
}

bool QueryVersion(WindowsVersion &v) { return RunningWindowsVersion(v); }

String Ansi(const String &text) { return WideFromCodePage(text, kCodePageAnsi); }

bool IsBlankText(const String &wide)
{
    String trimmed = wide;
    trimmed.TrimWide();
    return trimmed.Empty();
}

bool IsBlank8(const String &text) { return IsBlankText(Ansi(text)); }

int CompareVersions(const String &a8, const String &b8)
{
    return CompareDottedVersions(a8.Bytes(), b8.Bytes());
}

void CheckBitness(const Settings &s)
{
    const bool windows64 = DefaultPathValueSource().Is64BitWindows();
    if ((s.Bitness == 1 && !windows64) || (s.Bitness == 2 && windows64)) {
        if (!g_runMode.automatic)
            StageMessage(LanguageString(kBitnessMessageRow), s.Bitness == 1 ? MB_ICONINFORMATION : MB_ICONQUESTION);
        ExitInstaller(1);
    }
    if (s.RedirectionFailed)
        FatalError("Wow64DisableWow64FsRedirection() failed");
}

void CheckSupportedSystem(const Settings &s)
{
    WindowsVersion version;
    if (!QueryVersion(version) || !(s.UnsupportedSystems & UnsupportedSystemBit(version)))
        return;
    StageMessage(String::FormatWide(LanguageString(kUnsupportedSystemRow).Wide(), OperatingSystemName().Wide()),
                 MB_ICONERROR);
    ExitInstaller(1);
}

// The product named as required must have an uninstall entry of its own (and, when this product
// goes into the same folder, a folder), in the version asked for or later.
void CheckRequiredProduct(Settings &s)
{
    if (!(s.ProductFlags & ProductFlag::RequiredProduct))
        return;
    const bool master = s.InstallFolderSetting.EqualsIgnoreCaseWide(String(u"<master>"));
    RegistryKey key;
    String folder, version;
    const String path = String(kUninstallKeyPath).AppendWide(u"\\").Append(Ansi(s.RequiredProductName));
    const bool registered = key.Open(HKEY_LOCAL_MACHINE, path, KEY_READ) == ERROR_SUCCESS;
    if (registered) {
        (void)key.ReadString(String(u"InstallLocation"), folder);
        (void)key.ReadString(String(u"DisplayVersion"), version);
    }
    folder.TrimWide();
    if (!registered || (master && folder.Empty())) {
        if (!g_runMode.automatic)
            StageMessage(FillRowWith(LanguageString(kRequiredProductRow), {Ansi(s.RequiredProductDisplayName)}),
                         MB_ICONERROR);
        ExitInstaller(1);
    }
    if (!IsBlank8(s.RequiredProductMinVersion) &&
        CompareVersions(NarrowInCodePage(version, kCodePageAnsi), s.RequiredProductMinVersion) < 0) {
        if (!g_runMode.automatic)
            StageMessage(LanguageString(kRequiredProductTooOldRow), MB_ICONERROR);
        ExitInstaller(1);
    }
    if (master)
        s.InstallFolder = folder;
}

void TakeSingleInstallerMutex(const Settings &s)
{
    if (!(s.ProductFlags & ProductFlag::SingleInstaller))
        return;
    // Held until the process ends: the handle is never closed on purpose.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, kSingleInstallerMutex);
    if (!mutex)
        return;   // no mutex, no check
    const DWORD taken = WaitForSingleObject(mutex, 0);
    if (taken == WAIT_OBJECT_0 || taken == WAIT_ABANDONED)
        return;
    StageMessage(LanguageString(kSingleInstallerRow), MB_ICONWARNING);
    ExitInstaller(1);
}

bool FolderExists(const String &folder)
{
    const DWORD attributes = GetFileAttributesW(AsWide(folder));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A registry value path "HKLM\key\value" (or HKCU) read as text; empty when it cannot be.
String ReadRegistryValuePath(const String &path)
{
    HKEY root = nullptr;
    if (path.StartsWithWide(u"HKLM\\"))
        root = HKEY_LOCAL_MACHINE;
    else if (path.StartsWithWide(u"HKCU\\"))
        root = HKEY_CURRENT_USER;
    int32_t slash = -1;
    for (int32_t i = 0; i < path.WideLength(); ++i)
        if (path.Wide()[i] == u'\\')
            slash = i;
    if (!root || slash <= 5)
        return String();
    RegistryKey key;
    String value;
    if (key.Open(root, String(path.Wide() + 5, slash - 5), KEY_READ) != ERROR_SUCCESS ||
        key.ReadString(String(path.Wide() + slash + 1, path.WideLength() - slash - 1), value) != ERROR_SUCCESS)
        return String();
    return value;
}

struct EarlierEntry {
    RegistryKey key;
    String oldVersion8;
    String oldVersion;   // wide, as registered
};

void FindEarlierInstallation(Settings &s, PreviousInstallation &previous, EarlierEntry &entry)
{
    if (!(s.ProductFlags & ProductFlag::UninstallSupport))
        return;
    const String path = String(kUninstallKeyPath).AppendWide(u"\\").Append(s.UninstallName);
    if (entry.key.Open(HKEY_LOCAL_MACHINE, path, KEY_READ) == ERROR_SUCCESS) {
        String version;
        (void)entry.key.ReadString(String(u"InstallLocation"), previous.folder);
        (void)entry.key.ReadString(String(u"DisplayVersion"), version);
        (void)entry.key.ReadString(String(u"SharedFiles"), previous.sharedFiles);
        (void)entry.key.ReadString(String(u"ProductStartMenu"), previous.startMenu);
        entry.oldVersion = version;
        entry.oldVersion8 = NarrowInCodePage(version, kCodePageAnsi);
        InstallationPathState().oldVersion = version;
        previous.sharedFiles = NarrowInCodePage(previous.sharedFiles, kCodePageAnsi);
    }
    if (previous.folder.Empty() && !s.EarlierFolderValue.Empty()) {
        previous.folder = ReadRegistryValuePath(Ansi(s.EarlierFolderValue));
        if (s.ProductFlags2 & kRecordEarlierFolderValue) {
            String record = s.EarlierFolderValue;
            (void)AddUninstallRecord(record, kUninstallRegistryValue);
        }
    }
    previous.found = !previous.folder.Empty() && FolderExists(previous.folder);
}

void PlayStartSound(const Settings &s)
{
    if (g_runMode.automatic || s.StartSound.Empty())
        return;
    // winmm is looked up in the system folder, never by name beside the installer. A sound that
    // cannot be played is no reason to stop an installation.
    using PlaySoundFn = BOOL(WINAPI *)(LPCWSTR, HMODULE, DWORD);
    const auto play = GetSystemFunctionAs<PlaySoundFn>(L"winmm.dll", "PlaySoundW");
    if (play)
        (void)play(reinterpret_cast<LPCWSTR>(s.StartSound.Bytes()), nullptr,
                   SND_ASYNC | SND_NODEFAULT | SND_MEMORY | SND_NOSTOP);
}

void FolderFromRegistry(Settings &s)
{
    const String &setting = s.InstallFolderSetting;
    if (!setting.StartsWithWide(u"HKLM\\") && !setting.StartsWithWide(u"HKCU\\"))
        return;
    const String folder = ReadRegistryValuePath(setting);
    if (folder.Empty())
        FatalErrorFormat(u"Failed to obtain installation path from \"%ls\"", setting.Wide());
    if (!FolderExists(folder))
        FatalErrorFormat(u"Installation path \"%ls\" obtained from \"%ls\" does not exist.", folder.Wide(),
                         setting.Wide());
    s.InstallFolder = folder;
}

// This installer's own command line for the uninstaller's /r: option, its double quotes turned
// into backquotes so that the whole line stays one quoted value.
String RestartArgument()
{
    String line(FromWide(GetCommandLineW()));
    String out(u" /r:\"");
    for (int32_t i = 0; i < line.WideLength(); ++i)
        out.AppendWideChar(line.Wide()[i] == u'"' ? u'`' : line.Wide()[i]);
    return out.AppendWide(u"\"");
}

// An earlier installation that has to go first: the user may start its uninstaller, which starts
// this installer again when it has finished. Either way this run ends here.
[[noreturn]] void UninstallEarlierFirst(EarlierEntry &entry)
{
    g_runMode.automatic = false;
    String command;
    if (entry.key.ReadString(String(u"QuietUninstallString"), command) != ERROR_SUCCESS || IsBlankText(command))
        (void)entry.key.ReadString(String(u"UninstallString"), command);
    if (IsBlankText(command)) {
        StageMessage(LanguageString(kMustUninstallRow), MB_ICONERROR);
        ExitInstaller(1);
    }
    if (ShowMustUninstall() == kPageAccept) {
        ProgramStart start;
        start.commandLine = command.Append(RestartArgument());
        if (!InstallSideEffects().startProgram(start))
            StageMessage(String(u"Failed to start the uninstaller:\r\n").Append(start.commandLine)
                             .AppendWide(u"\r\n\r\n").Append(SystemErrorText(GetLastError())),
                         MB_ICONERROR);
    }
    ExitInstaller(1);
}

void CheckEarlierVersion(const Settings &s, PreviousInstallation &previous, EarlierEntry &entry)
{
    if (!previous.found)
        return;
    // a: an earlier version that cannot be upgraded in place is removed first.
    if ((s.ProductFlags & ProductFlag::UninstallEarlierFirst) &&
        !(!IsBlank8(s.MinUpgradableVersion) && CompareVersions(entry.oldVersion8, s.MinUpgradableVersion) >= 0))
        UninstallEarlierFirst(entry);
    // b.
    String floor;
    (void)entry.key.ReadString(String(u"NoDowngradeBelow"), floor);
    floor.TrimWide();
    const String floor8 = NarrowInCodePage(floor, kCodePageAnsi);
    if (!floor.Empty() && CompareVersions(s.DisplayVersion, floor8) < 0) {
        if (!g_runMode.automatic)
            StageMessage(String::FormatWide(LanguageString(kNoDowngradeRow).Wide(), floor.Wide()), MB_ICONWARNING);
        ExitInstaller(1);
    }
    // c: the relation of the two versions, told and asked.
    int row = kEarlierVersionRow;
    if ((s.ProductFlags & ProductFlag::CompareVersions) && !IsBlankText(entry.oldVersion) &&
        !IsBlank8(s.DisplayVersion)) {
        const int relation = CompareVersions(s.DisplayVersion, entry.oldVersion8);
        previous.sameVersion = relation == 0;
        previous.upgrade = relation > 0;
        previous.downgrade = relation < 0;
        row = relation == 0 ? kSameVersionRow : relation > 0 ? kOlderVersionRow : kNewerVersionRow;
    }
    if (!g_runMode.automatic && !(s.ProductFlags & ProductFlag::NoEarlierVersionQuestion)) {
        const String question = FillRowWith(LanguageString(row), {String(u"\r\n"), previous.folder,
                                                                  String(u"\r\n\r\n"), LanguageString(kContinueRow)});
        if (!AskYesNo(question, LanguageString(kEarlierVersionCaptionRow)))
            Cancelled();
    }
    // d: a warning about versions too old to be upgraded cleanly.
    if ((s.ProductFlags & ProductFlag::OldVersionWarning) && !IsBlankText(entry.oldVersion) &&
        (IsBlank8(s.WarningVersion) || CompareVersions(entry.oldVersion8, s.WarningVersion) < 0) &&
        !AskYesNo(LanguageString(kOldVersionWarningRow), LanguageString(kQuestionCaptionRow)))
        ExitInstaller(1);
}

bool RemovableDrive(const String &folder)
{
    if (folder.WideLength() < 2 || folder.Wide()[1] != u':')
        return false;
    const char16_t root[4] = {folder.Wide()[0], u':', u'\\', 0};
    const UINT type = GetDriveTypeW(AsWide(root));
    return type == DRIVE_REMOVABLE || type == DRIVE_CDROM || type == DRIVE_RAMDISK;
}

// The documents of one kind, each on its own page; declining one cancels the installation.
void ShowDocuments(const std::vector<String> &documents, bool (*show)(const String &))
{
    if (g_runMode.automatic)
        return;
    for (const String &document : documents)
        if (!document.Empty() && !show(document))
            Cancelled();
}

} // namespace

String OperatingSystemName()
{
    WindowsVersion v;
    if (!QueryVersion(v))
        return String(u"Windows");
    struct Name {
        uint32_t major, minor;
        const char16_t *workstation;
        const char16_t *server;
    };
    static const Name kNames[] = {
        {10, 0, u"10", u"Server 2016"}, {6, 3, u"8.1", u"Server 2012 R2"}, {6, 2, u"8", u"Server 2012"},
        {6, 1, u"7", u"Server 2008 R2"}, {6, 0, u"Vista", u"Server 2008"},  {5, 2, u"XP", u"Server 2003"},
        {5, 1, u"XP", u"XP"},           {5, 0, u"2000", u"2000 Server"},
    };
    for (const Name &n : kNames)
        if (n.major == v.major && n.minor == v.minor)
            return String(u"Windows ").AppendWide(v.workstation ? n.workstation : n.server)
                .AppendFormatWide(u" (build %u)", v.build);
    return String::FormatWide(u"Windows %u.%u (build %u)", v.major, v.minor, v.build);
}

void RunWizardStage(SequenceInput &input)
{
    Settings &s = *input.settings;
    // 1: the language page; its cancel ends the run without a message.
    if (s.Languages.names.size() != 1 && !g_runMode.automatic && !ShowLanguagePage())
        ExitInstaller(1);
    // 2.
    ApplyLanguageCaption(LanguageString(kWindowTitleRow));
    // 3 to 5.
    CheckBitness(s);
    CheckSupportedSystem(s);
    // 6 to 8.
    CheckRequiredProduct(s);
    TakeSingleInstallerMutex(s);
    EarlierEntry earlier;
    FindEarlierInstallation(s, input.previous, earlier);
    // 9.
    PlayStartSound(s);
    // 10: the greeting; declined, the run ends without a message.
    if (!g_runMode.automatic && !(s.ProductFlags & ProductFlag::NoGreetingPage) &&
        !ShowGreetingPage(InstallerWindow(), LanguageString(kGreetingCaptionRow), LanguageString(kGreetingTextRow),
                          s.DialogVariants[kVariantGreeting]))
        ExitInstaller(1);
    // 11: in every mode, silent included: a protection that a command-line switch lifts is none.
    if (!ShowPasswordPage())
        Cancelled();
    // 12, 13.
    ShowDocuments(s.LicenceDocuments, ShowLicencePage);
    ShowDocuments(s.ReadmeDocuments, ShowReadmePage);
    // 14: the programs whose files the installation replaces are closed first.
    if (!s.ProgramsToClose.empty()) {
        ProgramsToCloseQuestion question;
        question.format = LanguageString(kCloseProgramRow);
        question.caption = LanguageString(kGreetingCaptionRow);
        ClosePrograms(s.ProgramsToClose, kInstallClosePhase, question);
    }
    // 15, 16.
    FolderFromRegistry(s);
    CheckEarlierVersion(s, input.previous, earlier);
    // 17: the folder page with its checks (without the page the folder is used as it stands);
    // the folder is created either way.
    CopySettingsToPathState(s, InstallationPathState());
    if (!ChooseInstallFolder(input.previous.found))
        Cancelled();
    (void)AddUninstallRecord(PathTextFromWide(s.InstallFolder), kUninstallFolder);
    InstallationPathState().installFolder = s.InstallFolder;
    // 18.
    if (input.previous.found && !input.previous.startMenu.Empty()) {
        s.ProductStartMenu = input.previous.startMenu;
    } else {
        ExpandProductPlaceholders(s.ProductStartMenu);
        if (!g_runMode.automatic && (s.ProductFlags & ProductFlag::StartMenuPage) &&
            !((s.ProductFlags2 & kNoStartMenuPageOnRemovable) && RemovableDrive(s.InstallFolder)) &&
            !ShowStartMenuPage())
            Cancelled();
    }
    InstallationPathState().startMenuFolderName = s.ProductStartMenu;
    // 19: the progress page, the second notification, the temporary log.
    if (InstallerWindow())
        SetWizardOwner(InstallerWindow());
    OpenProgressPage();
    StartNotificationRequest(Ansi(s.WizardNotifyURL), s.DisplayVersionWide);
    (void)OpenLogBody();   // without a body the run goes on unlogged until the log is finished
}
