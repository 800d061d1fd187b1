#include "app/wizard_stage_win.h"

#include <windows.h>

#include <mmsystem.h>

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
#include "setupdata/language.h"
#include "setupdata/path_variables.h"
#include "setupdata/settings.h"
#include "setupdata/settings_flags.h"
#include "setupdata/settings_win.h"
#include "setupdata/windows_version.h"
#include "uninstall/uninstall.h"
#include "uninstall/uninstall_data.h"
#include "wizard/installer_window_win.h"
#include "wizard/pages.h"
#include "core/dotted_version.h"


namespace {

constexpr int kBitnessMessageRow = 81;
constexpr int kUnsupportedSystemRow = 61;
constexpr int kSingleInstallerRow = 91;
constexpr int kNoDowngradeRow = 106;
constexpr uint32_t kRecordEarlierFolderValue = 0x2000;

// The fixed name every installer of this system shares, so that two of them never run together.
const wchar_t kSingleInstallerMutex[] = L"KestrivalSetupSingleInstaller";

void StageMessage(const String &text, UINT icon)
{
    if (g_runMode.silent)
        return;
    (void)MessageBoxW(InstallerWindow(), AsWide(text), AsWide(LanguageString(kErrorCaptionRow)), MB_OK | icon);
}

bool QueryVersion(WindowsVersion &v) { return RunningWindowsVersion(v); }

String Ansi(const String &text) { return WideFromCodePage(text, kCodePageAnsi); }

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

void CheckEarlierVersion(const Settings &s, PreviousInstallation &previous, EarlierEntry &entry)
{
    if (!previous.found)
        return;
    String floor;
    (void)entry.key.ReadString(String(u"NoDowngradeBelow"), floor);
    floor.TrimWide();
    const String floor8 = NarrowInCodePage(floor, kCodePageAnsi);
    if (!floor.Empty() && CompareVersions(s.DisplayVersion, floor8) < 0) {
        if (!g_runMode.automatic)
            StageMessage(String::FormatWide(LanguageString(kNoDowngradeRow).Wide(), floor.Wide()), MB_ICONWARNING);
        ExitInstaller(1);
    }
    if ((s.ProductFlags & ProductFlag::CompareVersions) && !entry.oldVersion8.Empty() && !s.DisplayVersion.Empty()) {
        const int relation = CompareVersions(s.DisplayVersion, entry.oldVersion8);
        previous.sameVersion = relation == 0;
        previous.upgrade = relation > 0;
        previous.downgrade = relation < 0;
    }
}

void EnsureFolder(const Settings &s)
{
    if (!CreateFolderPath(s.InstallFolder))
        FatalErrorFormat(u"Failed to create folder \"%ls\": %ls", s.InstallFolder.Wide(),
                         SystemErrorText(GetLastError()).Wide());
    (void)AddUninstallRecord(PathTextFromWide(s.InstallFolder), kUninstallFolder);
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
    // 1: the language page.
    if (s.Languages.names.size() != 1 && !g_runMode.automatic && !ShowLanguagePage())
        ExitInstaller(1);
    // 2.
    if (InstallerWindow())
        ApplyLanguageCaption(LanguageString(0));
    // 3 to 5.
    CheckBitness(s);
    CheckSupportedSystem(s);
    // 7, 8.
    TakeSingleInstallerMutex(s);
    EarlierEntry earlier;
    FindEarlierInstallation(s, input.previous, earlier);
    // 9.
    PlayStartSound(s);
    // 15, 16 (the questions of 16 are pages of the wizard and come with it).
    FolderFromRegistry(s);
    CheckEarlierVersion(s, input.previous, earlier);
    // 17: without the folder page the folder is used as it stands, and created.
    EnsureFolder(s);
    InstallationPathState().installFolder = s.InstallFolder;
    // 18.
    if (input.previous.found && !input.previous.startMenu.Empty())
        s.ProductStartMenu = input.previous.startMenu;
    else
        ExpandProductPlaceholders(s.ProductStartMenu);
    InstallationPathState().startMenuFolderName = s.ProductStartMenu;
    // 19: the progress page, the second notification, the temporary log.
    if (InstallerWindow())
        SetWizardOwner(InstallerWindow());
    OpenProgressPage();
    StartNotificationRequest(Ansi(s.WizardNotifyURL), s.DisplayVersionWide);
    (void)OpenLogBody();   // without a body the run goes on unlogged until the log is finished
}
