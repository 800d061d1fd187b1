// The shortcut list of an installation and the preparation of each of its records, without the
// shell: the records that the file step and the uninstall steps add, and the target, arguments,
// folders, name and show flags a record resolves to before its shortcut is written.
#pragma once

#include <cstdint>
#include <vector>

#include "core/string.h"
#include "setupdata/file_record.h"
#include "setupdata/settings.h"
#include "setupdata/windows_version.h"

using ShortcutList = std::vector<ShortcutRecord>;

// Show flags handed to the shortcut writer.
constexpr uint32_t kShortcutAllUsers = 0x1;
constexpr uint32_t kShortcutMinimised = 0x2;   // SW_SHOWMINNOACTIVE
constexpr uint32_t kShortcutMaximised = 0x4;   // SW_SHOWMAXIMIZED

// The record of an installed file of type 0 with shortcut flags, or of type 5 (Startup);
// `destination` is the file's full path (wide).
ShortcutRecord ShortcutFromFileRecord(const FileRecord &file, const String &destination);

// The uninstaller's shortcuts (quiet; target the uninstaller, arguments /u:"entry name", icon the
// uninstall data folder's "uninstall.ico"): in the Start menu for ProductFlags 0x2, on the desktop
// for 0x200000000, in the uninstall data folder for 0x4000000000. Wide inputs.
struct UninstallShortcutInput {
    uint64_t productFlags = 0;
    String uninstallerPath;   // full path of the uninstaller copy
    String entryName;         // the uninstall entry's name
    String name;              // language string 33
    String uninstallFolder;   // the uninstall data folder
};
void AddUninstallShortcuts(ShortcutList &list, const UninstallShortcutInput &in);

// The Start-menu shortcut to the installation log (ProductFlags 0x800000000000000); wide inputs.
void AddLogShortcut(ShortcutList &list, uint64_t productFlags, const String &logPath, const String &name);

// What a record resolves to (wide texts).
struct ResolvedShortcut {
    String target;
    String arguments;
    String workingFolder;
    String icon;            // empty: the target's own icon
    String name;            // may hold subfolders separated by backslashes
    String folder;          // further folder; empty for none
    uint32_t showFlags = 0;
    bool desktop = false;
    bool startMenu = false;
    bool startup = false;
    bool permanent = false;
    bool quiet = false;
};

struct ShortcutResolveInput {
    String installFolder;
    String uninstallFolder;
    int shortcutMode = 0;              // 1: all users
    String unnamedTemplate;            // language string 38; "%s" stands for the target's file title
    void (*expand)(String &wide) = nullptr;   // path variables; null: none
};

ResolvedShortcut ResolveShortcut(const ShortcutRecord &record, const ShortcutResolveInput &in);

// A working folder as the shell link gets it: surrounding blanks and trailing backslashes removed,
// but a bare drive keeps (or gets) its backslash ("C:" and "C:\\" become "C:\").
String NormaliseWorkingFolder(const String &folder);

// The first token of a command (in double quotes, or up to the first blank; quotes removed) and
// the rest, leading blanks removed.
void SplitCommand(const String &command, String &program, String &arguments);

// Absolute: a drive ("C:...") or a network path ("\\server...").
bool IsAbsolutePath(const String &path);

// Where the shell keeps a taskbar pin of `pinName`: the user's application-data folder +
// "Microsoft\Internet Explorer\Quick Launch\User Pinned\TaskBar\" + pin name + ".lnk".
String PinnedShortcutPath(const String &appDataFolder, const String &pinName);

// The "taskbarpin" verb exists from Windows 7 (6.1) to 8.1; Windows 10 (and its 6.4 previews)
// dropped it.
bool TaskbarPinSupported(const WindowsVersion &version);

// The text every uninstall-list line of a pin contains.
constexpr char kUserPinnedMarker[] = "\\User Pinned\\";
