#include "install/uninstall_registration.h"

#include <windows.h>

#include "core/codepage.h"
#include "core/date_format.h"
#include "core/failure_summary.h"
#include "core/file_win.h"
#include "core/guard_win.h"
#include "core/local_time_win.h"
#include "core/path_parts.h"
#include "core/path_text.h"
#include "core/registry_win.h"
#include "core/restart_ops_win.h"
#include "core/system_error.h"
#include "core/wide_win.h"
#include "install/install_log.h"
#include "install/registry_access_win.h"
#include "install/uninstaller_icon.h"
#include "setupdata/corruption.h"
#include "setupdata/path_variables.h"
#include "setupdata/settings.h"
#include "setupdata/setup_data_win.h"
#include "uninstall/uninstall.h"
#include "uninstall/uninstall_data.h"

namespace {

constexpr uint64_t kRestartNeeded = 0x4000;
constexpr uint64_t kSaveBackgroundBitmap = 0x8000;
constexpr uint32_t kSeparateUninstaller = 0x20;
constexpr WORD kIconLanguage = 1033;
constexpr int kUninstallIconResource = 3;   // RT_ICON
constexpr int kIconGroupResource = 14;      // RT_GROUP_ICON

const char kEntryFailed[] = "Unable to save the uninstall information to the registry.  Uninstall will not work properly.\r\n\r\n";

String Wide8(const String &ansi) { return WideFromCodePage(ansi, kCodePageAnsi); }

// --- The uninstaller program ---------------------------------------------------------------

void ReplaceAtRestart(Settings &s, const String &uninstaller, const void *bytes, int64_t size, bool copyOwnFile,
                      const String &programPath)
{
    const String folder = WidePathFolder(uninstaller);
    String temporary;
    for (unsigned attempt = 0; attempt < 100 && temporary.Empty(); ++attempt) {
        String candidate = JoinPath(folder, String::FormatWide(u"ks%lx_%u.tmp", GetCurrentProcessId(), attempt));
        File probe;
        if (probe.Open(candidate, FileCreation::CreateNew, FileWriteAccess) == 0)
            temporary = candidate;
    }
    bool filled = false;
    if (!temporary.Empty()) {
        (void)SetFileAttributesW(AsWide(temporary), FILE_ATTRIBUTE_NORMAL);
        if (copyOwnFile)
            filled = CopyFileW(AsWide(programPath), AsWide(temporary), FALSE) != FALSE;
        else
            filled = WriteWholeFile(temporary, bytes, static_cast<int32_t>(size)) == 0;
    }
    const String error = SystemErrorText(GetLastError());
    if (!filled) {
        AppendToFailureSummaryWide(String::FormatWide(
            u"Failed to register '%ls' for replacement because no temporary file could be created.\r\n%ls\r\n\r\n",
            uninstaller.Wide(), error.Wide()));
        if (!temporary.Empty())
            (void)DeleteFileW(AsWide(temporary));
        return;
    }
    if (RegisterReplacementAtRestart(temporary, uninstaller)) {
        s.ProductFlags |= kRestartNeeded;
        LogPrintfW(u"\"%ls\" was successfully registered for replacement.\r\nTemporary file is \"%ls\"\r\n"
                   u"Reboot will be required.\r\n\r\n",
                   uninstaller.Wide(), temporary.Wide());
        return;
    }
    const String why = SystemErrorText(GetLastError());
    AppendToFailureSummaryWide(String::FormatWide(
        u"Failed to register '%ls' for replacement with temporary file '%ls'\r\n%ls\r\n\r\n", uninstaller.Wide(),
        temporary.Wide(), why.Wide()));
    (void)DeleteFileW(AsWide(temporary));
}

// True when the uninstaller file now holds the new program (not merely registered).
bool WriteUninstaller(const UninstallRegistrationInput &in, const String &uninstaller)
{
    Settings &s = *in.settings;
    if (s.ProductFlags2 & kSeparateUninstaller) {
        const String &image = g_setupData.uninstallerImage;
        if (WriteWholeFile(uninstaller, image.Bytes(), image.Length()) == 0)
            return true;
        ReplaceAtRestart(s, uninstaller, image.Bytes(), image.Length(), false, in.programPath);
        return false;
    }
    if (CopyFileW(AsWide(in.programPath), AsWide(uninstaller), FALSE))
        return true;
    ReplaceAtRestart(s, uninstaller, nullptr, 0, true, in.programPath);
    return false;
}

void ReplaceIcon(const String &uninstaller, const String &iconFile)
{
    IconResources icon;
    HANDLE update = BeginUpdateResourceW(AsWide(uninstaller), FALSE);
    if (!update) {
        LogText("Failed to open uninstaller for icon replacement.\r\n");
        return;
    }
    bool stored = ParseIconFile(iconFile, icon);
    for (size_t i = 0; stored && i < icon.images.size(); ++i)
        stored = UpdateResourceW(update, MAKEINTRESOURCEW(kUninstallIconResource),
                                 MAKEINTRESOURCEW(static_cast<WORD>(i + 1)), kIconLanguage,
                                 icon.images[i].MutableBytes(), static_cast<DWORD>(icon.images[i].Length())) != FALSE;
    stored = stored && UpdateResourceW(update, MAKEINTRESOURCEW(kIconGroupResource), MAKEINTRESOURCEW(1),
                                       kIconLanguage, icon.group.MutableBytes(),
                                       static_cast<DWORD>(icon.group.Length())) != FALSE;
    if (!EndUpdateResourceW(update, stored ? FALSE : TRUE) || !stored)
        LogText("Failed to replace uninstaller icon.\r\n");
}

// --- The entry ---------------------------------------------------------------------------

class EntryWriter {
public:
    explicit EntryWriter(RegistryKey &key) : key_(key) {}

    LONG Text(const char16_t *name, const String &wide) { return key_.WriteString(String(name), wide); }
    void TextOrDelete(const char16_t *name, const String &wide)
    {
        if (wide.Empty())
            (void)key_.DeleteValue(String(name));   // missing already is as good as deleted
        else
            (void)Text(name, wide);
    }
    void Narrow(const char16_t *name, const String &ansi) { (void)Text(name, Wide8(ansi)); }
    void NarrowOrDelete(const char16_t *name, const String &ansi) { TextOrDelete(name, Wide8(ansi)); }
    void Number(const char16_t *name, uint32_t value) { (void)key_.WriteDword(String(name), value); }
    void Delete(const char16_t *name) { (void)key_.DeleteValue(String(name)); }
    void Real(const char16_t *name, double value) { Narrow(name, String::Format("%g", value)); }

private:
    RegistryKey &key_;
};

// A value path in the registry path syntax: the keys it names (one per user hive for "\HKAU\") and
// the value name. False when the text names no root and key.
bool ResolveValuePath(const String &path, std::vector<RegistryTarget> &keys, String &valueName)
{
    String keyPath;
    RegistryPath parsed;
    if (!SplitRegistryValuePath(path, keyPath, valueName) || !ParseRegistryPath(keyPath, parsed))
        return false;
    keys = RegistryTargets(parsed);
    return true;
}

LONG WriteValue(RegistryKey &key, const String &valueName, const UninstallData &saved, const String &text)
{
    switch (saved.kind) {
    case 1:
    case 2:
        if (text.Empty()) {
            (void)key.DeleteValue(valueName);   // a value that is not there is as good as deleted
            return ERROR_SUCCESS;
        }
        return key.WriteString(valueName, text, saved.kind == 1 ? REG_SZ : REG_EXPAND_SZ);
    default:
        return key.WriteDword(valueName, static_cast<DWORD>(text.ParseIntegerWide()));
    }
}

// A name without a backslash is a value of the entry itself; a path names its own key.
LONG WriteSavedValue(RegistryKey &entry, const String &name, const UninstallData &saved, const String &text,
                     RegistryView view)
{
    bool isPath = false;
    for (int32_t i = 0; i < name.WideLength() && !isPath; ++i)
        isPath = name.Wide()[i] == u'\\';
    if (!isPath)
        return WriteValue(entry, name, saved, text);
    std::vector<RegistryTarget> keys;
    String valueName;
    if (!ResolveValuePath(name, keys, valueName))
        return ERROR_BAD_PATHNAME;
    LONG result = ERROR_SUCCESS;
    for (const RegistryTarget &target : keys) {
        RegistryKey own;
        LONG written = own.Create(target.root, target.subkey, KEY_WRITE, view);
        if (written == ERROR_SUCCESS)
            written = WriteValue(own, valueName, saved, text);
        if (written != ERROR_SUCCESS)
            result = written;
    }
    return result;
}

void WriteSavedValues(RegistryKey &entry, const Settings &s)
{
    // Every kind is checked before anything is written: a bad record is corruption of the setup
    // data, and no value of a corrupt list should reach the registry.
    for (const UninstallData &saved : s.SavedValues)
        if (saved.kind != 1 && saved.kind != 2 && saved.kind != 4)
            ReportCorruption(kCorruptionSavedValueKind);
    const RegistryView view = s.Bitness == 1 ? RegistryView::Bits64 : RegistryView::Native;
    for (const UninstallData &saved : s.SavedValues) {
        String text = Wide8(saved.text);
        ExpandPathVariables(text);
        const String name = Wide8(saved.name);
        const LONG result = WriteSavedValue(entry, name, saved, text, view);
        if (result != ERROR_SUCCESS)
            AppendToFailureSummaryWide(String::FormatWide(u"Failed to save data in registry key \"%ls\": %ls\r\n",
                                                          name.Wide(), SystemErrorText(result).Wide()));
    }
}

String Today() { return FormatDate(u"yymmdd", LocalDateTimeNow()); }

// Returns the system text of a failure to keep, or sets `failed` without one.
void WriteEntry(const UninstallRegistrationInput &in, const String &uninstaller, bool &failed, String &errorText)
{
    const Settings &s = *in.settings;
    RegistryKey key;
    const String path = String(kUninstallKeyPath).AppendWide(u"\\").Append(s.UninstallName);
    const LONG created = key.Create(HKEY_LOCAL_MACHINE, path, KEY_READ | KEY_WRITE);
    if (created != ERROR_SUCCESS) {
        failed = true;
        errorText = SystemErrorText(created);
        return;
    }
    EntryWriter w(key);
    const String argument = String(u"/u:\"").Append(s.UninstallName).AppendWide(u"\"");
    const String uninstallString = String(u"\"").Append(uninstaller).AppendWide(u"\" ").Append(argument);
    const LONG first = w.Text(u"UninstallString", uninstallString);
    if (first != ERROR_SUCCESS) {
        failed = true;
        errorText = SystemErrorText(first);
    }
    (void)w.Text(u"QuietUninstallString", String(u"\"").Append(uninstaller).AppendWide(u"\" /a ").Append(argument));
    (void)w.Text(u"DisplayName", s.DisplayName);
    (void)w.Text(u"InstallSource", in.programPath);
    w.TextOrDelete(u"Publisher", Wide8(s.Publisher));
    w.Number(u"Bitness", s.Bitness);
    w.NarrowOrDelete(u"DisplayVersion", s.DisplayVersion);
    w.NarrowOrDelete(u"NoDowngradeBelow", s.NoDowngradeBelow);
    if (!s.ProductIcon.Empty()) {
        const String icon = JoinPath(in.uninstallDataFolder, String(u"product.ico"));
        if (WriteWholeFile(icon, s.ProductIcon.Bytes(), s.ProductIcon.Length()) == 0) {
            (void)w.Text(u"DisplayIcon", icon);
            (void)AddUninstallRecord(PathTextFromWide(icon), kUninstallFile);
        }
    }
    uint32_t major = 0, minor = 0;
    if (SplitVersionMajorMinor(s.DisplayVersion, major, minor)) {
        w.Number(u"VersionMajor", major);
        w.Number(u"VersionMinor", minor);
    }
    w.TextOrDelete(u"ProductRegistry", s.ProductRegistry);
    w.TextOrDelete(u"ProductStartMenu", s.ProductStartMenu);
    w.TextOrDelete(u"SharedPath", in.sharedFolder);
    w.NarrowOrDelete(u"ProductFonts", in.fontList);
    w.Narrow(u"ProductFlags", UnsignedDecimal(s.ProductFlags));
    w.Narrow(u"ProductFlags2", UnsignedDecimal(s.ProductFlags2));
    w.NarrowOrDelete(u"UninstallBatch1", s.UninstallBatch1);
    w.NarrowOrDelete(u"UninstallBatch2", s.UninstallBatch2);
    w.NarrowOrDelete(u"SharedFiles", in.sharedFilesText);
    w.TextOrDelete(u"UninstallSubdir", s.UninstallSubdir);
    w.TextOrDelete(u"AddToPathSubfolder", s.AddToPathSubfolder);
    w.Number(u"ShortcutMode", s.ShortcutMode);
    w.NarrowOrDelete(u"NotifyURL", s.NotifyURL);
    w.NarrowOrDelete(u"SupportOffer", s.SupportOffer);
    w.TextOrDelete(u"DesktopFolder", s.DesktopFolder);
    uint32_t kib = 0;
    if (EstimatedSizeValue(in.estimatedSize, kib))
        w.Number(u"EstimatedSize", kib);
    else
        w.Delete(u"EstimatedSize");
    (void)w.Text(u"DisplayTitle", s.DisplayTitle);
    w.Number(u"TitleColor", s.TitleColor);
    w.Real(u"TitleSize", s.TitleSize);
    w.Number(u"TopColor", s.TopColor);
    if (s.MonoColor)
        w.Delete(u"BottomColor");
    else
        w.Number(u"BottomColor", s.BottomColor);
    w.Number(u"MonoColor", s.MonoColor ? 1 : 0);
    w.Number(u"TitleShadow", s.TitleShadow);
    w.Number(u"TitlePosition", s.TitlePosition);
    w.Narrow(u"TitleFont", s.TitleFont);
    (void)w.Text(u"TaskbarText", s.TaskbarText);
    (void)w.Text(u"CopyrightText", s.CopyrightText);
    w.Narrow(u"CopyrightFont", s.CopyrightFont);
    w.Real(u"CopyrightSize", s.CopyrightSize);
    w.Narrow(u"CopyrightColor", UnsignedDecimal(s.CopyrightColor));
    w.Number(u"CopyrightPos", s.CopyrightPos);
    if ((s.ProductFlags & kSaveBackgroundBitmap) && !s.BackgroundBitmap.Empty()) {
        w.Number(u"BitmapSize", static_cast<uint32_t>(s.BitmapSize));
        if (s.BitmapTPI == -1)
            w.Delete(u"BitmapTPI");
        else
            w.Number(u"BitmapTPI", static_cast<uint32_t>(s.BitmapTPI));
        w.Number(u"StretchMode", static_cast<uint32_t>(s.StretchMode));
    } else {
        w.Delete(u"BitmapSize");
        w.Delete(u"BitmapTPI");
        w.Delete(u"StretchMode");
    }
    WriteSavedValues(key, s);
    (void)w.Text(u"InstallLocation", s.InstallFolder);
    (void)w.Text(u"InstallDate", Today());

    String readBack;
    if (key.ReadString(String(u"UninstallString"), readBack) != ERROR_SUCCESS || readBack != uninstallString)
        failed = true;
}

void WriteEarlierFolderValue(const Settings &s)
{
    if (s.EarlierFolderValue.Empty())
        return;
    const String path = Wide8(s.EarlierFolderValue);
    std::vector<RegistryTarget> keys;
    String valueName;
    if (!ResolveValuePath(path, keys, valueName) || keys.empty()) {
        LogPrintfW(u"Failed to save the installation folder in \"%ls\": not a registry value path.\r\n", path.Wide());
        return;
    }
    LONG result = ERROR_SUCCESS;
    for (const RegistryTarget &target : keys) {
        RegistryKey key;
        LONG written = key.Create(target.root, target.subkey, KEY_WRITE,
                                  s.Bitness == 1 ? RegistryView::Bits64 : RegistryView::Native);
        if (written == ERROR_SUCCESS)
            written = key.WriteString(valueName, s.InstallFolder);
        if (written != ERROR_SUCCESS)
            result = written;
    }
    if (result != ERROR_SUCCESS)
        LogPrintfW(u"Failed to save the installation folder in \"%ls\": %ls\r\n", path.Wide(),
                   SystemErrorText(result).Wide());
}

} // namespace

void RegisterUninstall(const UninstallRegistrationInput &in)
{
    Settings &s = *in.settings;
    const String uninstaller = JoinPath(in.uninstallDataFolder, PathTextToWide(s.UninstallerFileName));
    const bool written = WriteUninstaller(in, uninstaller);
    (void)AddUninstallRecord(PathTextFromWide(uninstaller), kUninstallFile);
    if (written && !s.ProductIcon.Empty()) {
        // Resource updating goes through the system's image code; a crash there loses only the icon.
        (void)RunGuardedCall([&] { ReplaceIcon(uninstaller, s.ProductIcon); });
    }
    bool failed = false;
    String errorText;
    WriteEntry(in, uninstaller, failed, errorText);
    WriteEarlierFolderValue(s);
    if (failed) {
        if (!errorText.Empty())
            AppendToFailureSummaryWide(String(u"System error: ").Append(errorText));
        AppendToFailureSummary(String(kEntryFailed));
    }
}
