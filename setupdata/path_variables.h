// Path variables ("%InstallDir%", "%ProgramsDir%", ...) and the product placeholders ("<product>",
// "<description>", "<os>").
//
// The expansion engine is portable: every value of the target machine comes from a
// PathValueSource (the Windows one in path_sources_win.cpp; tests give their own), and the values
// of the installation from a PathVariableState that the settings reader and the wizard keep
// current. Nothing is cached: each call looks every value it needs up afresh, so a call made after
// the folder pages sees the chosen folders and a changed environment.
//
// All texts here are wide (UTF-16 in a String).
#pragma once

#include "core/string.h"

// Where the engine gets the target machine's values. Each lookup answers an empty text when it has
// no value; the engine then goes on along its chain of fallbacks.
class PathValueSource {
public:
    virtual ~PathValueSource() = default;

    // The shell's folder for a CSIDL number, without creating it.
    virtual String ShellFolder(int csidl) = 0;

    enum class KnownFolder { ProgramFiles, ProgramFilesX64, CommonFiles, CommonFilesX64 };
    virtual String KnownFolderPath(KnownFolder folder) = 0;

    // A value under Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders, of
    // HKEY_LOCAL_MACHINE when allUsers, else of HKEY_CURRENT_USER; as stored.
    virtual String ShellFoldersValue(bool allUsers, const char16_t *name) = 0;
    // A value under HKEY_LOCAL_MACHINE Software\Microsoft\Windows\CurrentVersion of the program's
    // own registry view ("ProgramFilesDir", "CommonFilesDir"); as stored.
    virtual String CurrentVersionValue(const char16_t *name) = 0;
    // HKEY_LOCAL_MACHINE values of the system itself: CurrentVersion\Setup "BootDir",
    // CurrentVersion "DevicePath" and "MediaPath", INetStp "PathWWWRoot"; as stored, unexpanded.
    virtual String BootDir() = 0;
    virtual String DevicePath() = 0;
    virtual String MediaPath() = 0;
    virtual String WebRootPath() = 0;

    virtual String WindowsFolder() = 0;
    virtual String SystemFolder() = 0;
    virtual String TempFolder() = 0;          // as the system gives it (usually with a backslash)
    virtual String ModuleFileName() = 0;      // full path of the running program's own file

    // The value of an environment variable; empty when it is not set (or does not count as set).
    virtual String EnvironmentVariable(const char16_t *name) = 0;
    // Replaces the %name% of every defined environment variable in `text`; names of undefined
    // variables stay. Returns false, leaving `text` as it was, when the expansion fails.
    virtual bool ExpandEnvironment(String &text) = 0;

    virtual bool Is64BitWindows() = 0;
    virtual bool IsWindowsNT() = 0;
};

// The installation's values that path variables stand for. The settings reader fills it (the
// uninstaller from the uninstall record), the wizard updates the folders the user chooses.
struct PathVariableState {
    String installFolder;         // %InstallDir%
    String productName;           // %ProductName%, <product>
    String productDescription;    // <description>; empty: the product name
    String version;               // %Version%
    String oldVersion;            // %OldVersion%: the version being replaced; empty when new
    String sharedFolder;          // %SharedDir%: full path
    String startMenuFolderName;   // ProductStartMenu, joined to the Programs folder
    String desktopShortcuts;      // %DesktopShortcuts%: made once by DesktopShortcutsFolder
    String uninstallSubfolder;    // UninstallSubdir, joined to the installation folder
    int shortcutMode = 0;         // ShortcutMode: 1 = shortcuts for all users
    int bitness = 0;              // Bitness: 1 = 64-bit installation
};

// The rows of the path variable table, in the order in which they are applied.
enum class PathVariable {
    AppDataAllDir, AppDataDir, Bits, BootDrive, CommonDir, CommonDir32, CommonDir64,
    DesktopAllDir, DesktopDir, DesktopShortcuts, DeviceDir, DocumentAllDir, DocumentDir,
    FavoritesAllDir, FavoritesDir, FontDir, Inetpub, InstallDir, InstallDrive, InstallerDir,
    InstallerDrive, InstallerFilename, InstallerFilepath, MediaDir, OldVersion, OldVersionMajor,
    OldVersionMinor, ProductName, ProgramsDir, ProgramsDir32, ProgramsDir64, SharedDir,
    SMProgramsAllDir, SMProgramsDir, StartMenuAllDir, StartMenuChosen, StartMenuDir,
    StartupAllDir, StartupDir, SystemDir, Temp, UninstallDir, Version, WinDir,
    Count
};

// Views of the Program Files and Common Files lookups.
enum FilesFolderView {
    kFilesView32 = 1,          // 32-bit folder
    kFilesView64 = 2,          // 64-bit folder
    kFilesViewNative = 3,      // native folder of the running (32-bit) program
    kFilesView64WhereAny = 4,  // 64-bit folder where the operating system is 64-bit
};

// The process-wide source and state that the one-argument forms below use. The Windows build's
// default source is the real system; the host build's answers nothing, so its fallbacks apply.
PathVariableState &InstallationPathState();
PathValueSource &DefaultPathValueSource();
// Test seam: replaces the process-wide source (null restores the default); returns the old one.
PathValueSource *SetPathValueSource(PathValueSource *source);

// Rewrites `text`: every path variable of the table, row by row, then the environment variables.
void ExpandPathVariables(String &text);
void ExpandPathVariables(String &text, PathValueSource &source, const PathVariableState &state);

// Replaces, ignoring case, "<product>", "<description>" and "<os>" (the Windows folder).
void ExpandProductPlaceholders(String &text);
void ExpandProductPlaceholders(String &text, PathValueSource &source, const PathVariableState &state);

// The current value of one row of the table (the batch files publish them one by one).
String PathVariableValue(PathVariable variable);
String PathVariableValue(PathVariable variable, PathValueSource &source, const PathVariableState &state);
// The row's name with its percent signs, for example u"%InstallDir%".
const char16_t *PathVariableName(PathVariable variable);

// The Program Files and Common Files folders for a view (FilesFolderView; other numbers count as
// the native view).
String ProgramFilesFolder(int view);
String ProgramFilesFolder(PathValueSource &source, int view);
String CommonFilesFolder(int view);
String CommonFilesFolder(PathValueSource &source, int view);

// The value of %DesktopShortcuts%: the all-users desktop (shortcut mode 1) or the user's desktop,
// joined with the desktop folder name. Made once when the settings or the uninstall record are
// read and kept in PathVariableState::desktopShortcuts.
String DesktopShortcutsFolder(int shortcutMode, const String &desktopFolderName);
String DesktopShortcutsFolder(PathValueSource &source, int shortcutMode, const String &desktopFolderName);

// Path text helpers of the expansion, also used wherever paths are joined the same way.
// JoinPath: A, a backslash unless A is empty or ends with ":" or "\", then B; when B begins with a
// backslash one trailing backslash of A is dropped instead. An empty A gives B, an empty B gives A.
String JoinPath(const String &a, const String &b);
// The path without its last element and then without one trailing backslash ("C:\a\b" -> "C:\a");
// empty for a text without a backslash.
String ParentFolder(const String &path);
