// Reads a project file (TOML, parsed by toml11) into a Project.
//
// Every table is read through ProjectTable, which records the keys it was asked for: a key that no
// reader asked for is an error ("unknown key"), never silently ignored, so that a misspelt option
// cannot leave an installer built with a default the author did not want. Every error names the
// file and line of the value at fault.
#include "pack/project.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "pack/default_language.h"
#include "pack/file_kind.h"
#include "pack/project_files.h"
#include "pack/project_table.h"
#include "pack/pack_error.h"
#include "setupdata/settings_flags.h"

namespace fs = std::filesystem;

namespace {

constexpr double kMaxTextSizeFactor = 20;

// ---------------------------------------------------------------------------------------------
// Values of the settings

// Option bits with a name of their own. `inverted` keys name the effect of a clear bit
// ("greeting_page = false" sets the bit that hides the greeting page).
struct FlagKey {
    const char *table;
    const char *key;
    int word;           // 1: ProductFlags, 2: ProductFlags2
    uint64_t mask;
    bool inverted;
    bool byDefault;     // the key's value when it is absent
};

constexpr FlagKey kFlagKeys[] = {
    {"product", "single_installer", 1, ProductFlag::SingleInstaller, false, false},

    {"folders", "add_to_path", 1, 0x1000, false, false},
    {"folders", "grant_install_folder_rights", 1, ProductFlag::GrantFolderRights, false, false},
    {"folders", "grant_shared_folder_rights", 1, 0x4000000000000000, false, false},
    {"folders", "desktop_defaults_to_product", 1, ProductFlag::DesktopFolderDefaultsToProduct,
     false, false},

    {"wizard", "greeting_page", 1, ProductFlag::NoGreetingPage, true, true},
    {"wizard", "folder_page", 1, ProductFlag::FolderPage, false, true},
    {"wizard", "confirm_folder", 1, ProductFlag::ConfirmFolder, false, false},
    {"wizard", "start_menu_page", 1, ProductFlag::StartMenuPage, false, true},
    {"wizard", "progress_window", 1, ProductFlag::ProgressWindow, false, true},
    {"wizard", "allow_cancel", 1, 0x200000, true, true},
    {"wizard", "finish_message", 1, 0x400000, true, true},
    {"wizard", "offer_view_log", 1, 0x200000000000000, false, false},
    {"wizard", "product_icons", 1, 0x10000000000000, false, false},
    {"wizard", "keep_title_on_language_change", 1, 0x40000000000, false, false},
    {"wizard", "refuse_network_folders", 1, ProductFlag::RefuseNetworkFolders, false, false},
    {"wizard", "refuse_removable_drives", 1, ProductFlag::RefuseRemovableDrives, false, false},
    {"wizard", "errors_in_automatic_mode", 1, 0x800000000, false, false},
    {"wizard", "ascii_folder_only", 2, ProductFlag2::AsciiFolderOnly, false, false},
    {"wizard", "button_images", 2, ProductFlag2::ButtonImages, false, false},
    {"wizard", "launch_checked", 2, 0x4, false, false},
    {"wizard", "open_file_checked", 2, 0x8, false, false},
    {"wizard", "open_second_file_checked", 2, 0x10, false, false},

    {"window", "show", 1, ProductFlag::NoInstallerWindow, true, true},
    {"window", "large_title", 1, ProductFlag::LargeTitle, false, false},

    {"upgrade", "uninstall_earlier_first", 1, ProductFlag::UninstallEarlierFirst, false, false},
    {"upgrade", "compare_versions", 1, ProductFlag::CompareVersions, false, true},
    {"upgrade", "ask_about_earlier_version", 1, ProductFlag::NoEarlierVersionQuestion, true, true},
    {"upgrade", "old_version_warning", 1, ProductFlag::OldVersionWarning, false, false},
    {"upgrade", "record_earlier_folder_value", 2, ProductFlag2::RecordEarlierFolderValue, false,
     false},
    {"upgrade", "reinstall_batch_same_version_only", 2, 0x1, false, false},

    {"install", "verify_files", 1, 0x40000, false, false},
    {"install", "clear_attributes_on_retry", 1, 0x80000, false, false},
    {"install", "replace_locked_new_files", 1, 0x800, false, false},
    {"install", "hide_file_names", 1, 0x2000000000000, false, false},
    {"install", "restore_point", 2, ProductFlag2::RestorePoint, false, false},
    {"install", "require_restart", 1, ProductFlag::RestartNeeded, false, false},
    {"install", "restart_marker", 1, 0x20000000000000, false, false},
    {"install", "ask_restart_in_automatic_mode", 1, 0x20000000000, false, false},
    {"install", "launch_as_command", 2, 0x100000, false, false},
    {"install", "save_readme", 1, ProductFlag::SaveReadme, false, false},
    {"install", "save_licence", 1, ProductFlag::SaveLicence, false, false},
    {"install", "removable_no_uninstall", 1, 0x100000000000000, false, false},
    {"install", "removable_no_shortcuts", 2, ProductFlag2::RemovableNoShortcuts, false, false},
    {"install", "removable_no_registry", 2, ProductFlag2::RemovableNoRegistry, false, false},
    {"install", "removable_no_associations", 2, ProductFlag2::RemovableNoAssociations, false, false},
    {"install", "removable_no_firewall", 2, ProductFlag2::RemovableNoFirewall, false, false},

    {"log", "write", 1, 0x40, false, true},
    {"log", "detailed", 1, 0x100000, false, false},
    {"log", "start_menu_shortcut", 1, 0x800000000000000, false, false},
    {"log", "keep_at_uninstall", 1, 0x40000000000000, false, false},

    {"uninstall", "enabled", 1, ProductFlag::UninstallSupport, false, true},
    {"uninstall", "automatic", 1, ProductFlag::UninstallerAutomatic, false, false},
    {"uninstall", "remove_install_folder", 1, 0x400, false, false},
    {"uninstall", "ask_before_removing_fonts", 1, 0x10, false, false},
    {"uninstall", "ask_before_removing_shared_files", 1, 0x20000, false, false},
    {"uninstall", "restart", 1, 0x200000000000, false, false},
    {"uninstall", "completion_message", 2, 0x40000, false, true},
    {"uninstall", "start_menu_shortcut", 1, 0x2, false, true},
    {"uninstall", "desktop_shortcut", 1, 0x200000000, false, false},
    {"uninstall", "folder_shortcut", 1, 0x4000000000, false, false},
    {"uninstall", "strip_setup_data", 2, ProductFlag2::SeparateUninstaller, false, true},

    {"batches", "hide_pre_install", 1, ProductFlag::PreInstallBatchRunOption, false, true},
    {"batches", "hide_post_install", 1, 0x1000000, false, true},
    {"batches", "hide_exit", 1, 0x2000000, false, true},
    {"batches", "hide_upgrade", 1, ProductFlag::UpgradeBatchRunOption, false, true},
    {"batches", "hide_reinstall", 1, ProductFlag::ReinstallBatchRunOption, false, true},
    {"batches", "hide_uninstall_1", 1, ProductFlag::HideUninstallBatch1, false, true},
    {"batches", "hide_uninstall_2", 1, ProductFlag::HideUninstallBatch2, false, true},
    {"batches", "name_pre_install", 2, ProductFlag2::LogPreInstallBatchName, false, false},
    {"batches", "name_post_install", 2, ProductFlag2::LogPostInstallBatchName, false, false},
    {"batches", "name_upgrade", 2, ProductFlag2::LogUpgradeBatchName, false, false},
    {"batches", "name_reinstall", 2, ProductFlag2::LogReinstallBatchName, false, false},

    {"package", "compress", 1, ProductFlag::CompressedChunks, false, true},
    {"package", "check_image", 1, ProductFlag::CheckImageChecksum, false, false},
};

void SetFlag(Settings &s, const FlagKey &f, bool value)
{
    const bool set = value != f.inverted;
    if (f.word == 1)
        s.ProductFlags = set ? (s.ProductFlags | f.mask) : (s.ProductFlags & ~f.mask);
    else
        s.ProductFlags2 = set ? (s.ProductFlags2 | uint32_t(f.mask)) : (s.ProductFlags2 & ~uint32_t(f.mask));
}

// Reads the named option bits of one table (all of them at their defaults when the table is
// absent).
void ReadFlags(const char *table, ProjectTable *t, Settings &s)
{
    for (const FlagKey &f : kFlagKeys)
        if (std::strcmp(f.table, table) == 0)
            SetFlag(s, f, t ? t->Bool(f.key, f.byDefault) : f.byDefault);
}

// "#rrggbb" or an integer: a Windows colour (0x00bbggrr).
uint32_t Colour(ProjectTable &t, const char *key, uint32_t fallback)
{
    const TomlValue *v = t.Get(key);
    if (!v)
        return fallback;
    if (v->is_integer()) {
        if (v->as_integer() < 0 || v->as_integer() > 0xFFFFFFFF)
            FailAt(*v, std::string("\"") + key + "\" must be a 32-bit colour value");
        return static_cast<uint32_t>(v->as_integer());
    }
    const std::string text = v->is_string() ? TextOf(*v) : std::string();
    if (text.size() != 7 || text[0] != '#' ||
        text.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos)
        FailAt(*v, std::string("\"") + key + "\" must be a colour written \"#rrggbb\"");
    const unsigned long rgb = std::stoul(text.substr(1), nullptr, 16);
    return static_cast<uint32_t>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

// ---------------------------------------------------------------------------------------------
// The reader

class ProjectReader {
public:
    ProjectReader(Project &project) : p_(project), s_(project.settings) {}

    void Read(const TomlValue &root)
    {
        ProjectTable top(root, "");
        std::optional<ProjectTable> product = top.Table("product");
        if (!product) {
            // A misspelt [product] is better reported as such than as a missing one.
            for (const char *name : {"folders", "wizard", "window", "upgrade", "install", "log",
                                     "uninstall", "batches", "notify", "package", "required_product",
                                     "shortcut", "association", "delete", "close_program", "language",
                                     "advanced", "files"})
                top.Know(name);
            top.Finish();
            throw PackError(p_.path + ": the project has no [product] table (it needs at least "
                                      "the product's name)");
        }
        ReadProduct(*product);
        ReadSection(top, "folders", &ProjectReader::ReadFolders);
        ReadSection(top, "wizard", &ProjectReader::ReadWizard);
        ReadSection(top, "window", &ProjectReader::ReadWindow);
        ReadSection(top, "upgrade", &ProjectReader::ReadUpgrade);
        ReadSection(top, "install", &ProjectReader::ReadInstall);
        ReadSection(top, "log", &ProjectReader::ReadLog);
        ReadSection(top, "uninstall", &ProjectReader::ReadUninstall);
        ReadSection(top, "batches", &ProjectReader::ReadBatches);
        ReadSection(top, "notify", &ProjectReader::ReadNotify);
        ReadSection(top, "package", &ProjectReader::ReadPackage);
        if (std::optional<ProjectTable> t = top.Table("required_product"))
            ReadRequiredProduct(*t);
        for (ProjectTable &t : top.Tables("shortcut"))
            ReadShortcut(t);
        for (ProjectTable &t : top.Tables("association"))
            ReadAssociation(t);
        for (ProjectTable &t : top.Tables("delete"))
            ReadDeletion(t);
        for (ProjectTable &t : top.Tables("close_program"))
            ReadProgramToClose(t);
        ReadLanguages(top.Tables("language"));
        if (std::optional<ProjectTable> t = top.Table("advanced"))
            ReadAdvanced(*t);
        top.Know("files");
        top.Finish();
        p_.files = ReadFileEntries(top, p_.folder, p_.warnings);
        if (p_.files.empty())
            p_.warnings.push_back(p_.path + ": the project has no files to install (no [[files]] entry)");
        CheckCounts(top);
    }

private:
    using SectionReader = void (ProjectReader::*)(ProjectTable &);

    void ReadSection(ProjectTable &top, const char *name, SectionReader reader)
    {
        std::optional<ProjectTable> t = top.Table(name);
        if (t) {
            (this->*reader)(*t);
            t->Finish();
        } else {
            ProjectTable empty(emptyTable_, name);
            (this->*reader)(empty);
        }
    }

    // A file named by the project, relative to the project's folder, read whole. A folder or a
    // file of the wrong kind is an error here: read blindly, a folder gives no bytes at all and a
    // mistaken file gives an installer that shows nothing or garbage.
    std::string FileBytes(const TomlValue &at, FileKind kind = FileKind::Any)
    {
        const std::string name = TextOf(at);
        const std::string path = ResolveProjectPath(p_.folder, name);
        std::error_code error;
        if (fs::is_directory(path, error))
            FailAt(at, "\"" + name + "\" is a folder, not a file (" + path + ")");
        std::ifstream in(path, std::ios::binary);
        if (!in)
            FailAt(at, "cannot read \"" + name + "\" (" + path + ")");
        std::ostringstream bytes;
        bytes << in.rdbuf();
        if (in.bad())
            FailAt(at, "cannot read \"" + name + "\" (" + path + ")");
        p_.inputs.push_back({path, LocationOf(at)});
        std::string content = bytes.str();
        if (const char *wrong = WrongFormat(content, kind))
            FailAt(at, "\"" + name + "\" is not " + wrong);
        return content;
    }

    String FileString(const TomlValue &at, FileKind kind = FileKind::Any)
    {
        const std::string bytes = FileBytes(at, kind);
        if (bytes.size() > 0x40000000)
            FailAt(at, "the file is larger than 1 GiB");
        return ByteString(bytes);
    }

    // A licence or readme document: rich text as it is, plain text with Windows line ends.
    String Document(const TomlValue &at)
    {
        std::string bytes = FileBytes(at);
        const bool rich = bytes.rfind("{\\rtf", 0) == 0 || bytes.rfind("\xEF\xBB\xBF{\\rtf", 0) == 0;
        return ByteString(rich ? bytes : WithCrLf(bytes));
    }

    // Text readers of the forms the settings use; each returns `fallback` when the key is absent.
    String WideKey(ProjectTable &t, const char *key, const String &fallback = String())
    {
        const TomlValue *v = t.Text(key);
        return v ? WideText(*v, TextOf(*v)) : fallback;
    }
    String NarrowKey(ProjectTable &t, const char *key, const String &fallback = String())
    {
        const TomlValue *v = t.Text(key);
        return v ? Windows1252Text(*v, TextOf(*v)) : fallback;
    }
    String PathKey(ProjectTable &t, const char *key, const String &fallback = String())
    {
        const TomlValue *v = t.Text(key);
        return v ? PathText(*v, TextOf(*v)) : fallback;
    }
    String BatchKey(ProjectTable &t, const char *key)
    {
        const TomlValue *v = t.Text(key);
        return v ? Windows1252Text(*v, WithCrLf(TextOf(*v))) : String();
    }
    String FileKey(ProjectTable &t, const char *key, FileKind kind)
    {
        const TomlValue *v = t.Text(key);
        return v ? FileString(*v, kind) : String();
    }

    void ReadProduct(ProjectTable &t)
    {
        const TomlValue *name = t.Text("name");
        if (name) {
            productName_ = TextOf(*name);
            s_.DisplayName = WideText(*name, productName_);
        }
        s_.DisplayVersion = NarrowKey(t, "version");
        s_.Publisher = NarrowKey(t, "publisher");
        s_.ProductDescription = WideKey(t, "description");
        s_.UninstallName = WideKey(t, "uninstall_name");
        s_.ProductRegistry = WideKey(t, "registry_key");
        s_.Bitness = static_cast<uint8_t>(
            t.Choice("bitness", 0, {{"any", 0}, {"64-bit", 1}, {"32-bit", 2}}));
        s_.InstallPassword = NarrowKey(t, "password");
        s_.ProductIcon = FileKey(t, "icon", FileKind::Icon);
        s_.ExtraSpace = t.Integer("extra_space", 0, 0, INT64_MAX);
        s_.UnsupportedSystems = UnsupportedSystems(t);
        ReadFlags("product", &t, s_);
        // Unknown keys first: a misspelt "name" is better reported as such than as a missing one.
        t.Finish();
        if (productName_.empty())
            FailAt(t.Self(), "[product] needs a \"name\" (the product's name)");
    }

    uint32_t UnsupportedSystems(ProjectTable &t)
    {
        static const std::pair<const char *, uint32_t> kSystems[] = {
            {"other", 0x1}, {"win32s", 0x2}, {"95", 0x4}, {"98", 0x8}, {"me", 0x10},
            {"nt3", 0x20}, {"nt4", 0x40}, {"2000", 0x80}, {"xp", 0x100},
            {"server-2003", 0x200}, {"vista", 0x400}, {"server-2008", 0x800}, {"7", 0x1000},
            {"8", 0x2000}, {"server-2012", 0x4000}, {"10", 0x8000}, {"server-2016", 0x10000},
            {"server-2019", 0x20000},
        };
        const TomlValue *v = t.Get("unsupported_windows");
        if (!v)
            return 0;
        if (v->is_integer()) {
            if (v->as_integer() < 0 || v->as_integer() > 0xFFFFFFFF)
                FailAt(*v, "\"unsupported_windows\" must be a 32-bit mask");
            return static_cast<uint32_t>(v->as_integer());
        }
        uint32_t mask = 0;
        for (const TomlValue *e : t.TextList("unsupported_windows")) {
            bool found = false;
            for (const auto &system : kSystems)
                if (TextOf(*e) == system.first)
                    mask |= system.second, found = true;
            if (!found)
                FailAt(*e, "unknown Windows version \"" + TextOf(*e) +
                             "\" (known: win32s, 95, 98, me, nt3, nt4, 2000, xp, server-2003, vista, "
                             "server-2008, 7, 8, server-2012, 10, server-2016, server-2019, other)");
        }
        return mask;
    }

    void ReadFolders(ProjectTable &t)
    {
        s_.InstallFolderSetting = WideKey(t, "install");
        s_.ProductStartMenu = WideKey(t, "start_menu");
        s_.DesktopFolder = WideKey(t, "desktop");
        s_.SharedPath = WideKey(t, "shared");
        s_.SharedFolderBase = static_cast<uint8_t>(t.Choice(
            "shared_base", 0,
            {{"default", 0}, {"common-app-data", 1}, {"common-files-32", 2}, {"common-files-64", 3}},
            255));
        s_.SharedSubfolder = WideKey(t, "shared_in_install");
        s_.UninstallSubdir = WideKey(t, "uninstall_subfolder");
        s_.UninstallerFileName = PathKey(t, "uninstaller_name", String("Uninstall.exe"));
        if (s_.UninstallerFileName.Empty())
            FailAt(*t.Get("uninstaller_name"), "\"uninstaller_name\" must not be empty");
        s_.EarlierFolderValue = PathKey(t, "earlier_folder_value");
        s_.AddToPathSubfolder = WideKey(t, "add_to_path_subfolder");
        s_.ShortcutMode = t.Bool("shortcuts_for_all_users", true) ? 1 : 0;
        ReadFlags("folders", &t, s_);
    }

    void ReadWizard(ProjectTable &t)
    {
        s_.AutomaticModeOverride =
            static_cast<uint8_t>(t.Choice("automatic", 0, {{"default", 0}, {"on", 1}, {"off", 2}}, 255));
        s_.StatusDisplayTime = static_cast<uint16_t>(t.Integer("status_time", 0, 0, 9999));
        s_.BannerHeadline = WideKey(t, "banner_headline");
        s_.PictureFrameStyle = static_cast<uint8_t>(t.Choice(
            "picture_frame", 0, {{"none", 0}, {"sunken", 1}, {"border", 2}, {"sunken-on-side-pages", 3}},
            255));
        s_.GreetingText = WideKey(t, "greeting_text");
        if (const TomlValue *v = t.Text("greeting_link")) {
            s_.GreetingLink = Windows1252Text(*v, TextOf(*v));
            if (s_.GreetingLink.Length() > 0xFFFF)
                FailAt(*v, "\"greeting_link\" is longer than 65,535 bytes");
        }
        s_.LicenceDocuments = Documents(t, "licence");
        s_.ReadmeDocuments = Documents(t, "readme");
        s_.StartSound = FileKey(t, "start_sound", FileKind::Wave);
        s_.ProgressWindowPosition = ProgressPosition(t);
        ReadDialogVariants(t);
        ReadFlags("wizard", &t, s_);
    }

    std::vector<String> Documents(ProjectTable &t, const char *key)
    {
        std::vector<String> out;
        const std::vector<const TomlValue *> files = t.TextList(key);
        if (files.size() > 20)
            FailAt(*files[20], std::string("at most 20 documents can be given in \"") + key + "\"");
        for (const TomlValue *f : files)
            out.push_back(Document(*f));
        return out;
    }

    int32_t ProgressPosition(ProjectTable &t)
    {
        // Bits 0-1: 1 left, 2 right, 3 centred; bits 3-4: 8 top, 16 bottom, 24 centred.
        return static_cast<int32_t>(t.Choice("progress_position", 3 | 24,
                                             {{"unchanged", 0}, {"centre", 3 | 24}, {"top-left", 1 | 8},
                                              {"top", 3 | 8}, {"top-right", 2 | 8}, {"left", 1 | 24},
                                              {"right", 2 | 24}, {"bottom-left", 1 | 16},
                                              {"bottom", 3 | 16}, {"bottom-right", 2 | 16}},
                                             INT32_MAX));
    }

    void ReadDialogVariants(ProjectTable &t)
    {
        static const char *const kPages[kDialogVariantCount] = {
            "greeting", "language", "licence", "readme", "folder", "start_menu", "progress", "summary"};
        s_.DialogVariants.fill(1);
        const TomlValue *v = t.Get("layout");
        if (!v)
            return;
        if (v->is_integer()) {
            const int64_t n = t.Integer("layout", 1, 0, 3);
            s_.DialogVariants.fill(static_cast<int32_t>(n));
            return;
        }
        std::optional<ProjectTable> layout = t.Table("layout");
        for (int i = 0; i < kDialogVariantCount; ++i)
            s_.DialogVariants[i] = static_cast<int32_t>(layout->Integer(kPages[i], 1, 0, INT32_MAX));
        layout->Finish();
    }

    void ReadWindow(ProjectTable &t)
    {
        s_.TaskbarText = WideKey(t, "taskbar_text", WideText(t.Self(), productName_ + " Setup"));
        s_.DisplayTitle = WideKey(t, "title");
        // Factors of the standard point size (26 for the title, 16 for the copyright line): past 20
        // the text no longer fits any screen.
        s_.TitleSize = t.Number("title_size", 1.0, 0, kMaxTextSizeFactor);
        s_.TitleColor = Colour(t, "title_color", 0xFFFFFF);
        s_.TitleShadow = static_cast<uint8_t>(t.Integer("title_shadow", 1, 0, 255));
        s_.TitlePosition = static_cast<uint8_t>(Position(t, "title_position", 1));
        s_.TitleFont = NarrowKey(t, "title_font", String("Segoe UI,Arial"));
        s_.TopColor = Colour(t, "top_color", 0x804020);      // #204080
        s_.BottomColor = Colour(t, "bottom_color", 0x200000); // #000020
        if (const TomlValue *bitmap = t.Text("background")) {
            s_.BackgroundBitmap = FileString(*bitmap, FileKind::Bitmap);
            if (s_.BackgroundBitmap.Empty())
                FailAt(*bitmap, "the background picture is empty");
            s_.ProductFlags |= ProductFlag::BackgroundBitmap;
        }
        s_.BitmapTPI = static_cast<int32_t>(t.Integer("background_transparent_index", -1, -1, INT32_MAX));
        s_.BitmapSize = static_cast<int32_t>(
            t.Integer("background_size", s_.BackgroundBitmap.Empty() ? 0 : 100, 0, 100));
        s_.StretchMode = static_cast<int32_t>(t.Choice(
            "background_placement", 0, {{"stretch", 0}, {"fit", 1}, {"scale", 2}, {"tile", 3}}, INT32_MAX));
        if (std::optional<ProjectTable> c = t.Table("copyright")) {
            s_.CopyrightText = WideKey(*c, "text");
            s_.CopyrightFont = NarrowKey(*c, "font", String("Segoe UI,Arial"));
            s_.CopyrightSize = c->Number("size", 1.0, 0, kMaxTextSizeFactor);
            s_.CopyrightColor = Colour(*c, "color", 0xFFFFFF);
            s_.CopyrightPos = static_cast<uint8_t>(Position(*c, "position", 6));
            c->Finish();
        }
        ReadFlags("window", &t, s_);
    }

    int64_t Position(ProjectTable &t, const char *key, int64_t fallback)
    {
        return t.Choice(key, fallback,
                        {{"none", 0}, {"top-left", 1}, {"top", 2}, {"top-right", 3},
                         {"bottom-left", 4}, {"bottom", 5}, {"bottom-right", 6}},
                        255);
    }

    void ReadUpgrade(ProjectTable &t)
    {
        s_.MinUpgradableVersion = NarrowKey(t, "min_upgradable_version");
        s_.WarningVersion = NarrowKey(t, "warning_version");
        if (const TomlValue *v = t.Text("no_downgrade_below")) {
            s_.NoDowngradeBelow = Windows1252Text(*v, TextOf(*v));
            if (s_.NoDowngradeBelow.Length() > 255)
                FailAt(*v, "\"no_downgrade_below\" is longer than 255 bytes");
        }
        ReadFlags("upgrade", &t, s_);
    }

    void ReadInstall(ProjectTable &t)
    {
        s_.LaunchOnExit = NarrowKey(t, "launch_on_exit");
        s_.RegistryText = NarrowKey(t, "registry_text");
        s_.AssociationText = NarrowKey(t, "association_text");
        s_.ReadFileDataFromFile = t.Bool("data_from_file", false) ? 1 : 0;
        ReadFlags("install", &t, s_);
    }

    void ReadLog(ProjectTable &t) { ReadFlags("log", &t, s_); }

    void ReadUninstall(ProjectTable &t)
    {
        if (const TomlValue *v = t.Get("date")) {
            s_.UninstallerDate = DateOf(*v);
            p_.uninstallerDateGiven = true;
        }
        if (const TomlValue *v = t.Text("support_url")) {
            s_.SupportOffer = Windows1252Text(*v, TextOf(*v));
            if (s_.SupportOffer.Length() > 0xFFFF)
                FailAt(*v, "\"support_url\" is longer than 65,535 bytes");
        }
        s_.MsiBlock = WideKey(t, "msi_block");
        s_.UninstallRecordStream = NarrowKey(t, "record_stream");
        for (ProjectTable &v : t.Tables("value")) {
            UninstallData d;
            const TomlValue *name = v.Text("name");
            if (!name || TextOf(*name).empty())
                FailAt(v.Self(), "an uninstall value needs a \"name\"");
            d.name = PathText(*name, TextOf(*name));
            d.kind = static_cast<uint8_t>(
                v.Choice("kind", 1, {{"text", 1}, {"expandable", 2}, {"number", 4}}));
            d.text = NarrowKey(v, "text");
            v.Finish();
            s_.SavedValues.push_back(d);
        }
        ReadFlags("uninstall", &t, s_);
    }

    void ReadBatches(ProjectTable &t)
    {
        s_.PreInstallBatch = BatchKey(t, "pre_install");
        s_.PostInstallBatch = BatchKey(t, "post_install");
        s_.ExitBatch = BatchKey(t, "exit");
        s_.UninstallBatch1 = BatchKey(t, "uninstall_1");
        s_.UninstallBatch2 = BatchKey(t, "uninstall_2");
        s_.UpgradeBatch = BatchKey(t, "upgrade");
        s_.ReinstallBatch = BatchKey(t, "reinstall");
        ReadFlags("batches", &t, s_);
    }

    void ReadNotify(ProjectTable &t)
    {
        s_.InstallNotifyURL = NarrowKey(t, "install_url");
        s_.WizardNotifyURL = NarrowKey(t, "wizard_url");
        s_.NotifyURL = NarrowKey(t, "uninstall_url");
    }

    void ReadPackage(ProjectTable &t)
    {
        p_.package.level = static_cast<int>(t.Integer("level", 9, 0, 9));
        p_.package.chunkSize =
            static_cast<int32_t>(t.Integer("chunk_size", 1 << 20, 4096, 0x10000000));
        p_.package.encrypt = t.Bool("encrypt", false);
        if (const TomlValue *key = t.Text("key")) {
            const std::string hex = TextOf(*key);
            if (hex.size() != 16 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                FailAt(*key, "\"key\" must be 16 hexadecimal digits (the 8-byte cipher key)");
            for (int i = 0; i < 8; ++i)
                p_.package.key[i] = static_cast<uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
            p_.package.keyGiven = true;
            if (!p_.package.encrypt)
                FailAt(*key, "\"key\" is given but \"encrypt\" is not true");
        }
        if (p_.package.encrypt)
            s_.ProductFlags2 |= ProductFlag2::Blowfish;
        ReadSignCommand(t);
        ReadFlags("package", &t, s_);
    }

    void ReadSignCommand(ProjectTable &t)
    {
        const std::vector<const TomlValue *> words = t.TextList("sign");
        if (words.empty())
            return;
        const TomlValue &at = *t.Get("sign");
        bool input = false;
        for (const TomlValue *w : words) {
            input = input || TextOf(*w).find("{input}") != std::string::npos;
            p_.package.signCommand.push_back(TextOf(*w));
        }
        if (!at.is_array())
            FailAt(at, "\"sign\" must be a list: the command and its arguments, one text each");
        if (!input)
            FailAt(at, "\"sign\" must name the installer to sign as \"{input}\"");
        // A signature follows the last section, and such an installer needs its data to end the file.
        if (s_.ReadFileDataFromFile)
            FailAt(at, "an installer that reads its file data from its own file ([install] "
                       "data_from_file) cannot be signed: its data must end the file, and a signature "
                       "would follow it");
    }

    void ReadRequiredProduct(ProjectTable &t)
    {
        s_.ProductFlags |= ProductFlag::RequiredProduct;
        s_.RequiredProductName = NarrowKey(t, "name");
        s_.RequiredProductDisplayName = NarrowKey(t, "display_name");
        s_.RequiredProductMinVersion = NarrowKey(t, "min_version");
        t.Finish();
    }

    void ReadShortcut(ProjectTable &t)
    {
        ShortcutRecord r;
        const TomlValue *target = t.Text("target");
        if (!target || TextOf(*target).empty())
            FailAt(t.Self(), "a [[shortcut]] needs a \"target\"");
        r.target = PathText(*target, TextOf(*target));
        r.name = WideKey(t, "name");
        r.icon = PathKey(t, "icon");
        r.arguments = WideKey(t, "arguments");
        r.workingFolder = PathKey(t, "working_folder");
        r.folder = PathKey(t, "folder");
        r.desktop = t.Bool("desktop", false);
        r.startMenu = t.Bool("start_menu", false);
        r.startup = t.Bool("startup", false);
        r.permanent = t.Bool("permanent", false);
        r.show = static_cast<uint8_t>(
            t.Choice("show", 0, {{"normal", 0}, {"minimized", 1}, {"maximized", 2}}));
        r.expandTarget = 1;
        if (!r.desktop && !r.startMenu && !r.startup && r.folder.Empty())
            FailAt(t.Self(), "a [[shortcut]] must be placed somewhere: set desktop, start_menu or "
                           "startup to true, or give a folder");
        t.Finish();
        s_.Shortcuts.push_back(r);
    }

    void ReadAssociation(ProjectTable &t)
    {
        FileAssociation a;
        a.mode = static_cast<int32_t>(
            t.Choice("mode", 1, {{"default", 1}, {"open-with", 2}}, INT32_MAX));
        const TomlValue *extension = t.Text("extension");
        if (!extension || TextOf(*extension).empty())
            FailAt(t.Self(), "an [[association]] needs an \"extension\"");
        a.extension = Windows1252Text(*extension, TextOf(*extension));
        a.className = NarrowKey(t, "class");
        a.description = NarrowKey(t, "description");
        a.verb = NarrowKey(t, "verb", String("open"));
        a.verbText = NarrowKey(t, "verb_text");
        a.command = PathKey(t, "command");
        a.language = WideKey(t, "language");
        a.icon = PathKey(t, "icon");
        t.Finish();
        s_.Associations.push_back(a);
    }

    void ReadDeletion(ProjectTable &t)
    {
        FileDeletion d;
        const TomlValue *path = t.Text("path");
        if (!path || TextOf(*path).empty())
            FailAt(t.Self(), "a [[delete]] entry needs a \"path\"");
        d.path = PathText(*path, TextOf(*path));
        d.condition = static_cast<uint8_t>(
            t.Choice("when", 0,
                     {{"always", 0}, {"version-equal", 1}, {"version-at-least", 2},
                      {"version-at-most", 3}, {"size-equal", 4}, {"size-at-least", 5},
                      {"size-at-most", 6}},
                     255));
        d.value = NarrowKey(t, "value");
        const bool install = t.Bool("install", true);
        const bool uninstall = t.Bool("uninstall", false);
        d.flags = static_cast<uint8_t>((t.Bool("at_restart", false) ? 0x1 : 0) |
                                       (t.Bool("at_restart_on_failure", false) ? 0x2 : 0) |
                                       (install ? 0x4 : 0) | (uninstall ? 0x8 : 0));
        t.Finish();
        s_.ConditionalDeletions.push_back(d);
    }

    void ReadProgramToClose(ProjectTable &t)
    {
        AutoCloseEntry e;
        e.windowClass = NarrowKey(t, "window_class");
        e.windowTitle = NarrowKey(t, "window_title");
        if (e.windowClass.Empty() && e.windowTitle.Empty())
            FailAt(t.Self(), "a [[close_program]] entry needs a \"window_class\" or a \"window_title\"");
        e.programName = NarrowKey(t, "program");
        e.mode = static_cast<int32_t>(
            t.Choice("mode", 0, {{"close", 0}, {"quit", 1}, {"ask", 2}, {"terminate", 3}}, 255));
        e.phase = static_cast<uint8_t>(
            t.Choice("phase", 1, {{"install", 1}, {"uninstall", 2}, {"uninstall-confirmed", 4}}, 255));
        t.Finish();
        s_.ProgramsToClose.push_back(e);
    }

    // The language table: the built-in English rows, and for each [[language]] those rows with
    // the project's texts over them. Without any [[language]], one language: English.
    void ReadLanguages(std::vector<ProjectTable> languages)
    {
        int defaults = 0;
        const LanguageRowText *rows = DefaultLanguageRows(&defaults);
        int rowCount = rows[defaults - 1].row + 1;

        struct Column {
            String name;
            std::map<int, String> texts;
        };
        std::vector<Column> columns;
        if (languages.empty())
            columns.push_back({String(u"English"), {}});
        if (languages.size() > 200)
            FailAt(languages[200].Self(), "at most 200 languages can be given");
        for (ProjectTable &l : languages) {
            Column c;
            const TomlValue *name = l.Text("name");
            if (!name || TextOf(*name).empty())
                FailAt(l.Self(), "a [[language]] needs a \"name\" (the name shown on the language page)");
            c.name = WideText(*name, TextOf(*name));
            for (const Column &other : columns)
                if (other.name == c.name)
                    FailAt(*name, "the language \"" + TextOf(*name) + "\" is given twice");
            if (std::optional<ProjectTable> texts = l.Table("text")) {
                for (const auto &kv : texts->Self().as_table()) {
                    const std::string &key = kv.first;
                    int row = LanguageRowByName(key);
                    if (row < 0 && !key.empty() && key.find_first_not_of("0123456789") == std::string::npos &&
                        key.size() <= 4)
                        row = std::stoi(key);
                    if (row < 0)
                        FailAt(kv.second, "unknown language row \"" + key +
                                            "\" (give a row number from 0 to 9999 or the name of a "
                                            "built-in row)");
                    if (!kv.second.is_string())
                        FailAt(kv.second, "the text of row \"" + key + "\" must be a text");
                    if (c.texts.count(row))
                        FailAt(kv.second, "row " + std::to_string(row) + " is given twice");
                    c.texts[row] = WideText(kv.second, WithCrLf(TextOf(kv.second)));
                    rowCount = std::max(rowCount, row + 1);
                }
            }
            l.Finish();
            columns.push_back(std::move(c));
        }

        LanguageTable &table = s_.Languages;
        table.names.clear();
        table.rows.assign(rowCount, {});
        for (const Column &c : columns)
            table.names.push_back(c.name);
        for (int row = 0; row < rowCount; ++row) {
            const String builtIn = *WideOfUtf8(DefaultLanguageText(row));
            for (const Column &c : columns) {
                const auto it = c.texts.find(row);
                table.rows[row].push_back(it != c.texts.end() ? it->second : builtIn);
            }
        }
    }

    void ReadAdvanced(ProjectTable &t)
    {
        // A flag word is a set of bits, never a negative number (TOML integers hold 63 bits and a
        // sign; the top bit has no option).
        const int64_t flags = t.Integer("product_flags", 0, 0, INT64_MAX);
        s_.ProductFlags |= static_cast<uint64_t>(flags);
        s_.ProductFlags2 |= static_cast<uint32_t>(t.Integer("product_flags2", 0, 0, 0xFFFFFFFF));
        if (const TomlValue *v = t.Text("reserved")) {
            const std::string hex = TextOf(*v);
            if (hex.size() != 40 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                FailAt(*v, "\"reserved\" must be 40 hexadecimal digits (20 bytes)");
            for (int i = 0; i < 20; ++i)
                s_.Reserved[i] = static_cast<uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
        }
        if (const TomlValue *v = t.Text("file_step_block"))
            s_.FileStepBlock = FileString(*v);
        // Texts whose use the install steps settle; their stored forms are fixed here.
        const std::vector<const TomlValue *> end = FixedTexts(t, "end_texts", 6);
        for (size_t i = 0; i < end.size(); ++i)
            s_.EndTexts[i] = Windows1252Text(*end[i], TextOf(*end[i]));
        const std::vector<const TomlValue *> fileStep = FixedTexts(t, "file_step_texts", 2);
        if (!fileStep.empty()) {
            s_.FileStepTexts[0] = WideText(*fileStep[0], TextOf(*fileStep[0]));
            s_.FileStepTexts[1] = Windows1252Text(*fileStep[1], TextOf(*fileStep[1]));
        }
        const std::vector<const TomlValue *> shortcutStep = FixedTexts(t, "shortcut_step_texts", 2);
        for (size_t i = 0; i < shortcutStep.size(); ++i)
            s_.ShortcutStepTexts[i] = WideText(*shortcutStep[i], TextOf(*shortcutStep[i]));
        t.Finish();
    }

    // A list of exactly `count` texts, or none at all.
    std::vector<const TomlValue *> FixedTexts(ProjectTable &t, const char *key, size_t count)
    {
        std::vector<const TomlValue *> texts = t.TextList(key);
        if (!texts.empty() && texts.size() != count)
            FailAt(*t.Get(key), std::string("\"") + key + "\" must be a list of " +
                                    std::to_string(count) + " texts");
        return texts;
    }

    void CheckCounts(ProjectTable &top)
    {
        const auto tooMany = [&](const char *key, size_t n, size_t max) {
            if (n > max)
                FailAt(*top.Get(key), std::string("at most ") + std::to_string(max) + " [[" + key +
                                        "]] entries can be given");
        };
        tooMany("shortcut", s_.Shortcuts.size(), 1000);
        tooMany("association", s_.Associations.size(), 1000);
        tooMany("close_program", s_.ProgramsToClose.size(), 1000);
        tooMany("delete", s_.ConditionalDeletions.size(), 1001);
        if (s_.SavedValues.size() > 1000)
            throw PackError(p_.path + ": at most 1,000 uninstall values can be given");
    }

    Project &p_;
    Settings &s_;
    std::string productName_;
    const TomlValue emptyTable_ = TomlValue(toml::table{});
};

Project ReadFrom(const TomlValue &root, const std::string &name, const std::string &folder)
{
    Project project;
    project.path = name;
    project.folder = folder;
    ProjectReader(project).Read(root);
    return project;
}

} // namespace

Project ReadProjectText(const std::string &text, const std::string &name, const std::string &folder)
{
    std::istringstream in(text);
    TomlValue root;
    try {
        root = toml::parse(in, name);
    } catch (const toml::syntax_error &e) {
        throw PackError(TomlSyntaxMessage(e));
    }
    return ReadFrom(root, name, folder);
}

Project ReadProject(const std::string &path)
{
    std::error_code error;
    if (fs::is_directory(path, error))
        throw PackError("the project file " + path + " is a folder");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        ThrowSystemError("cannot open the project file " + path);
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        ThrowSystemError("cannot read the project file " + path);
    const size_t slash = path.rfind('/');
    Project project = ReadProjectText(text.str(), path, slash == std::string::npos ? "." : path.substr(0, slash));
    project.inputs.insert(project.inputs.begin(), ProjectInput{path, ""});
    return project;
}
