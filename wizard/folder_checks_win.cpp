// The folder choice of the wizard stage: the folder page, then the checks of the chosen folder in
// a fixed order. Each failed check says why and shows the page again; a folder that passes is
// created and tested for writing.
#include <windows.h>

#include "core/wide_win.h"
#include "app/exit.h"
#include "app/run_mode.h"
#include "core/folders_win.h"
#include "core/path_check.h"
#include "core/path_win.h"
#include "core/system_error_win.h"
#include "setupdata/language.h"
#include "setupdata/path_variables.h"
#include "setupdata/settings.h"
#include "setupdata/settings_flags.h"
#include "wizard/folder_space_win.h"
#include "wizard/message_box_win.h"
#include "wizard/page_rules.h"
#include "wizard/pages.h"

namespace {

constexpr int kInvalidFolderRow = 14;
constexpr int kDriveMissingRow = 16;
constexpr int kDriveRootRow = 17;
constexpr int kProgramFilesRow = 18;
constexpr int kLowSpaceRow = 19;
constexpr int kQuestionCaptionRow = 20;
constexpr int kConfirmRow = 22;
constexpr int kCreateRow = 23;
constexpr int kFolderCaptionRow = 24;
constexpr int kNotCreatedRow = 25;
constexpr int kNotAsciiRow = 30;
constexpr int kNetworkRow = 66;
constexpr int kNotWritableRow = 73;
constexpr int kRequiredRow = 92;
constexpr int kFreeRow = 93;
constexpr int kRemovableRow = 96;

constexpr char16_t kWriteTestName[] = u"ks-write-test.tmp";

enum class Check { Passed, ShowPageAgain };

Check Refuse(const String &text)
{
    ShowMessage(text, LanguageString(kErrorCaptionRow), MB_OK | MB_ICONERROR);
    return Check::ShowPageAgain;
}

String DriveLetter(const String &root)
{
    const char16_t letter[] = {root.Wide()[0], 0};
    return String(letter);
}

bool SameFolder(const String &a, String b)
{
    String left = a;
    left.TrimRightWide(u"\\");
    b.TrimRightWide(u"\\");
    return !b.Empty() && PathsEqualIgnoringCase(left, b);
}

// The checks that need no question, in their order; the first that fails shows its message.
Check CheckFolder(const String &folder)
{
    if (!IsValidPath(folder.Wide(), PathMustBeAbsolute | PathAllowTrailingBackslash)) {
        String text = LanguageString(kInvalidFolderRow);
        text.AppendWide(u"\r\n\r\n");
        text.Append(folder);
        return Refuse(text);
    }
    const String root = DriveRootOf(folder);
    const UINT driveType = root.Empty() ? DRIVE_UNKNOWN : GetDriveTypeW(AsWide(root));
    if (!root.Empty() && (driveType == DRIVE_NO_ROOT_DIR || driveType == DRIVE_UNKNOWN))
        return Refuse(FillRow(LanguageString(kDriveMissingRow), DriveLetter(root)));
    if ((g_settings.ProductFlags & ProductFlag::RefuseNetworkFolders) &&
        (folder.StartsWithWide(u"\\\\") || driveType == DRIVE_REMOTE))
        return Refuse(LanguageString(kNetworkRow));
    if (folder.WideLength() <= 3)
        return Refuse(LanguageString(kDriveRootRow));
    for (int view : {kFilesView32, kFilesView64}) {
        const String programFiles = ProgramFilesFolder(view);
        if (SameFolder(folder, programFiles))
            return Refuse(FillRow(LanguageString(kProgramFilesRow), programFiles));
    }
    if (driveType == DRIVE_CDROM ||
        (driveType == DRIVE_REMOVABLE && (g_settings.ProductFlags & ProductFlag::RefuseRemovableDrives)))
        return Refuse(FillRow(LanguageString(kRemovableRow), DriveLetter(root)));
    if (g_settings.ProductFlags2 & ProductFlag2::AsciiFolderOnly)
        for (int32_t i = 0; i < folder.WideLength(); ++i)
            if (folder.Wide()[i] >= 128)
                return Refuse(LanguageString(kNotAsciiRow));
    return Check::Passed;
}

// Too little free space is a question, not a refusal: the estimate may be generous.
Check AskAboutSpace(const String &folder, bool earlierInstallation)
{
    int64_t free = 0;
    if (earlierInstallation || g_runMode.automatic || DriveRootOf(folder).Empty() || !FreeSpaceOn(folder, free))
        return Check::Passed;
    const int64_t required = RequiredSpaceOn(folder);
    if (free >= required)
        return Check::Passed;
    String text = LanguageString(kLowSpaceRow);
    text.AppendWide(u"\r\n\r\n");
    text.Append(LanguageString(kRequiredRow)).AppendWide(u" ").Append(SizeText(required)).AppendWide(u"\r\n");
    text.Append(LanguageString(kFreeRow)).AppendWide(u" ").Append(SizeText(free));
    return AskYesNo(text, LanguageString(kQuestionCaptionRow)) ? Check::Passed : Check::ShowPageAgain;
}

bool FolderExists(const String &folder)
{
    const DWORD attributes = GetFileAttributesW(AsWide(folder));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

String NotCreatedText(const String &folder, DWORD error)
{
    String text = LanguageString(kNotCreatedRow);
    text.AppendWide(u" ").Append(folder).AppendWide(u"\r\n").Append(SystemErrorText(error));
    return text;
}

// A file made and removed again: the folder may exist and still refuse new files.
bool FolderWritable(const String &folder)
{
    const String probe = JoinPath(folder, String(kWriteTestName));
    HANDLE file = CreateFileW(AsWide(probe), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_EXISTS;   // an earlier probe left behind: still writable
    CloseHandle(file);
    return true;
}

// Confirmation, creation and the write test.
Check ConfirmAndCreate(const String &folder)
{
    if (g_settings.ProductFlags & ProductFlag::ConfirmFolder) {
        String text = LanguageString(kConfirmRow);
        text.AppendWide(u"\r\n\r\n").Append(folder);
        if (!AskYesNo(text, LanguageString(kFolderCaptionRow)))
            return Check::ShowPageAgain;
    }
    if (!FolderExists(folder)) {
        String text = LanguageString(kCreateRow);
        text.AppendWide(u"\r\n\r\n").Append(folder);
        ShowMessage(text, LanguageString(kFolderCaptionRow), MB_OK | MB_ICONINFORMATION);
        if (!CreateFolderPath(folder))
            return Refuse(NotCreatedText(folder, GetLastError()));
    }
    if (!FolderWritable(folder))
        return Refuse(LanguageString(kNotWritableRow));
    return Check::Passed;
}

} // namespace

bool ChooseInstallFolder(bool earlierInstallation)
{
    const bool showPage = !g_runMode.automatic && (g_settings.ProductFlags & ProductFlag::FolderPage);
    if (!showPage) {
        // The folder as the settings (or /d) give it, created without questions; without a folder
        // there is nothing to install into.
        if (!FolderExists(g_settings.InstallFolder) && !CreateFolderPath(g_settings.InstallFolder)) {
            ShowMessage(NotCreatedText(g_settings.InstallFolder, GetLastError()), LanguageString(kErrorCaptionRow),
                        MB_OK | MB_ICONERROR);
            ExitInstaller(1);
        }
        CopySettingsToPathState(g_settings, InstallationPathState());
        return true;
    }
    for (;;) {
        if (!ShowFolderPage())
            return false;
        g_settings.InstallFolder.TrimWide();
        const String &folder = g_settings.InstallFolder;
        if (folder.Empty())
            continue;
        if (CheckFolder(folder) == Check::Passed && AskAboutSpace(folder, earlierInstallation) == Check::Passed &&
            ConfirmAndCreate(folder) == Check::Passed) {
            // %InstallDir% follows the choice from here on.
            CopySettingsToPathState(g_settings, InstallationPathState());
            return true;
        }
    }
}
