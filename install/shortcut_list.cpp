#include "install/shortcut_list.h"

#include "core/codepage.h"
#include "core/path_parts.h"
#include "core/path_text.h"

namespace {

constexpr uint64_t kUninstallShortcutStartMenu = 0x2;
constexpr uint64_t kUninstallShortcutDesktop = 0x200000000;
constexpr uint64_t kUninstallShortcutUninstallFolder = 0x4000000000;
constexpr uint64_t kLogShortcut = 0x800000000000000;

constexpr char16_t kUninstallIcon[] = u"uninstall.ico";
constexpr char16_t kPinnedFolder[] = u"Microsoft\\Internet Explorer\\Quick Launch\\User Pinned\\TaskBar";

String Wide(const String &pathText) { return PathTextToWide(pathText); }
String Narrow(const String &wide) { return PathTextFromWide(wide); }

void Expand(const ShortcutResolveInput &in, String &text)
{
    if (in.expand)
        in.expand(text);
}

String Relative(const String &base, const String &path)
{
    if (path.Empty() || IsAbsolutePath(path))
        return path;
    return WidePathJoin(base, path);
}

// The file name without its extension.
String FileTitle(const String &path)
{
    String name = WidePathFileName(path);
    for (int32_t i = name.WideLength() - 1; i > 0; --i) {
        if (name.Wide()[i] == u'.') {
            name.Resize(i * 2);
            break;
        }
    }
    return name;
}

String UnnamedShortcutName(const String &pattern, const String &title)
{
    const char16_t *w = pattern.Wide();
    for (int32_t i = 0; i + 1 < pattern.WideLength(); ++i) {
        if (w[i] == u'%' && w[i + 1] == u's') {
            String name(w, i);
            name.Append(title);
            name.AppendWide(w + i + 2, pattern.WideLength() - i - 2);
            return name;
        }
    }
    return title;
}

} // namespace

bool IsAbsolutePath(const String &path)
{
    const char16_t *w = path.Wide();
    const int32_t n = path.WideLength();
    return (n >= 2 && w[1] == u':') || (n >= 2 && w[0] == u'\\' && w[1] == u'\\');
}

ShortcutRecord ShortcutFromFileRecord(const FileRecord &file, const String &destination)
{
    ShortcutRecord record;
    record.desktop = (file.flags & kFileFlagDesktopShortcut) ? 1 : 0;
    record.startMenu = (file.flags & kFileFlagStartMenuShortcut) ? 1 : 0;
    record.startup = file.type == kFileTypeStartup ? 1 : 0;
    record.permanent = (file.flags & kFileFlagPermanent) ? 1 : 0;
    record.target = Narrow(destination);
    CodePageToWide(file.version, kCodePageUtf8, record.name);
    record.icon = file.shortcutIcon;
    CodePageToWide(file.arguments, kCodePageWindows1252, record.arguments);
    record.workingFolder = file.workingFolder;
    return record;
}

void AddUninstallShortcuts(ShortcutList &list, const UninstallShortcutInput &in)
{
    ShortcutRecord base;
    base.quiet = 1;
    base.target = Narrow(in.uninstallerPath);
    base.name = in.name;
    base.icon = Narrow(WidePathJoin(in.uninstallFolder, String(kUninstallIcon)));
    base.arguments = String(u"/u:\"");
    base.arguments.Append(in.entryName);
    base.arguments.AppendWideChar(u'"');
    if (in.productFlags & kUninstallShortcutStartMenu) {
        ShortcutRecord r = base;
        r.startMenu = 1;
        list.push_back(r);
    }
    if (in.productFlags & kUninstallShortcutDesktop) {
        ShortcutRecord r = base;
        r.desktop = 1;
        list.push_back(r);
    }
    if (in.productFlags & kUninstallShortcutUninstallFolder) {
        ShortcutRecord r = base;
        r.folder = Narrow(in.uninstallFolder);
        list.push_back(r);
    }
}

void AddLogShortcut(ShortcutList &list, uint64_t productFlags, const String &logPath, const String &name)
{
    if (!(productFlags & kLogShortcut))
        return;
    ShortcutRecord r;
    r.startMenu = 1;
    r.target = Narrow(logPath);
    r.name = name;
    list.push_back(r);
}

ResolvedShortcut ResolveShortcut(const ShortcutRecord &record, const ShortcutResolveInput &in)
{
    ResolvedShortcut out;
    out.desktop = record.desktop != 0;
    out.startMenu = record.startMenu != 0;
    out.startup = record.startup != 0;
    out.permanent = record.permanent != 0;
    out.quiet = record.quiet != 0;

    out.target = Wide(record.target);
    out.arguments = record.arguments;
    Expand(in, out.arguments);
    if (out.arguments.StartsWithWide(u"~\"")) {
        String rest(out.arguments.Wide() + 1, out.arguments.WideLength() - 1);
        SplitCommand(rest, out.target, out.arguments);
    } else if (record.expandTarget) {
        Expand(in, out.target);
    }
    out.target = Relative(in.installFolder, out.target);

    out.icon = Wide(record.icon);
    Expand(in, out.icon);
    out.icon = Relative(in.uninstallFolder, out.icon);

    out.workingFolder = Wide(record.workingFolder);
    Expand(in, out.workingFolder);
    out.workingFolder.TrimWide();
    if (out.workingFolder.Empty())
        out.workingFolder = in.installFolder;

    out.name = record.name;
    if (out.name.Empty())
        out.name = UnnamedShortcutName(in.unnamedTemplate, FileTitle(out.target));

    out.folder = Wide(record.folder);
    Expand(in, out.folder);

    if (in.shortcutMode == 1)
        out.showFlags |= kShortcutAllUsers;
    if (record.show == 1)
        out.showFlags |= kShortcutMinimised;
    else if (record.show == 2)
        out.showFlags |= kShortcutMaximised;
    return out;
}

String NormaliseWorkingFolder(const String &folder)
{
    String result(folder);
    result.TrimWide(u" ");
    while (result.StripTrailingWide(u'\\')) {
    }
    if (result.WideLength() == 2 && result.Wide()[1] == u':')
        result.AppendWideChar(u'\\');
    return result;
}

void SplitCommand(const String &command, String &program, String &arguments)
{
    String text(command);
    text.TrimLeftWide();
    const char16_t *w = text.Wide();
    const int32_t n = text.WideLength();
    int32_t end = 0;
    if (n > 0 && w[0] == u'"') {
        int32_t close = 1;
        while (close < n && w[close] != u'"')
            ++close;
        program = String(w + 1, close - 1);
        end = close < n ? close + 1 : n;
    } else {
        while (end < n && w[end] != u' ' && w[end] != u'\t')
            ++end;
        program = String(w, end);
    }
    arguments = String(w + end, n - end);
    arguments.TrimLeftWide();
}

String PinnedShortcutPath(const String &appDataFolder, const String &pinName)
{
    String path = WidePathJoin(WidePathJoin(appDataFolder, String(kPinnedFolder)), pinName);
    path.AppendWide(u".lnk");
    return path;
}

bool TaskbarPinSupported(const WindowsVersion &version)
{
    if (version.platform != kPlatformNT)
        return false;
    if (version.major != 6)
        return false;
    return version.minor >= 1 && version.minor <= 3;
}
