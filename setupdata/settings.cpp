#include "setupdata/settings.h"

#include <cstring>

#include "app/run_mode.h"
#include "core/codepage.h"
#include "core/fatal.h"
#include "setupdata/corruption.h"
#include "setupdata/path_variables.h"
#include "setupdata/settings_flags.h"
#include "setupdata/settings_stream.h"

Settings g_settings;

namespace {

SettingsHooks g_hooks;

const char16_t kEnglish[] = u"English";
const char16_t kMasterFolder[] = u"<master>";
const char16_t kOsPlaceholder[] = u"<os>";
const char16_t kMachineKeyPrefix[] = u"HKLM\\";
const char16_t kUserKeyPrefix[] = u"HKCU\\";

// ---------------------------------------------------------------------------------------------
// Small text helpers on wide Strings

char16_t LowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }

bool WideEqualsNoCase(const char16_t *a, int32_t n, const char16_t *b)
{
    int32_t i = 0;
    for (; i < n && b[i]; ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return i == n && b[i] == 0;
}

bool WideStartsWithNoCase(const String &text, const char16_t *prefix)
{
    int32_t n = 0;
    while (prefix[n])
        ++n;
    return text.WideLength() >= n && WideEqualsNoCase(text.Wide(), n, prefix);
}

bool WideEqualsExact(const String &text, const char16_t *literal)
{
    return text == String(literal);
}

// Empty or only blanks (space, tab, CR, LF); the same test for 8-bit and wide text.
bool IsBlankBytes(const String &text, int unitSize)
{
    const uint8_t *p = text.Data();
    for (int32_t i = 0; i + unitSize <= text.Length(); i += unitSize) {
        const unsigned c = unitSize == 2 ? unsigned(p[i] | (p[i + 1] << 8)) : p[i];
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return false;
    }
    return true;
}

bool IsBlankWide(const String &text) { return IsBlankBytes(text, 2); }
bool IsBlankNarrow(const String &text) { return IsBlankBytes(text, 1); }

// Replaces every "<os>" (ignoring case) by `value`.
void ReplaceOsPlaceholder(String &text, const String &value)
{
    const int32_t n = 4;   // characters of "<os>"
    for (int32_t i = 0; i + n <= text.WideLength();) {
        if (WideEqualsNoCase(text.Wide() + i, n, kOsPlaceholder)) {
            text.ReplaceRange(i * 2, n * 2, value.Bytes(), value.Length());
            i += value.WideLength();
        } else {
            ++i;
        }
    }
}

// Conversions whose failure leaves the text empty (the system cannot convert it either way).
String WideFrom(const String &narrow, int codePage)
{
    String wide;
    CodePageToWide(narrow, codePage, wide);
    return wide;
}

String NarrowFrom(const String &wide, int codePage)
{
    String narrow;
    CodePageFromWide(wide, codePage, "?", narrow);
    return narrow;
}

bool IsAbsoluteFolder(const String &folder)
{
    const char16_t *p = folder.Wide();
    return (folder.WideLength() >= 1 && (p[0] == u'\\' || p[0] == u'/')) ||
           (folder.WideLength() >= 2 && p[1] == u':');
}

// ---------------------------------------------------------------------------------------------
// Steps of the reading that involve the platform or the command line

void ApplyAutomaticModeOverride(uint8_t value)
{
    if (value == 1)
        g_runMode.automatic = true;
    else if (value == 2 && !g_runMode.silent)
        g_runMode.automatic = false;
}

// The wizard's button images need a Server 2003 class system and are not drawn right under Wine.
bool ButtonImagesUnsupported()
{
    if (g_hooks.runsUnderWine && g_hooks.runsUnderWine())
        return true;
    WindowsVersion version;
    if (g_hooks.windowsVersion && g_hooks.windowsVersion(version))
        return !IsServer2003ClassOrLater(version);
    return false;
}

// The default installation folder of item 19 (before any /d override).
String DefaultInstallFolder(const String &setting, const Settings &s)
{
    String folder = setting;
    if (folder.Empty()) {
        folder = s.DisplayName;
    } else {
        ReplaceOsPlaceholder(folder, g_hooks.windowsFolder ? g_hooks.windowsFolder() : String());
        if (g_hooks.expandPathVariables)
            g_hooks.expandPathVariables(folder);
    }
    if (WideEqualsNoCase(folder.Wide(), folder.WideLength(), kMasterFolder) ||
        WideStartsWithNoCase(folder, kMachineKeyPrefix) ||
        WideStartsWithNoCase(folder, kUserKeyPrefix) || IsAbsoluteFolder(folder))
        return folder;
    const bool view64 = s.Bitness == 1;
    return JoinPath(g_hooks.programFilesFolder ? g_hooks.programFilesFolder(view64) : String(),
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

void ReadConditionalDeletions(SettingsStream &in, std::vector<FileDeletion> &list)
{
    for (;;) {
        FileDeletion entry;
        in.ReadZeroEnded(entry.path);
        if (entry.path == String(kConditionalListEnd))
            return;
        if (list.size() > size_t(kMaxConditionalBeforeEntry))
            ReportCorruption(kCorruptConditionalList);
        entry.condition = in.ReadU8();
        in.ReadZeroEnded(entry.value);
        entry.flags = in.ReadU8();
        list.push_back(static_cast<FileDeletion &&>(entry));
    }
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
        r.name = WideFrom(utf8Name, kCodePageUtf8);
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
    for (;;) {
        AutoCloseEntry entry;
        in.ReadZeroEnded(entry.windowClass);
        if (entry.windowClass == String(kProgramsToCloseEnd))
            return;
        if (list.size() >= size_t(kMaxListEntries))
            ReportCorruption(kCorruptProgramsToClose);
        in.ReadZeroEnded(entry.windowTitle);
        in.ReadZeroEnded(entry.programName);
        entry.mode = in.ReadU8();
        entry.phase = in.ReadU8();
        list.push_back(static_cast<AutoCloseEntry &&>(entry));
    }
}

void ReadLanguageTable(SettingsStream &in, LanguageTable &table)
{
    const int languages = in.ReadU8();
    if (languages < 1 || languages > kMaxLanguages)
        ReportCorruption(kCorruptLanguageCount);
    const int32_t rows = in.ReadI32();
    if (rows < 1 || rows > kMaxLanguageRows)
        ReportCorruption(kCorruptStringCount);
    table.names.resize(static_cast<size_t>(languages));
    table.active = 0;
    for (int i = 0; i < languages; ++i) {
        in.ReadZeroEndedWide(table.names[size_t(i)]);
        if (WideEqualsExact(table.names[size_t(i)], kEnglish))
            table.active = i;
    }
    table.rows.resize(static_cast<size_t>(rows));
    for (std::vector<String> &row : table.rows) {
        row.resize(static_cast<size_t>(languages));
        for (String &text : row)
            in.ReadZeroEndedWide(text);
    }
}

} // namespace

void SetSettingsHooks(const SettingsHooks &hooks) { g_hooks = hooks; }
const SettingsHooks &GetSettingsHooks() { return g_hooks; }

void ReadSettings(SettingsStream &in) { ReadSettings(in, g_settings); }

void ReadSettings(SettingsStream &in, Settings &s)
{
    const uint32_t headerFlags2 = s.ProductFlags2;
    s = Settings();
    s.ProductFlags2 = headerFlags2;

    // Item 1, forced in silent mode; then the header word's button images, item 2.
    s.ProductFlags = in.ReadU64();
    if (g_runMode.silent)
        s.ProductFlags = (s.ProductFlags & ProductFlag::SilentKeep) | ProductFlag::SilentSet;
    if (ButtonImagesUnsupported())
        s.ProductFlags2 &= ~ProductFlag2::ButtonImages;
    s.AutomaticModeOverride = in.ReadU8();
    ApplyAutomaticModeOverride(s.AutomaticModeOverride);
    s.LargeTitle = (s.ProductFlags & ProductFlag::LargeTitle) != 0;

    // Items 3 to 6: what the installer window needs; the window comes up before the rest is read.
    in.ReadCountedText(s.TaskbarText);
    in.ReadCountedText(s.DisplayTitle);
    s.TitleSize = in.ReadDouble();
    s.ProgressWindowPosition = in.ReadI32();
    if (!(s.ProductFlags & ProductFlag::NoInstallerWindow) && g_hooks.createInstallerWindow)
        g_hooks.createInstallerWindow(s);
    if (g_hooks.scriptChecksumMatches && !g_hooks.scriptChecksumMatches())
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
    if (!g_commandLineOverrides.productName.Empty())
        s.DisplayName = g_commandLineOverrides.productName;
    in.ReadCountedText(s.ProductDescription);
    if (s.ProductDescription.Empty())
        s.ProductDescription = s.DisplayName;
    s.Bitness = in.ReadU8();
    if (s.Bitness == 1)
        s.RedirectionFailed = !(g_hooks.disableFsRedirection && g_hooks.disableFsRedirection());
    s.SharedFolderBase = in.ReadU8();
    in.ReadCountedText(s.SharedPath);
    if (s.SharedPath.Empty())
        s.SharedPath = IsBlankNarrow(s.Publisher) ? s.DisplayName
                                                  : WideFrom(s.Publisher, kCodePageAnsi);
    in.ReadCountedText(s.SharedSubfolder);
    in.ReadZeroEndedWide(s.ProductStartMenu);
    if (s.ProductStartMenu.Empty())
        s.ProductStartMenu = s.DisplayName;
    in.ReadCountedText(s.DisplayVersion);
    s.DisplayVersionWide = WideFrom(s.DisplayVersion, kCodePageAnsi);

    // Item 19: the installation folder.
    in.ReadZeroEndedWide(s.InstallFolderSetting);
    s.InstallFolder = g_commandLineOverrides.installFolder.Empty()
                          ? DefaultInstallFolder(s.InstallFolderSetting, s)
                          : g_commandLineOverrides.installFolder;

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
        const String productName = NarrowFrom(s.DisplayName, kCodePageAnsi);
        if (IsBlankNarrow(s.RequiredProductName))
            s.RequiredProductName = productName;
        if (IsBlankNarrow(s.RequiredProductDisplayName))
            s.RequiredProductDisplayName = productName;
    }

    // Items 43 to 56.
    in.ReadCountedText(s.StartSound);
    in.ReadCountedText(s.DesktopFolder);
    if (s.DesktopFolder.Empty() && (s.ProductFlags & ProductFlag::DesktopFolderDefaultsToProduct))
        s.DesktopFolder = s.DisplayName;
    s.DesktopFolderNarrow = NarrowFrom(s.DesktopFolder, kCodePageAnsi);
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

    if (g_hooks.expandProductPlaceholders)
        g_hooks.expandProductPlaceholders(s.BannerHeadline);
}

// ---------------------------------------------------------------------------------------------
// Writing

namespace {

// Writes items and remembers the first one that could not be written.
class ItemWriter {
public:
    explicit ItemWriter(String &problem) : problem_(problem) {}

    SettingsWriter &out() { return out_; }

    // Closes an item: names it as the problem when its values did not fit their forms.
    void Item(const char *name)
    {
        if (!out_.Ok() && problem_.Empty())
            problem_.Assign(name).Append(": a value does not fit the form of its item");
    }

    void Refuse(const char *name, const char *why)
    {
        if (problem_.Empty())
            problem_.Assign(name).Append(": ").Append(why);
        out_.Fail();
    }

    bool Ok() const { return problem_.Empty() && out_.Ok(); }

private:
    SettingsWriter out_;
    String &problem_;
};

// Limits of the reader, tested before writing so that the packer never writes a record that the
// program would reject as corrupt.
void CheckLimits(const Settings &s, ItemWriter &w)
{
    if (s.StatusDisplayTime > kMaxStatusDisplayTime)
        w.Refuse("StatusDisplayTime", "above 9,999 milliseconds");
    if (s.BitmapSize < 0 || s.BitmapSize > kMaxBitmapSize)
        w.Refuse("BitmapSize", "outside 0 to 100");
    if (s.LicenceDocuments.size() > size_t(kMaxDocuments))
        w.Refuse("LicenceDocuments", "more than 20 documents");
    if (s.ReadmeDocuments.size() > size_t(kMaxDocuments))
        w.Refuse("ReadmeDocuments", "more than 20 documents");
    if (s.ConditionalDeletions.size() > size_t(kMaxConditionalBeforeEntry) + 1)
        w.Refuse("ConditionalDeletions", "more than 1,001 entries");
    for (const FileDeletion &d : s.ConditionalDeletions)
        if (d.path == String(kConditionalListEnd))
            w.Refuse("ConditionalDeletions", "a path equal to the end text of the list");
    if (s.Associations.size() > size_t(kMaxListEntries))
        w.Refuse("Associations", "more than 1,000 entries");
    if (s.Shortcuts.size() > size_t(kMaxListEntries))
        w.Refuse("Shortcuts", "more than 1,000 entries");
    if (s.SavedValues.size() > size_t(kMaxListEntries))
        w.Refuse("SavedValues", "more than 1,000 entries");
    if (s.ProgramsToClose.size() > size_t(kMaxListEntries))
        w.Refuse("ProgramsToClose", "more than 1,000 entries");
    for (const AutoCloseEntry &e : s.ProgramsToClose)
        if (e.windowClass == String(kProgramsToCloseEnd))
            w.Refuse("ProgramsToClose", "a window class equal to the end text of the list");
    const LanguageTable &t = s.Languages;
    if (t.names.empty() || t.names.size() > size_t(kMaxLanguages))
        w.Refuse("Languages", "not 1 to 200 languages");
    if (t.rows.empty() || t.rows.size() > size_t(kMaxLanguageRows))
        w.Refuse("Languages", "not 1 to 10,000 rows");
    for (const std::vector<String> &row : t.rows)
        if (row.size() != t.names.size())
            w.Refuse("Languages", "a row without exactly one text per language");
}

} // namespace

bool WriteSettings(const Settings &s, String &record, String &problem)
{
    problem.Clear();
    record.Clear();
    ItemWriter w(problem);
    CheckLimits(s, w);
    if (!w.Ok())
        return false;
    SettingsWriter &out = w.out();

    out.WriteU64(s.ProductFlags);
    out.WriteU8(s.AutomaticModeOverride);
    out.WriteCountedText(s.TaskbarText);
    w.Item("TaskbarText");
    out.WriteCountedText(s.DisplayTitle);
    w.Item("DisplayTitle");
    out.WriteDouble(s.TitleSize);
    out.WriteI32(s.ProgressWindowPosition);

    out.WriteU16(s.StatusDisplayTime);
    out.WriteU8(s.ShortcutMode);
    out.WriteI32(s.UninstallerDate.year);
    out.WriteI32(s.UninstallerDate.month);
    out.WriteI32(s.UninstallerDate.day);
    out.WriteI32(s.UninstallerDate.hour);
    out.WriteI32(s.UninstallerDate.minute);
    out.WriteI32(s.UninstallerDate.second);
    out.WriteCountedText(s.Publisher);
    w.Item("Publisher");
    out.WriteCountedText(s.DisplayName);
    w.Item("DisplayName");
    out.WriteCountedText(s.ProductDescription);
    w.Item("ProductDescription");
    out.WriteU8(s.Bitness);
    out.WriteU8(s.SharedFolderBase);
    out.WriteCountedText(s.SharedPath);
    w.Item("SharedPath");
    out.WriteCountedText(s.SharedSubfolder);
    w.Item("SharedSubfolder");
    out.WriteZeroEndedWide(s.ProductStartMenu);
    w.Item("ProductStartMenu");
    out.WriteCountedText(s.DisplayVersion);
    w.Item("DisplayVersion");
    out.WriteZeroEndedWide(s.InstallFolderSetting);
    w.Item("InstallFolderSetting");

    out.WriteZeroEndedWide(s.ProductRegistry);
    w.Item("ProductRegistry");
    out.WriteText4(s.MsiBlock);
    out.WriteCountedText(s.RegistryText);
    w.Item("RegistryText");
    out.WriteI32(s.BitmapSize);
    out.WriteI32(s.StretchMode);
    out.WriteText2(s.GreetingLink);
    w.Item("GreetingLink");
    for (const std::vector<String> *documents : {&s.LicenceDocuments, &s.ReadmeDocuments}) {
        out.WriteI32(int32_t(documents->size()));
        for (const String &document : *documents)
            out.WriteText4(document);
    }
    out.WriteCountedText(s.UninstallSubdir);
    w.Item("UninstallSubdir");
    out.WriteZeroEnded(s.UninstallerFileName);
    w.Item("UninstallerFileName");
    out.WriteCountedText(s.UninstallName);
    w.Item("UninstallName");
    out.WriteZeroEnded(s.EarlierFolderValue);
    w.Item("EarlierFolderValue");
    out.WriteZeroEndedWide(s.BannerHeadline);
    w.Item("BannerHeadline");

    out.WriteU8(s.PictureFrameStyle);
    out.WriteU32(s.TitleColor);
    out.WriteU8(s.TitleShadow);
    out.WriteU8(s.TitlePosition);
    out.WriteZeroEnded(s.TitleFont);
    w.Item("TitleFont");
    out.WriteU32(s.TopColor);
    out.WriteU32(s.BottomColor);
    out.WriteI32(s.BackgroundBitmap.Length());
    if (!s.BackgroundBitmap.Empty()) {
        out.WriteBytes(s.BackgroundBitmap.Bytes(), s.BackgroundBitmap.Length());
        out.WriteI32(s.BitmapTPI);
    }
    out.WriteU8(s.CopyrightPos);
    if (s.CopyrightPos != 0) {
        out.WriteU32(s.CopyrightColor);
        out.WriteDouble(s.CopyrightSize);
        out.WriteCountedText(s.CopyrightText);
        out.WriteCountedText(s.CopyrightFont);
        w.Item("Copyright");
    }
    if (s.ProductFlags & ProductFlag::RequiredProduct) {
        out.WriteCountedText(s.RequiredProductName);
        out.WriteCountedText(s.RequiredProductDisplayName);
        out.WriteCountedText(s.RequiredProductMinVersion);
        w.Item("RequiredProduct");
    }

    out.WriteCountedText(s.StartSound);
    w.Item("StartSound");
    out.WriteCountedText(s.DesktopFolder);
    w.Item("DesktopFolder");
    out.WriteText4(s.FileStepBlock);
    for (const String *batch : {&s.PreInstallBatch, &s.PostInstallBatch, &s.ExitBatch,
                                &s.UninstallBatch1, &s.UninstallBatch2, &s.UpgradeBatch,
                                &s.ReinstallBatch})
        out.WriteCountedText(*batch);
    w.Item("batch texts");
    out.WriteBytes(s.Reserved.data(), int32_t(s.Reserved.size()));
    out.WriteU32(s.UnsupportedSystems);
    out.WriteU8(s.ReadFileDataFromFile);
    for (const String *text : {&s.EndTexts[0], &s.EndTexts[1], &s.LaunchOnExit,
                               &s.InstallNotifyURL, &s.WizardNotifyURL, &s.EndTexts[2],
                               &s.EndTexts[3], &s.EndTexts[4], &s.EndTexts[5], &s.NotifyURL,
                               &s.GreetingText})
        out.WriteCountedText(*text);
    w.Item("end texts and notification addresses");
    out.WriteZeroEnded(s.WarningVersion);
    w.Item("WarningVersion");
    out.WriteText1(s.NoDowngradeBelow);
    w.Item("NoDowngradeBelow");
    out.WriteCountedText(s.InstallPassword);
    out.WriteCountedText(s.MinUpgradableVersion);
    out.WriteCountedText(s.AssociationText);
    out.WriteCountedText(s.AddToPathSubfolder);
    w.Item("InstallPassword, MinUpgradableVersion, AssociationText or AddToPathSubfolder");
    out.WriteI64(s.ExtraSpace);
    for (int32_t variant : s.DialogVariants)
        out.WriteI32(variant);
    if (s.ProductFlags & ProductFlag::UninstallSupport)
        out.WriteText4(s.UninstallRecordStream);

    for (const FileDeletion &d : s.ConditionalDeletions) {
        out.WriteZeroEnded(d.path);
        out.WriteU8(d.condition);
        out.WriteZeroEnded(d.value);
        out.WriteU8(d.flags);
    }
    out.WriteZeroEnded(String(kConditionalListEnd));
    w.Item("ConditionalDeletions");
    out.WriteI32(int32_t(s.Associations.size()));
    for (const FileAssociation &a : s.Associations) {
        out.WriteI32(a.mode);
        for (const String *text : {&a.extension, &a.className, &a.description, &a.verb,
                                   &a.verbText, &a.command})
            out.WriteZeroEnded(*text);
        out.WriteZeroEndedWide(a.language);
        out.WriteZeroEnded(a.icon);
    }
    w.Item("Associations");
    out.WriteI32(int32_t(s.Shortcuts.size()));
    for (const ShortcutRecord &r : s.Shortcuts) {
        out.WriteZeroEnded(r.target);
        out.WriteZeroEnded(NarrowFrom(r.name, kCodePageUtf8));
        out.WriteZeroEnded(r.icon);
        out.WriteCountedText(r.arguments);
        out.WriteZeroEnded(r.workingFolder);
        out.WriteU8(r.desktop);
        out.WriteU8(r.startMenu);
        out.WriteU8(r.startup);
        out.WriteZeroEnded(r.folder);
        out.WriteU8(r.permanent);
        out.WriteU8(r.show);
    }
    w.Item("Shortcuts");
    out.WriteZeroEndedWide(s.FileStepTexts[0]);
    out.WriteZeroEnded(s.FileStepTexts[1]);
    out.WriteZeroEndedWide(s.ShortcutStepTexts[0]);
    out.WriteZeroEndedWide(s.ShortcutStepTexts[1]);
    w.Item("FileStepTexts or ShortcutStepTexts");
    out.WriteI32(int32_t(s.SavedValues.size()));
    for (const UninstallData &d : s.SavedValues) {
        out.WriteZeroEnded(d.name);
        out.WriteU8(d.kind);
        out.WriteCountedText(d.text);
    }
    w.Item("SavedValues");
    out.WriteText2(s.SupportOffer);
    w.Item("SupportOffer");
    out.WriteText4(s.ProductIcon);
    for (const AutoCloseEntry &e : s.ProgramsToClose) {
        out.WriteZeroEnded(e.windowClass);
        out.WriteZeroEnded(e.windowTitle);
        out.WriteZeroEnded(e.programName);
        if (e.mode < 0 || e.mode > 0xFF)
            w.Refuse("ProgramsToClose", "a mode outside 0 to 255");
        out.WriteU8(static_cast<uint8_t>(e.mode));
        out.WriteU8(e.phase);
    }
    out.WriteZeroEnded(String(kProgramsToCloseEnd));
    w.Item("ProgramsToClose");

    const LanguageTable &t = s.Languages;
    out.WriteU8(static_cast<uint8_t>(t.names.size()));
    out.WriteI32(int32_t(t.rows.size()));
    for (const String &name : t.names)
        out.WriteZeroEndedWide(name);
    for (const std::vector<String> &row : t.rows)
        for (const String &text : row)
            out.WriteZeroEndedWide(text);
    w.Item("Languages");
    out.WriteU32(kSettingsEndMarker);

    if (!w.Ok())
        return false;
    record = out.TakeRecord();
    return true;
}

String WriteSettings(const Settings &settings)
{
    String record;
    String problem;
    if (!WriteSettings(settings, record, problem))
        FatalFormat("The settings record cannot be written: %s", problem.Bytes());
    return record;
}
