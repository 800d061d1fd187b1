#include "setupdata/settings.h"

#include "core/codepage.h"
#include "core/fatal.h"
#include "setupdata/settings_flags.h"
#include "setupdata/settings_stream.h"

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
        out.WriteZeroEnded(NarrowInCodePage(r.name, kCodePageUtf8));
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
