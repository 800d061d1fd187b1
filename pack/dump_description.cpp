// What --dump shows of an installer, built as one DumpNode tree (pack/dump_tree.h) and written as
// text or JSON. Option words are decoded through the packer's own tables (pack/project_options.h),
// so a bit or a choice is shown under the key that sets it in a project file; every settings value
// carries the project key beside its record name.
#include "pack/installer_dump.h"

#include <cinttypes>
#include <cstring>

#include "core/codepage.h"
#include "core/path_text.h"
#include "pack/default_language.h"
#include "pack/dump_tree.h"
#include "pack/project_options.h"
#include "setupdata/settings_flags.h"

namespace {

std::string Utf8(const String &wide)
{
    String utf8;
    CodePageFromWide(wide, kCodePageUtf8, nullptr, utf8);
    return std::string(utf8.Bytes(), size_t(utf8.Length()));
}

// 8-bit texts are Windows-1252, or UTF-8 after a "|" when they are path text.
std::string Narrow(const String &text) { return Utf8(PathTextToWide(text, kCodePageWindows1252)); }

std::string HexWord(uint64_t value, int digits)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%0*" PRIX64, digits, value);
    return text;
}

DumpNode Bytes(const String &blob)
{
    return DumpNode::Word(blob.Empty() ? "none" : std::to_string(blob.Length()) + " bytes");
}

DumpNode Date(const DateTime &d)
{
    if (d.month == 0)
        return DumpNode::Word("none");
    char text[48];
    if (d.hour < 0)
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    else
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", d.year, d.month, d.day,
                      d.hour, d.minute, d.second);
    return DumpNode::Word(text);
}

// A Windows colour (0x00bbggrr) as the project writes it, "#rrggbb"; a value with a high byte (a
// raw integer in the project) as its number.
DumpNode Colour(uint32_t colour)
{
    if (colour > 0xFFFFFF)
        return DumpNode::Word(HexWord(colour, 8));
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return DumpNode::Word(text);
}

// A choice by its name, or by its number when no name has it (the project allows numbers).
DumpNode Choice(const ChoiceList &names, int64_t value)
{
    if (const char *name = NameOf(names, value))
        return DumpNode::Word(name);
    return DumpNode::Integer(value);
}

// A mask of named bits as the list of names; bits without a name follow as one number.
DumpNode Bits(const ChoiceList &names, uint64_t mask)
{
    DumpNode list = DumpNode::List();
    uint64_t left = mask;
    for (const auto &n : names)
        if (mask & uint64_t(n.second)) {
            list.Push(DumpNode::Word(n.first));
            left &= ~uint64_t(n.second);
        }
    if (left)
        list.Push(DumpNode::Word(HexWord(left, 1)));
    return list;
}

// The bits of the option words that keys other than the true/false options set.
struct ImpliedBit {
    int word;
    uint64_t mask;
    const char *key;
};
constexpr ImpliedBit kImpliedBits[] = {
    {1, ProductFlag::BackgroundBitmap, "window.background (given)"},
    {1, ProductFlag::RequiredProduct, "[required_product] (given)"},
    {2, ProductFlag2::Blowfish, "package.encrypt"},
};

// One option word: its value, then each named option under its bit, with the project key that sets
// it and the key's value (an inverted key is false when its bit is set), and the bits no key names
// (set through [advanced]).
DumpNode OptionWord(int word, uint64_t value, int digits)
{
    DumpNode o = DumpNode::Object();
    o.Add("value", DumpNode::Word(HexWord(value, digits)));
    uint64_t named = 0;
    for (size_t i = 0; i < kFlagKeyCount; ++i) {
        const FlagKey &f = kFlagKeys[i];
        if (f.word != word)
            continue;
        named |= f.mask;
        const bool set = (value & f.mask) != 0;
        o.Add(HexWord(f.mask, digits), DumpNode::Bool(set != f.inverted), std::string(f.table) + "." + f.key);
    }
    for (const ImpliedBit &b : kImpliedBits)
        if (b.word == word) {
            named |= b.mask;
            o.Add(HexWord(b.mask, digits), DumpNode::Bool((value & b.mask) != 0), b.key);
        }
    o.Add("other bits", DumpNode::Word(HexWord(value & ~named, 1)),
          word == 1 ? "advanced.product_flags" : "advanced.product_flags2");
    return o;
}

// Rows of one settings object: each value under its record name, with the project key that sets it.
class Fields {
public:
    explicit Fields(DumpNode &node) : node_(node) {}

    void Wide(const char *record, const char *key, const String &v) { Add(record, key, DumpNode::Text(Utf8(v))); }
    void Narrow(const char *record, const char *key, const String &v) { Add(record, key, DumpNode::Text(::Narrow(v))); }
    void Number(const char *record, const char *key, int64_t v) { Add(record, key, DumpNode::Integer(v)); }
    void Add(const char *record, const char *key, DumpNode value) { node_.Add(record, std::move(value), key); }

private:
    DumpNode &node_;
};

std::string LanguageRowName(int row)
{
    int count = 0;
    const LanguageRowText *rows = DefaultLanguageRows(&count);
    for (int i = 0; i < count; ++i)
        if (rows[i].row == row)
            return rows[i].name;
    return std::string();
}

DumpNode Languages(const LanguageTable &table, bool everyRow)
{
    DumpNode o = DumpNode::Object();
    DumpNode names = DumpNode::List();
    for (const String &n : table.names)
        names.Push(DumpNode::Text(Utf8(n)));
    o.Add("names", std::move(names), "language.name");
    o.Add("row count", DumpNode::Integer(int64_t(table.rows.size())));
    if (!everyRow) {
        o.Add("rows", DumpNode::Word("not shown (--languages shows them)"));
        return o;
    }
    // Rows by number and built-in name, each with its text in every language.
    DumpNode rows = DumpNode::Object();
    for (size_t r = 0; r < table.rows.size(); ++r) {
        bool any = false;
        for (const String &text : table.rows[r])
            any = any || !text.Empty();
        if (!any)
            continue;
        const std::string name = LanguageRowName(int(r));
        DumpNode texts = DumpNode::Object();
        for (size_t l = 0; l < table.rows[r].size() && l < table.names.size(); ++l)
            texts.Add(Utf8(table.names[l]), DumpNode::Text(Utf8(table.rows[r][l])));
        rows.Add(std::to_string(r) + (name.empty() ? "" : " " + name), std::move(texts),
                 "language.text." + (name.empty() ? std::to_string(r) : name));
    }
    o.Add("rows", std::move(rows));
    return o;
}

// The settings values in record order.
DumpNode SettingsValues(const Settings &s)
{
    DumpNode o = DumpNode::Object();
    Fields f(o);
    f.Add("AutomaticModeOverride", "wizard.automatic", Choice(kAutomaticChoices, s.AutomaticModeOverride));
    f.Wide("TaskbarText", "window.taskbar_text", s.TaskbarText);
    f.Wide("DisplayTitle", "window.title", s.DisplayTitle);
    f.Add("TitleSize", "window.title_size", DumpNode::Real(s.TitleSize));
    f.Add("ProgressWindowPosition", "wizard.progress_position",
          Choice(kProgressPositionChoices, s.ProgressWindowPosition));
    f.Number("StatusDisplayTime", "wizard.status_time", s.StatusDisplayTime);
    f.Add("ShortcutMode", "folders.shortcuts_for_all_users", DumpNode::Bool(s.ShortcutMode == 1));
    f.Add("UninstallerDate", "uninstall.date", Date(s.UninstallerDate));
    f.Narrow("Publisher", "product.publisher", s.Publisher);
    f.Wide("DisplayName", "product.name", s.DisplayName);
    f.Wide("ProductDescription", "product.description", s.ProductDescription);
    f.Add("Bitness", "product.bitness", Choice(kBitnessChoices, s.Bitness));
    f.Add("SharedFolderBase", "folders.shared_base", Choice(kSharedBaseChoices, s.SharedFolderBase));
    f.Wide("SharedPath", "folders.shared", s.SharedPath);
    f.Wide("SharedSubfolder", "folders.shared_in_install", s.SharedSubfolder);
    f.Wide("ProductStartMenu", "folders.start_menu", s.ProductStartMenu);
    f.Narrow("DisplayVersion", "product.version", s.DisplayVersion);
    f.Wide("InstallFolder", "folders.install", s.InstallFolderSetting);
    f.Wide("ProductRegistry", "product.registry_key", s.ProductRegistry);
    f.Wide("MsiBlock", "uninstall.msi_block", s.MsiBlock);
    f.Narrow("RegistryText", "install.registry_text", s.RegistryText);
    f.Number("BitmapSize", "window.background_size", s.BitmapSize);
    f.Add("StretchMode", "window.background_placement", Choice(kBackgroundPlacementChoices, s.StretchMode));
    f.Narrow("GreetingLink", "wizard.greeting_link", s.GreetingLink);
    const auto documents = [](const std::vector<String> &list) {
        DumpNode l = DumpNode::List();
        for (const String &d : list)
            l.Push(Bytes(d));
        return l;
    };
    f.Add("LicenceDocuments", "wizard.licence", documents(s.LicenceDocuments));
    f.Add("ReadmeDocuments", "wizard.readme", documents(s.ReadmeDocuments));
    f.Wide("UninstallSubdir", "folders.uninstall_subfolder", s.UninstallSubdir);
    f.Narrow("UninstallerFileName", "folders.uninstaller_name", s.UninstallerFileName);
    f.Wide("UninstallName", "product.uninstall_name", s.UninstallName);
    f.Narrow("EarlierFolderValue", "folders.earlier_folder_value", s.EarlierFolderValue);
    f.Wide("BannerHeadline", "wizard.banner_headline", s.BannerHeadline);
    f.Add("PictureFrameStyle", "wizard.picture_frame", Choice(kPictureFrameChoices, s.PictureFrameStyle));
    f.Add("TitleColor", "window.title_color", Colour(s.TitleColor));
    f.Number("TitleShadow", "window.title_shadow", s.TitleShadow);
    f.Add("TitlePosition", "window.title_position", Choice(kTextPositionChoices, s.TitlePosition));
    f.Narrow("TitleFont", "window.title_font", s.TitleFont);
    f.Add("TopColor", "window.top_color", Colour(s.TopColor));
    f.Add("BottomColor", "window.bottom_color", Colour(s.BottomColor));
    f.Add("BackgroundBitmap", "window.background", Bytes(s.BackgroundBitmap));
    if (!s.BackgroundBitmap.Empty())
        f.Number("BitmapTPI", "window.background_transparent_index", s.BitmapTPI);
    f.Add("CopyrightPos", "window.copyright.position", Choice(kTextPositionChoices, s.CopyrightPos));
    if (s.CopyrightPos != 0) {
        f.Add("CopyrightColor", "window.copyright.color", Colour(s.CopyrightColor));
        f.Add("CopyrightSize", "window.copyright.size", DumpNode::Real(s.CopyrightSize));
        f.Wide("CopyrightText", "window.copyright.text", s.CopyrightText);
        f.Narrow("CopyrightFont", "window.copyright.font", s.CopyrightFont);
    }
    if (s.ProductFlags & ProductFlag::RequiredProduct) {
        f.Narrow("RequiredProductName", "required_product.name", s.RequiredProductName);
        f.Narrow("RequiredProductDisplayName", "required_product.display_name", s.RequiredProductDisplayName);
        f.Narrow("RequiredProductMinVersion", "required_product.min_version", s.RequiredProductMinVersion);
    }
    f.Add("StartSound", "wizard.start_sound", Bytes(s.StartSound));
    f.Wide("DesktopFolder", "folders.desktop", s.DesktopFolder);
    f.Add("FileStepBlock", "advanced.file_step_block", Bytes(s.FileStepBlock));
    f.Narrow("PreInstallBatch", "batches.pre_install", s.PreInstallBatch);
    f.Narrow("PostInstallBatch", "batches.post_install", s.PostInstallBatch);
    f.Narrow("ExitBatch", "batches.exit", s.ExitBatch);
    f.Narrow("UninstallBatch1", "batches.uninstall_1", s.UninstallBatch1);
    f.Narrow("UninstallBatch2", "batches.uninstall_2", s.UninstallBatch2);
    f.Narrow("UpgradeBatch", "batches.upgrade", s.UpgradeBatch);
    f.Narrow("ReinstallBatch", "batches.reinstall", s.ReinstallBatch);
    std::string reserved;
    for (uint8_t b : s.Reserved) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", b);
        reserved += two;
    }
    f.Add("Reserved", "advanced.reserved", DumpNode::Word(reserved));
    f.Add("UnsupportedSystems", "product.unsupported_windows", Bits(kWindowsVersionBits, s.UnsupportedSystems));
    f.Add("ReadFileDataFromFile", "install.data_from_file", DumpNode::Bool(s.ReadFileDataFromFile != 0));
    // Numbered texts: the project gives them as lists.
    DumpNode endTexts = DumpNode::List();
    for (const String &t : s.EndTexts)
        endTexts.Push(DumpNode::Text(::Narrow(t)));
    f.Add("EndTexts", "advanced.end_texts", std::move(endTexts));
    f.Narrow("LaunchOnExit", "install.launch_on_exit", s.LaunchOnExit);
    f.Narrow("InstallNotifyURL", "notify.install_url", s.InstallNotifyURL);
    f.Narrow("WizardNotifyURL", "notify.wizard_url", s.WizardNotifyURL);
    f.Narrow("NotifyURL", "notify.uninstall_url", s.NotifyURL);
    f.Wide("GreetingText", "wizard.greeting_text", s.GreetingText);
    f.Narrow("WarningVersion", "upgrade.warning_version", s.WarningVersion);
    f.Narrow("NoDowngradeBelow", "upgrade.no_downgrade_below", s.NoDowngradeBelow);
    // The password is only named, never shown.
    f.Add("InstallPassword", "product.password",
          DumpNode::Word(s.InstallPassword.Empty() ? "none" : "(given; not shown)"));
    f.Narrow("MinUpgradableVersion", "upgrade.min_upgradable_version", s.MinUpgradableVersion);
    f.Narrow("AssociationText", "install.association_text", s.AssociationText);
    f.Wide("AddToPathSubfolder", "folders.add_to_path_subfolder", s.AddToPathSubfolder);
    f.Number("ExtraSpace", "product.extra_space", s.ExtraSpace);
    DumpNode layout = DumpNode::Object();
    for (int i = 0; i < kDialogVariantCount; ++i)
        layout.Add(kLayoutPages[i], DumpNode::Integer(s.DialogVariants[size_t(i)]),
                   std::string("wizard.layout.") + kLayoutPages[i]);
    f.Add("DialogVariants", "wizard.layout", std::move(layout));
    if (s.ProductFlags & ProductFlag::UninstallSupport)
        f.Narrow("UninstallRecordStream", "uninstall.record_stream", s.UninstallRecordStream);
    DumpNode fileStep = DumpNode::List();
    fileStep.Push(DumpNode::Text(Utf8(s.FileStepTexts[0])));
    fileStep.Push(DumpNode::Text(::Narrow(s.FileStepTexts[1])));
    f.Add("FileStepTexts", "advanced.file_step_texts", std::move(fileStep));
    // The two shortcut-step texts are the taskbar pin's command and name.
    DumpNode pin = DumpNode::Object();
    pin.Add("PinCommand", DumpNode::Text(Utf8(s.ShortcutStepTexts[kPinCommandText])), "taskbar.pin_command");
    pin.Add("PinName", DumpNode::Text(Utf8(s.ShortcutStepTexts[kPinNameText])), "taskbar.pin_name");
    f.Add("ShortcutStepTexts", "advanced.shortcut_step_texts", std::move(pin));
    f.Narrow("SupportOffer", "uninstall.support_url", s.SupportOffer);
    f.Add("ProductIcon", "product.icon", Bytes(s.ProductIcon));
    // Carried in the file-step block (setupdata/shell_settings.h).
    f.Narrow("FirewallList", "firewall", s.FirewallList);
    f.Add("RegistryMerge", "registry.merge", Bytes(s.RegistryMerge));
    f.Wide("RootShortcutName", "shortcuts.root_name", s.RootShortcutName);
    f.Wide("RootShortcutCommand", "shortcuts.root_command", s.RootShortcutCommand);
    f.Add("DesktopFolderIcon", "shortcuts.desktop_folder_icon", Bytes(s.DesktopFolderIcon));
    return o;
}

DumpNode Shortcuts(const std::vector<ShortcutRecord> &list)
{
    DumpNode l = DumpNode::List();
    for (const ShortcutRecord &r : list) {
        DumpNode o = DumpNode::Object();
        Fields f(o);
        f.Narrow("target", "shortcut.target", r.target);
        f.Wide("name", "shortcut.name", r.name);
        f.Narrow("icon", "shortcut.icon", r.icon);
        f.Wide("arguments", "shortcut.arguments", r.arguments);
        f.Narrow("workingFolder", "shortcut.working_folder", r.workingFolder);
        f.Add("desktop", "shortcut.desktop", DumpNode::Bool(r.desktop != 0));
        f.Add("startMenu", "shortcut.start_menu", DumpNode::Bool(r.startMenu != 0));
        f.Add("startup", "shortcut.startup", DumpNode::Bool(r.startup != 0));
        f.Narrow("folder", "shortcut.folder", r.folder);
        f.Add("permanent", "shortcut.permanent", DumpNode::Bool(r.permanent != 0));
        f.Add("show", "shortcut.show", Choice(kShortcutShowChoices, r.show));
        // Set by the reader for every shortcut of the record, not by the project.
        f.Add("expandTarget", "", DumpNode::Bool(r.expandTarget != 0));
        f.Add("quiet", "", DumpNode::Bool(r.quiet != 0));
        l.Push(std::move(o));
    }
    return l;
}

DumpNode Associations(const std::vector<FileAssociation> &list)
{
    DumpNode l = DumpNode::List();
    for (const FileAssociation &a : list) {
        DumpNode o = DumpNode::Object();
        Fields f(o);
        f.Add("mode", "association.mode", Choice(kAssociationModeChoices, a.mode));
        f.Narrow("extension", "association.extension", a.extension);
        f.Narrow("className", "association.class", a.className);
        f.Narrow("description", "association.description", a.description);
        f.Narrow("verb", "association.verb", a.verb);
        f.Narrow("verbText", "association.verb_text", a.verbText);
        f.Narrow("command", "association.command", a.command);
        f.Wide("language", "association.language", a.language);
        f.Narrow("icon", "association.icon", a.icon);
        l.Push(std::move(o));
    }
    return l;
}

DumpNode Deletions(const std::vector<FileDeletion> &list)
{
    DumpNode l = DumpNode::List();
    for (const FileDeletion &d : list) {
        DumpNode o = DumpNode::Object();
        Fields f(o);
        f.Narrow("path", "delete.path", d.path);
        f.Add("condition", "delete.when", Choice(kDeletionConditions, d.condition));
        f.Narrow("value", "delete.value", d.value);
        DumpNode flags = DumpNode::Object();
        flags.Add("value", DumpNode::Word(HexWord(d.flags, 2)));
        uint32_t named = 0;
        for (const auto &bit : kDeletionFlagBits) {
            flags.Add(bit.first, DumpNode::Bool((d.flags & bit.second) != 0), std::string("delete.") + bit.first);
            named |= uint32_t(bit.second);
        }
        if (d.flags & ~named)
            flags.Add("other bits", DumpNode::Word(HexWord(d.flags & ~named, 2)));
        f.Add("flags", "", std::move(flags));
        l.Push(std::move(o));
    }
    return l;
}

DumpNode SavedValues(const std::vector<UninstallData> &list)
{
    DumpNode l = DumpNode::List();
    for (const UninstallData &d : list) {
        DumpNode o = DumpNode::Object();
        Fields f(o);
        f.Narrow("name", "uninstall.value.name", d.name);
        f.Add("kind", "uninstall.value.kind", Choice(kUninstallValueKinds, d.kind));
        f.Narrow("text", "uninstall.value.text", d.text);
        l.Push(std::move(o));
    }
    return l;
}

DumpNode ProgramsToClose(const std::vector<AutoCloseEntry> &list)
{
    DumpNode l = DumpNode::List();
    for (const AutoCloseEntry &e : list) {
        DumpNode o = DumpNode::Object();
        Fields f(o);
        f.Narrow("windowClass", "close_program.window_class", e.windowClass);
        f.Narrow("windowTitle", "close_program.window_title", e.windowTitle);
        f.Narrow("programName", "close_program.program", e.programName);
        f.Add("mode", "close_program.mode", Choice(kCloseModeChoices, e.mode));
        f.Add("phase", "close_program.phase", Choice(kClosePhaseChoices, e.phase));
        l.Push(std::move(o));
    }
    return l;
}

DumpNode Files(const std::vector<DumpedFile> &files)
{
    DumpNode l = DumpNode::List();
    for (const DumpedFile &file : files) {
        const FileRecord &r = file.record;
        DumpNode o = DumpNode::Object();
        Fields f(o);
        f.Narrow("name", "", r.name);
        f.Add("type", "files.type", Choice(kFileTypeChoices, r.type));
        f.Add("flags", "files.*", Bits(kFileFlagBits, uint32_t(r.flags & ~kFileReplacementMask)));
        f.Add("replace", "files.replace", Choice(kReplaceChoices, r.flags & kFileReplacementMask));
        f.Add("attributes", "files.attributes",
              r.attributes == kNoAttributes ? DumpNode::Integer(kNoAttributes) : Bits(kAttributeBits, uint32_t(r.attributes)));
        f.Add("date", "files.date", Date(r.time));
        f.Number("size", "", file.size);
        f.Add("checksum", "", DumpNode::Word(HexWord(file.contentChecksum, 8)));
        // One field of the record holds the version, the display name or the shortcut name,
        // as the type uses it.
        f.Add("version/name", "files.version/display_name/shortcut_name",
              DumpNode::Text(std::string(r.version.Bytes(), size_t(r.version.Length()))));
        f.Narrow("shortcutIcon", "files.shortcut_icon", r.shortcutIcon);
        f.Narrow("arguments", "files.arguments", r.arguments);
        f.Wide("destination", "files.destination", r.destination);
        f.Narrow("workingFolder", "files.working_folder/class_id", r.workingFolder);
        if (r.type == kFileTypeMsiPackage)
            f.Add("msiUiLevel", "files.msi_ui_level", Choice(kMsiUiLevelChoices, r.msiUiLevel));
        l.Push(std::move(o));
    }
    return l;
}

// ---------------------------------------------------------------------------------------------
// The settings record as the reader read it

std::string HexBytes(const String &bytes)
{
    std::string hex;
    for (int32_t i = 0; i < bytes.Length(); ++i) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", unsigned(bytes.Data()[i]));
        hex += two;
    }
    return hex;
}

std::string BytesText(const String &blob)
{
    return blob.Empty() ? "none" : std::to_string(blob.Length()) + " bytes";
}

// A text the reader took as bytes: shown as wide text when it reads as UTF-16LE (the record's wide
// settings are counted texts too), as 8-bit text when it is printable, else by its size.
std::string TextValue(const String &bytes)
{
    const auto printable = [](const String &wide) {
        for (int32_t i = 0; i < wide.WideLength(); ++i) {
            const char16_t c = wide.Wide()[i];
            if (c < 0x20 && c != u'\r' && c != u'\n' && c != u'\t')
                return false;
        }
        return true;
    };
    bool hasZero = false;
    for (int32_t i = 0; i < bytes.Length(); ++i)
        hasZero = hasZero || bytes.Data()[i] == 0;
    if (hasZero && bytes.Length() % 2 == 0 && bytes.Length() <= 512) {
        const String wide(reinterpret_cast<const char16_t *>(bytes.Data()), bytes.Length() / 2);
        if (printable(wide))
            return "u" + PeopleQuoted(Utf8(wide));
    }
    const String wide = PathTextToWide(bytes, kCodePageWindows1252);
    if (!hasZero && bytes.Length() <= 512 && printable(wide))
        return PeopleQuoted(Utf8(wide));
    return BytesText(bytes);
}

std::string SettingsValue(const DumpedSettingsValue &v)
{
    const String &b = v.bytes;
    switch (v.form) {
    case SettingsForm::Raw: {
        const int32_t n = b.Length();
        if (n == 1 || n == 2 || n == 4 || n == 8) {
            uint64_t value = 0;
            for (int32_t i = n - 1; i >= 0; --i)
                value = (value << 8) | b.Data()[i];
            char text[64];
            std::snprintf(text, sizeof text, "raw %d   %" PRIu64 " (0x%0*" PRIX64 ")", int(n), value, int(2 * n), value);
            return text;
        }
        return "raw " + std::to_string(n) + "  " + (n <= 32 ? HexBytes(b) : BytesText(b));
    }
    case SettingsForm::Real: {
        double value = 0;
        std::memcpy(&value, b.Data(), sizeof value);
        char text[48];
        std::snprintf(text, sizeof text, "real    %g", value);
        return text;
    }
    case SettingsForm::ZeroEndedWide:
        return "zero-ended wide  " + PeopleQuoted(Utf8(b));
    case SettingsForm::ZeroEnded:
        return "zero-ended  " + TextValue(b);
    case SettingsForm::Counted:
        return "counted  " + TextValue(b);
    case SettingsForm::Text1:
        return "text1  " + TextValue(b);
    case SettingsForm::Text2:
        return "text2  " + TextValue(b);
    case SettingsForm::Text4:
        return "text4  " + TextValue(b);
    }
    return std::string();
}

// Value by value with its offset: the order and the forms are the reader's own (the item table in
// setupdata/settings.h numbers them). The install password is not shown, only that there is one.
DumpNode SettingsRecord(const std::vector<DumpedSettingsValue> &values, const String &password)
{
    DumpNode o = DumpNode::Object();
    for (const DumpedSettingsValue &v : values) {
        const bool isPassword = !password.Empty() && v.form == SettingsForm::Counted && v.bytes == password;
        o.Add(HexWord(uint32_t(v.offset), 6),
              DumpNode::Word(isPassword ? "counted  (the install password)" : SettingsValue(v)));
    }
    return o;
}

DumpNode DescribeInstaller(const InstallerDump &dump, const DumpForm &form)
{
    DumpNode top = DumpNode::Object();
    const SetupHeader &h = dump.header;
    const Settings &s = dump.settings;

    DumpNode &section = top.Add("section", DumpNode::Object());
    section.Add("FileSize", DumpNode::Integer(int64_t(dump.fileSize)));
    section.Add("RawDataPosition", DumpNode::Word(HexWord(dump.sectionRawPosition, 8)));
    section.Add("RawSize", DumpNode::Integer(dump.sectionRawSize));
    section.Add("VirtualAddress", DumpNode::Word(HexWord(dump.sectionVirtualAddress, 8)));
    section.Add("VirtualSize", DumpNode::Integer(dump.sectionVirtualSize));
    section.Add("Signature", DumpNode::Word(dump.signatureBytes ? "present (" + std::to_string(dump.signatureBytes) +
                                                                      " bytes of certificate table)"
                                                                : std::string("none")));

    DumpNode &header = top.Add("header", DumpNode::Object());
    header.Add("Version", DumpNode::Text(std::string(h.version.Bytes(), size_t(h.version.Length()))));
    header.Add("ScriptSize", DumpNode::Integer(h.scriptSize));
    header.Add("ScriptChecksum", DumpNode::Word(HexWord(h.scriptChecksum, 8)));
    header.Add("ImageChecksum", DumpNode::Word(HexWord(h.imageChecksum, 8) +
                                               (h.imageChecksum == dump.imageChecksum ? " (matches the program)"
                                                                                      : " (differs)")));
    header.Add("DataEnd", DumpNode::Integer(h.dataEnd));
    header.Add("FileCount", DumpNode::Integer(h.fileCount));
    header.Add("DataSize", DumpNode::Integer(h.dataSize));
    header.Add("DataChecksum", DumpNode::Word(HexWord(h.dataChecksum, 8)));
    header.Add("Protected", DumpNode::Word(h.Protected() ? "yes (Blowfish)" : "no (scrambled script)"));

    top.Add("ProductFlags", OptionWord(1, s.ProductFlags, 16));
    // The header carries the second word for the readers that need it before the record.
    top.Add("ProductFlags2", OptionWord(2, s.ProductFlags2, 8));
    top.Add("settings", SettingsValues(s));
    top.Add("shortcuts", Shortcuts(s.Shortcuts), "shortcut");
    top.Add("associations", Associations(s.Associations), "association");
    top.Add("conditional deletions", Deletions(s.ConditionalDeletions), "delete");
    top.Add("uninstall values", SavedValues(s.SavedValues), "uninstall.value");
    top.Add("programs to close", ProgramsToClose(s.ProgramsToClose), "close_program");
    top.Add("languages", Languages(s.Languages, form.languages), "language");
    top.Add("files", Files(dump.files), "files");
    top.Add("settings record as read", SettingsRecord(dump.settingsRecord, s.InstallPassword));
    return top;
}

} // namespace

void PrintInstallerDump(const InstallerDump &dump, FILE *out, const DumpForm &form)
{
    const DumpNode tree = DescribeInstaller(dump, form);
    if (form.json)
        tree.WriteJson(out);
    else
        tree.WriteText(out);
}
