#include "setupdata/settings.h"

#include <cstring>

#include "core/ascii_text.h"
#include "core/codepage.h"
#include "setupdata/corruption.h"
#include "setupdata/path_variables.h"
#include "setupdata/settings_flags.h"
#include "setupdata/settings_stream.h"
#include "setupdata/shell_settings.h"

Settings g_settings;

namespace {

const char16_t kMasterFolder[] = u"<master>";
const char16_t kOsPlaceholder[] = u"<os>";
const char16_t kMachineKeyPrefix[] = u"HKLM\\";
const char16_t kUserKeyPrefix[] = u"HKCU\\";

// Replaces every "<os>" (ignoring case) by `value`.
void ReplaceOsPlaceholder(String &text, const String &value)
{
    const int32_t n = 4;   // characters of "<os>"
    for (int32_t i = 0; i + n <= text.WideLength();) {
        if (EqualsAsciiNoCase(std::u16string_view(text.Wide() + i, size_t(n)), kOsPlaceholder)) {
            text.ReplaceRange(i * 2, n * 2, value.Bytes(), value.Length());
            i += value.WideLength();
        } else {
            ++i;
        }
    }
}

bool IsAbsoluteFolder(const String &folder)
{
    const char16_t *p = folder.Wide();
    return (folder.WideLength() >= 1 && (p[0] == u'\\' || p[0] == u'/')) ||
           (folder.WideLength() >= 2 && p[1] == u':');
}

// ---------------------------------------------------------------------------------------------
// Steps of the reading that involve the platform or the command line

AutomaticModeChange AutomaticModeOverride(uint8_t value, bool silent)
{
    if (value == 1)
        return AutomaticModeChange::On;
    if (value == 2 && !silent)
        return AutomaticModeChange::Off;
    return AutomaticModeChange::None;
}

// The wizard's button images need a Server 2003 class system and are not drawn right under Wine.
bool ButtonImagesUnsupported(const SettingsHooks &hooks)
{
    if (hooks.runsUnderWine && hooks.runsUnderWine())
        return true;
    WindowsVersion version;
    if (hooks.windowsVersion && hooks.windowsVersion(version))
        return !IsServer2003ClassOrLater(version);
    return false;
}

// The default installation folder of item 19 (before any /d override).
String DefaultInstallFolder(const String &setting, const Settings &s, const SettingsHooks &hooks)
{
    String folder = setting;
    if (folder.Empty()) {
        folder = s.DisplayName;
    } else {
        ReplaceOsPlaceholder(folder, hooks.windowsFolder ? hooks.windowsFolder() : String());
        if (hooks.expandPathVariables)
            hooks.expandPathVariables(s, folder);
    }
    const std::u16string_view text = WideView(folder);
    if (EqualsAsciiNoCase(text, kMasterFolder) || StartsWithAsciiNoCase(text, kMachineKeyPrefix) ||
        StartsWithAsciiNoCase(text, kUserKeyPrefix) || IsAbsoluteFolder(folder))
        return folder;
    const bool view64 = s.Bitness == 1;
    return JoinPath(hooks.programFilesFolder ? hooks.programFilesFolder(view64) : String(),
                    folder);
}

// ---------------------------------------------------------------------------------------------
// Items read in groups

void ReadDocuments(SettingsStream &in, std::vector<String> &documents, int corruptionCode)
{
    const int32_t count = in.ReadI32();
    if (count < 0 || count > kMaxDocuments)
        ReportCorruption(corruptionCode);
    documents.resize(static_cast<size_t>(count));
    for (String &document : documents)
        in.ReadText4(document);
}

int32_t ReadListCount(SettingsStream &in, int corruptionCode)
{
    const int32_t count = in.ReadI32();
    if (count < 0 || count > kMaxListEntries)
        ReportCorruption(corruptionCode);
    return count;
}

// A list ended by a text of its own instead of a count: each entry begins with a zero-ended text,
// the end text stands where the next entry would. `readRest` reads the entry after its first text;
// more than `maxEntries` entries raise `corruptionCode`.
template <typename Entry, typename ReadRest>
void ReadMarkerEndedList(SettingsStream &in, std::vector<Entry> &list, String Entry::*first,
                         const char *endText, size_t maxEntries, int corruptionCode, ReadRest readRest)
{
    for (;;) {
        Entry entry;
        in.ReadZeroEnded(entry.*first);
        if (entry.*first == String(endText))
            return;
        if (list.size() >= maxEntries)
            ReportCorruption(corruptionCode);
        readRest(entry);
        list.push_back(static_cast<Entry &&>(entry));
    }
}

// The list may hold kMaxConditionalBeforeEntry + 1 entries.
void ReadConditionalDeletions(SettingsStream &in, std::vector<FileDeletion> &list)
{
    ReadMarkerEndedList(in, list, &FileDeletion::path, kConditionalListEnd, size_t(kMaxConditionalBeforeEntry) + 1,
                        kCorruptConditionalList, [&in](FileDeletion &entry) {
                            entry.condition = in.ReadU8();
                            in.ReadZeroEnded(entry.value);
                            entry.flags = in.ReadU8();
                        });
}

void ReadAssociations(SettingsStream &in, std::vector<FileAssociation> &list)
{
    list.resize(static_cast<size_t>(ReadListCount(in, kCorruptAssociationCount)));
    for (FileAssociation &a : list) {
        a.mode = in.ReadI32();
        in.ReadZeroEnded(a.extension);
        in.ReadZeroEnded(a.className);
        in.ReadZeroEnded(a.description);
        in.ReadZeroEnded(a.verb);
        in.ReadZeroEnded(a.verbText);
        in.ReadZeroEnded(a.command);
        in.ReadZeroEndedWide(a.language);
        in.ReadZeroEnded(a.icon);
    }
}

void ReadShortcuts(SettingsStream &in, std::vector<ShortcutRecord> &list)
{
    list.resize(static_cast<size_t>(ReadListCount(in, kCorruptShortcutCount)));
    String utf8Name;
    for (ShortcutRecord &r : list) {
        in.ReadZeroEnded(r.target);
        in.ReadZeroEnded(utf8Name);
        r.name = WideFromCodePage(utf8Name, kCodePageUtf8);
        in.ReadZeroEnded(r.icon);
        in.ReadCountedText(r.arguments);
        in.ReadZeroEnded(r.workingFolder);
        r.desktop = in.ReadU8();
        r.startMenu = in.ReadU8();
        r.startup = in.ReadU8();
        in.ReadZeroEnded(r.folder);
        r.permanent = in.ReadU8();
        r.show = in.ReadU8();
        r.expandTarget = 1;
    }
}

void ReadSavedValues(SettingsStream &in, std::vector<UninstallData> &list)
{
    list.resize(static_cast<size_t>(ReadListCount(in, kCorruptSavedValueCount)));
    for (UninstallData &d : list) {
        in.ReadZeroEnded(d.name);
        d.kind = in.ReadU8();
        in.ReadCountedText(d.text);
    }
}

void ReadProgramsToClose(SettingsStream &in, std::vector<AutoCloseEntry> &list)
{
    ReadMarkerEndedList(in, list, &AutoCloseEntry::windowClass, kProgramsToCloseEnd, size_t(kMaxListEntries),
                        kCorruptProgramsToClose, [&in](AutoCloseEntry &entry) {
                            in.ReadZeroEnded(entry.windowTitle);
                            in.ReadZeroEnded(entry.programName);
                            entry.mode = in.ReadU8();
                            entry.phase = in.ReadU8();
                        });
}

// The shell settings without an item of their own, from the file-step block; a block of another
// kind carries none.
void ApplyShellSettings(Settings &s)
{
    ShellSettings shell;
    (void)ReadShellSettings(s.FileStepBlock, shell);
    s.FirewallList = shell.firewallList;
    s.RegistryMerge = shell.registryMerge;
    s.RootShortcutName = shell.rootShortcutName;
    s.RootShortcutCommand = shell.rootShortcutCommand;
    s.DesktopFolderIcon = shell.desktopFolderIcon;
}

} // namespace

void CopySettingsToPathState(const Settings &s, PathVariableState &state)
{
    state.installFolder = s.InstallFolder;
    state.productName = s.DisplayName;
    state.productDescription = s.ProductDescription;
    state.version = s.DisplayVersionWide;
    state.sharedFolder = s.SharedPath;
    state.startMenuFolderName = s.ProductStartMenu;
    state.desktopShortcuts = s.DesktopShortcuts;
    state.uninstallSubfolder = s.UninstallSubdir;
    state.shortcutMode = s.ShortcutMode;
    state.bitness = s.Bitness;
}

SettingsDecisions ReadSettings(SettingsStream &in, const SettingsInputs &inputs, Settings &s)
{
    const SettingsHooks &hooks = inputs.hooks;
    SettingsDecisions decisions;
    s = Settings();
    s.ProductFlags2 = inputs.headerFlags2;

    // Item 1, forced in silent mode; then the header word's button images, item 2.
    s.ProductFlags = in.ReadU64();
    if (inputs.silent)
        s.ProductFlags = (s.ProductFlags & ProductFlag::SilentKeep) | ProductFlag::SilentSet;
    if (ButtonImagesUnsupported(hooks))
        s.ProductFlags2 &= ~ProductFlag2::ButtonImages;
    s.AutomaticModeOverride = in.ReadU8();
    decisions.automaticMode = AutomaticModeOverride(s.AutomaticModeOverride, inputs.silent);
    s.LargeTitle = (s.ProductFlags & ProductFlag::LargeTitle) != 0;

    // Items 3 to 6: what the installer window needs; the window comes up before the rest is read.
    in.ReadCountedText(s.TaskbarText);
    in.ReadCountedText(s.DisplayTitle);
    s.TitleSize = in.ReadDouble();
    s.ProgressWindowPosition = in.ReadI32();
    if (!(s.ProductFlags & ProductFlag::NoInstallerWindow) && hooks.createInstallerWindow)
        hooks.createInstallerWindow(s);
    if (hooks.scriptChecksumMatches && !hooks.scriptChecksumMatches())
        ReportCorruption(kCorruptScriptChecksum);

    // Items 7 to 18.
    s.StatusDisplayTime = in.ReadU16();
    if (s.StatusDisplayTime > kMaxStatusDisplayTime)
        ReportCorruption(kCorruptStatusDisplayTime);
    s.ShortcutMode = in.ReadU8();
    s.UninstallerDate.year = in.ReadI32();
    s.UninstallerDate.month = in.ReadI32();
    s.UninstallerDate.day = in.ReadI32();
    s.UninstallerDate.hour = in.ReadI32();
    s.UninstallerDate.minute = in.ReadI32();
    s.UninstallerDate.second = in.ReadI32();
    in.ReadCountedText(s.Publisher);
    in.ReadCountedText(s.DisplayName);
    if (!inputs.productName.Empty())
        s.DisplayName = inputs.productName;
    in.ReadCountedText(s.ProductDescription);
    if (s.ProductDescription.Empty())
        s.ProductDescription = s.DisplayName;
    s.Bitness = in.ReadU8();
    if (s.Bitness == 1)
        s.RedirectionFailed = !(hooks.disableFsRedirection && hooks.disableFsRedirection());
    s.SharedFolderBase = in.ReadU8();
    in.ReadCountedText(s.SharedPath);
    if (s.SharedPath.Empty())
        s.SharedPath = IsBlank(s.Publisher) ? s.DisplayName
                                                  : WideFromCodePage(s.Publisher, kCodePageAnsi);
    in.ReadCountedText(s.SharedSubfolder);
    in.ReadZeroEndedWide(s.ProductStartMenu);
    if (s.ProductStartMenu.Empty())
        s.ProductStartMenu = s.DisplayName;
    in.ReadCountedText(s.DisplayVersion);
    s.DisplayVersionWide = WideFromCodePage(s.DisplayVersion, kCodePageAnsi);

    // Item 19: the installation folder.
    in.ReadZeroEndedWide(s.InstallFolderSetting);
    s.InstallFolder = inputs.installFolder.Empty()
                          ? DefaultInstallFolder(s.InstallFolderSetting, s, hooks)
                          : inputs.installFolder;

    // Items 20 to 32.
    in.ReadZeroEndedWide(s.ProductRegistry);
    in.ReadText4(s.MsiBlock);
    in.ReadCountedText(s.RegistryText);
    s.BitmapSize = in.ReadI32();
    if (s.BitmapSize < 0 || s.BitmapSize > kMaxBitmapSize)
        ReportCorruption(kCorruptBitmapSize);
    s.StretchMode = in.ReadI32();
    in.ReadText2(s.GreetingLink);
    ReadDocuments(in, s.LicenceDocuments, kCorruptLicenceCount);
    ReadDocuments(in, s.ReadmeDocuments, kCorruptReadmeCount);
    in.ReadCountedText(s.UninstallSubdir);
    in.ReadZeroEnded(s.UninstallerFileName);
    in.ReadCountedText(s.UninstallName);
    if (IsBlankWide(s.UninstallName))
        s.UninstallName = s.DisplayName;
    in.ReadZeroEnded(s.EarlierFolderValue);
    in.ReadZeroEndedWide(s.BannerHeadline);

    // Items 33 to 41: the look of the installer window.
    s.PictureFrameStyle = in.ReadU8();
    s.TitleColor = in.ReadU32();
    s.TitleShadow = in.ReadU8();
    s.TitlePosition = in.ReadU8();
    in.ReadZeroEnded(s.TitleFont);
    s.TopColor = in.ReadU32();
    s.BottomColor = in.ReadU32();
    s.MonoColor = s.BottomColor == s.TopColor;
    const int32_t bitmapLength = in.ReadI32();
    if (bitmapLength > 0) {
        in.ReadBytes(s.BackgroundBitmap, bitmapLength);
        s.BitmapTPI = in.ReadI32();
    }
    s.CopyrightPos = in.ReadU8();
    if (s.CopyrightPos != 0) {
        s.CopyrightColor = in.ReadU32();
        s.CopyrightSize = in.ReadDouble();
        in.ReadCountedText(s.CopyrightText);
        in.ReadCountedText(s.CopyrightFont);
    }

    // Item 42: the required product; blank names stand for this product.
    if (s.ProductFlags & ProductFlag::RequiredProduct) {
        in.ReadCountedText(s.RequiredProductName);
        in.ReadCountedText(s.RequiredProductDisplayName);
        in.ReadCountedText(s.RequiredProductMinVersion);
        const String productName = NarrowInCodePage(s.DisplayName, kCodePageAnsi);
        if (IsBlank(s.RequiredProductName))
            s.RequiredProductName = productName;
        if (IsBlank(s.RequiredProductDisplayName))
            s.RequiredProductDisplayName = productName;
    }

    // Items 43 to 56.
    in.ReadCountedText(s.StartSound);
    in.ReadCountedText(s.DesktopFolder);
    if (s.DesktopFolder.Empty() && (s.ProductFlags & ProductFlag::DesktopFolderDefaultsToProduct))
        s.DesktopFolder = s.DisplayName;
    s.DesktopFolderNarrow = NarrowInCodePage(s.DesktopFolder, kCodePageAnsi);
    s.DesktopShortcuts = DesktopShortcutsFolder(s.ShortcutMode, s.DesktopFolder);
    in.ReadText4(s.FileStepBlock);
    in.ReadCountedText(s.PreInstallBatch);
    in.ReadCountedText(s.PostInstallBatch);
    in.ReadCountedText(s.ExitBatch);
    in.ReadCountedText(s.UninstallBatch1);
    in.ReadCountedText(s.UninstallBatch2);
    in.ReadCountedText(s.UpgradeBatch);
    in.ReadCountedText(s.ReinstallBatch);
    in.Read(s.Reserved.data(), int32_t(s.Reserved.size()));
    s.UnsupportedSystems = in.ReadU32();
    s.ReadFileDataFromFile = in.ReadU8();
    in.ReadCountedText(s.EndTexts[0]);
    in.ReadCountedText(s.EndTexts[1]);
    in.ReadCountedText(s.LaunchOnExit);
    in.ReadCountedText(s.InstallNotifyURL);
    in.ReadCountedText(s.WizardNotifyURL);
    for (size_t i = 2; i < s.EndTexts.size(); ++i)
        in.ReadCountedText(s.EndTexts[i]);
    in.ReadCountedText(s.NotifyURL);
    in.ReadCountedText(s.GreetingText);
    in.ReadZeroEnded(s.WarningVersion);
    in.ReadText1(s.NoDowngradeBelow);
    in.ReadCountedText(s.InstallPassword);
    in.ReadCountedText(s.MinUpgradableVersion);
    in.ReadCountedText(s.AssociationText);
    in.ReadCountedText(s.AddToPathSubfolder);
    s.ExtraSpace = in.ReadI64();
    for (int32_t &variant : s.DialogVariants)
        variant = in.ReadI32();
    if (s.ProductFlags & ProductFlag::UninstallSupport)
        in.ReadText4(s.UninstallRecordStream);

    // Items 57 to 63: the lists.
    ReadConditionalDeletions(in, s.ConditionalDeletions);
    ReadAssociations(in, s.Associations);
    ReadShortcuts(in, s.Shortcuts);
    in.ReadZeroEndedWide(s.FileStepTexts[0]);
    in.ReadZeroEnded(s.FileStepTexts[1]);
    in.ReadZeroEndedWide(s.ShortcutStepTexts[0]);
    in.ReadZeroEndedWide(s.ShortcutStepTexts[1]);
    ReadSavedValues(in, s.SavedValues);
    in.ReadText2(s.SupportOffer);
    in.ReadText4(s.ProductIcon);
    ReadProgramsToClose(in, s.ProgramsToClose);

    // Items 64 and 65.
    ReadLanguageTable(in, s.Languages);
    if (in.ReadU32() != kSettingsEndMarker)
        ReportCorruption(kCorruptEndMarker);

    if (hooks.expandProductPlaceholders)
        hooks.expandProductPlaceholders(s, s.BannerHeadline);
    ApplyShellSettings(s);
    return decisions;
}

