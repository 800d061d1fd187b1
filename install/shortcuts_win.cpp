#include "install/shortcuts_win.h"

#include <windows.h>
#include <shlobj.h>

#include "core/failure_summary.h"
#include "core/file_ops_win.h"
#include "core/file_win.h"
#include "core/folders_win.h"
#include "core/path_parts.h"
#include "core/path_text.h"
#include "core/path_win.h"
#include "core/shell_link_win.h"
#include "core/system_error.h"
#include "core/wide_win.h"
#include "install/install_log.h"
#include "install/progress.h"
#include "setupdata/path_variables.h"
#include "uninstall/uninstall_data.h"

namespace {

constexpr uint64_t kDetailedLog = 0x100000;
constexpr uint64_t kHidePaths = 0x2000000000000;

const char16_t kDesktopIni[] = u"Desktop.ini";
const char16_t kDesktopIcon[] = u"Desktop Icon.ico";
const char16_t kLinkExtension[] = u".lnk";

String ShellFolderOf(int csidl) { return DefaultPathValueSource().ShellFolder(csidl); }

bool AllUsers(uint32_t showFlags) { return (showFlags & kShortcutAllUsers) != 0; }

int ShowCommand(uint32_t showFlags)
{
    if (showFlags & kShortcutMinimised)
        return SW_SHOWMINNOACTIVE;
    if (showFlags & kShortcutMaximised)
        return SW_SHOWMAXIMIZED;
    return SW_SHOWNORMAL;
}

String WithLinkExtension(String path)
{
    path.AppendWide(kLinkExtension);
    return path;
}

void Record(const String &widePath, int kind) { AddUninstallRecord(PathTextFromWide(widePath), kind); }

// The desktop folder: made, recorded and given its icon on its first use in a run.
class DesktopFolder {
public:
    void Prepare(const ShortcutStepInput &in)
    {
        if (prepared_)
            return;
        prepared_ = true;
        const String &folder = in.desktopFolder;
        if (!CreateFolderPath(folder))
            AppendToFailureSummaryWide(String::FormatWide(u"Failed to create directory %s: %s\r\n\r\n", folder.Wide(),
                                                          SystemErrorText(GetLastError()).Wide()));
        const String ini = WidePathJoin(folder, String(kDesktopIni));
        Record(ini, kUninstallFile);
        Record(folder, kUninstallFolder);
        if (in.desktopFolderIcon.Empty())
            return;
        const String icon = WidePathJoin(in.resolve.uninstallFolder, String(kDesktopIcon));
        if (WriteWholeFile(icon, in.desktopFolderIcon.Bytes(), in.desktopFolderIcon.Length()) != 0) {
            AppendToFailureSummaryWide(String::FormatWide(u"Failed to create Desktop shortcut folder icon \"%s\"\r\n", icon.Wide()));
            return;
        }
        Record(icon, kUninstallFile);
        // Explorer shows a folder's own icon only when the folder is a system folder and its
        // Desktop.ini is there.
        if (!WritePrivateProfileStringW(L".ShellClassInfo", L"IconFile", AsWide(icon), AsWide(ini)) ||
            !WritePrivateProfileStringW(L".ShellClassInfo", L"IconIndex", L"0", AsWide(ini)))
            LogConcatW(u"Failed to write \"", ini.Wide(), u"\": ", SystemErrorText(GetLastError()).Wide(), u"\r\n", nullptr);
        const DWORD attributes = GetFileAttributesW(AsWide(folder));
        if (attributes != INVALID_FILE_ATTRIBUTES)
            SetFileAttributesW(AsWide(folder), attributes | FILE_ATTRIBUTE_SYSTEM);
        SetFileAttributesW(AsWide(ini), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    }

private:
    bool prepared_ = false;
};

// Writes one shortcut and does what follows it: status, log line, records or failure entry.
void MakeShortcut(const ShortcutStepInput &in, const ResolvedShortcut &r, const String &basePath,
                  const char16_t *logLabel)
{
    const String path = WithLinkExtension(basePath);
    ShellLinkData link;
    link.target = r.target;
    link.arguments = r.arguments;
    link.workingFolder = NormaliseWorkingFolder(r.workingFolder);
    link.iconPath = r.icon;
    link.showCommand = ShowCommand(r.showFlags);
    // A folder that the link makes (a chosen folder that does not exist yet, a subfolder of the
    // name) is the product's and goes at removal; a folder that was there stays.
    const String folder = WidePathFolder(path);
    const bool newFolder = GetFileAttributesW(AsWide(folder)) == INVALID_FILE_ATTRIBUTES;
    const HRESULT hr = SaveShellLink(path, link);
    if (FAILED(hr)) {
        if (!r.quiet)
            AppendFailureEntry(in.failureLead, path, SystemErrorText(static_cast<uint32_t>(hr)));
        return;
    }
    if (!(in.productFlags & kHidePaths))
        ProgressStatus(path);
    if (in.productFlags & kDetailedLog)
        LogPrintfW(u"%s(%s) >>> %s\r\n", logLabel, r.name.Wide(), path.Wide());
    if (r.permanent)
        return;
    Record(path, kUninstallFile);
    bool subfolder = newFolder;
    for (int32_t i = 0; i < r.name.WideLength() && !subfolder; ++i)
        subfolder = r.name.Wide()[i] == u'\\';
    if (subfolder)
        Record(folder, kUninstallFolder);
}

} // namespace

void CreateShortcuts(const ShortcutStepInput &in, const ShortcutList &list)
{
    if (list.empty())
        return;
    if (in.productFlags & kDetailedLog)
        LogText("\r\n");
    DesktopFolder desktopFolder;
    for (const ShortcutRecord &record : list) {
        const ResolvedShortcut r = ResolveShortcut(record, in.resolve);
        const bool all = AllUsers(r.showFlags);
        if (r.desktop) {
            if (!in.desktopFolder.Empty()) {
                desktopFolder.Prepare(in);
                MakeShortcut(in, r, WidePathJoin(in.desktopFolder, r.name), u"Desktop Folder Shortcut");
            } else {
                const String desktop = ShellFolderOf(all ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY);
                MakeShortcut(in, r, WidePathJoin(desktop, r.name), u"Desktop Shortcut");
            }
        }
        if (r.startMenu) {
            const String programs = ShellFolderOf(all ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS);
            MakeShortcut(in, r, WidePathJoin(WidePathJoin(programs, in.startMenuFolder), r.name), u"Start Menu Shortcut");
        }
        if (r.startup) {
            const String startup = ShellFolderOf(all ? CSIDL_COMMON_STARTUP : CSIDL_STARTUP);
            MakeShortcut(in, r, WidePathJoin(startup, r.name), u"Startup Shortcut");
        }
        if (!r.folder.Empty())
            MakeShortcut(in, r, WidePathJoin(r.folder, r.name), u"Shortcut");
    }
}

void CreateRootShortcut(const ShortcutStepInput &in)
{
    const String &installFolder = in.resolve.installFolder;
    if (!in.removableTarget || in.rootShortcutName.Empty() || installFolder.WideLength() < 2 ||
        installFolder.Wide()[1] != u':')
        return;
    String name(in.rootShortcutName);
    if (in.expandProduct)
        in.expandProduct(name);
    if (in.resolve.expand)
        in.resolve.expand(name);
    String command(in.rootCommand);
    if (in.resolve.expand)
        in.resolve.expand(command);
    const String path = String::FormatWide(u"%c:\\%s.lnk", installFolder.Wide()[0], name.Wide());
    ShellLinkData link;
    SplitCommand(command, link.target, link.arguments);
    link.workingFolder = NormaliseWorkingFolder(installFolder);
    const HRESULT hr = SaveShellLink(path, link);
    if (FAILED(hr)) {
        AppendFailureEntry(in.failureLead, path, SystemErrorText(static_cast<uint32_t>(hr)));
        return;
    }
    if (in.productFlags & kDetailedLog)
        LogPrintfW(u"Root Shortcut(%s) >>> %s\r\n", name.Wide(), path.Wide());
    Record(path, kUninstallFile);
}

void PinToTaskbar(const ShortcutStepInput &in)
{
    if (in.pinCommand.Empty() || in.removableTarget || !TaskbarPinSupported(in.windows))
        return;
    String command(in.pinCommand);
    if (in.resolve.expand)
        in.resolve.expand(command);
    ShellLinkData link;
    SplitCommand(command, link.target, link.arguments);
    String name(in.pinName);
    if (in.expandProduct)
        in.expandProduct(name);
    if (in.resolve.expand)
        in.resolve.expand(name);
    if (name.Empty())
        name = in.productName;
    ProgressStatus(String(u"Pin to taskbar"));
    const String temporary = WithLinkExtension(WidePathJoin(TempFolderPath(), name));
    const HRESULT hr = SaveShellLink(temporary, link);
    if (FAILED(hr)) {
        AppendFailureEntry(in.failureLead, temporary, SystemErrorText(static_cast<uint32_t>(hr)));
    } else {
        const bool pinned = InvokeShellVerb(temporary, u"taskbarpin");
        const DWORD error = GetLastError();
        LogPrintfW(u"Pin to taskbar(%s): %s\r\n", link.target.Wide(), pinned ? u"OK" : u"FAIL");
        if (!pinned) {
            LogStringW(SystemErrorText(error));
            LogText("\r\n");
        }
        RemoveFile(temporary, 0);
        Record(PinnedShortcutPath(ShellFolderOf(CSIDL_APPDATA), name), kUninstallFile);
    }
    ProgressStatus(in.afterPinStatus);
}

bool UnpinFromTaskbar(const String &pinnedShortcut) { return InvokeShellVerb(pinnedShortcut, u"taskbarunpin"); }
