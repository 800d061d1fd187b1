#include "pack/project_options.h"

#include <cstring>
#include <string>

#include "setupdata/file_record.h"
#include "setupdata/settings_flags.h"

const FlagKey kFlagKeys[] = {
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

const size_t kFlagKeyCount = sizeof kFlagKeys / sizeof kFlagKeys[0];

void SetFlag(Settings &s, const FlagKey &f, bool value)
{
    const bool set = value != f.inverted;
    if (f.word == 1)
        s.ProductFlags = set ? (s.ProductFlags | f.mask) : (s.ProductFlags & ~f.mask);
    else
        s.ProductFlags2 = set ? (s.ProductFlags2 | uint32_t(f.mask)) : (s.ProductFlags2 & ~uint32_t(f.mask));
}

void ReadFlags(const char *table, ProjectTable *t, Settings &s)
{
    for (size_t i = 0; i < kFlagKeyCount; ++i)
        if (const FlagKey &f = kFlagKeys[i]; std::strcmp(f.table, table) == 0)
            SetFlag(s, f, t ? t->Bool(f.key, f.byDefault) : f.byDefault);
}

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

const ChoiceList kBitnessChoices = {{"any", 0}, {"64-bit", 1}, {"32-bit", 2}};
const ChoiceList kWindowsVersionBits = {
    {"other", 0x1}, {"win32s", 0x2}, {"95", 0x4}, {"98", 0x8}, {"me", 0x10},
    {"nt3", 0x20}, {"nt4", 0x40}, {"2000", 0x80}, {"xp", 0x100},
    {"server-2003", 0x200}, {"vista", 0x400}, {"server-2008", 0x800}, {"7", 0x1000},
    {"8", 0x2000}, {"server-2012", 0x4000}, {"10", 0x8000}, {"server-2016", 0x10000},
    {"server-2019", 0x20000},
};
const ChoiceList kSharedBaseChoices = {
    {"default", 0}, {"common-app-data", 1}, {"common-files-32", 2}, {"common-files-64", 3}};
const ChoiceList kAutomaticChoices = {{"default", 0}, {"on", 1}, {"off", 2}};
const ChoiceList kPictureFrameChoices = {
    {"none", 0}, {"sunken", 1}, {"border", 2}, {"sunken-on-side-pages", 3}};
// Bits 0-1: 1 left, 2 right, 3 centred; bits 3-4: 8 top, 16 bottom, 24 centred.
const ChoiceList kProgressPositionChoices = {
    {"unchanged", 0}, {"centre", 3 | 24}, {"top-left", 1 | 8}, {"top", 3 | 8},
    {"top-right", 2 | 8}, {"left", 1 | 24}, {"right", 2 | 24}, {"bottom-left", 1 | 16},
    {"bottom", 3 | 16}, {"bottom-right", 2 | 16}};
const ChoiceList kTextPositionChoices = {
    {"none", 0}, {"top-left", 1}, {"top", 2}, {"top-right", 3},
    {"bottom-left", 4}, {"bottom", 5}, {"bottom-right", 6}};
const ChoiceList kBackgroundPlacementChoices = {{"stretch", 0}, {"fit", 1}, {"scale", 2}, {"tile", 3}};
const ChoiceList kUninstallValueKinds = {{"text", 1}, {"expandable", 2}, {"number", 4}};
const ChoiceList kShortcutShowChoices = {{"normal", 0}, {"minimized", 1}, {"maximized", 2}};
const ChoiceList kAssociationModeChoices = {{"default", 1}, {"open-with", 2}};
const ChoiceList kDeletionConditions = {
    {"always", 0}, {"version-equal", 1}, {"version-at-least", 2}, {"version-at-most", 3},
    {"size-equal", 4}, {"size-at-least", 5}, {"size-at-most", 6}};
const ChoiceList kDeletionFlagBits = {
    {"at_restart", 0x1}, {"at_restart_on_failure", 0x2}, {"install", 0x4}, {"uninstall", 0x8}};
const ChoiceList kCloseModeChoices = {{"close", 0}, {"quit", 1}, {"ask", 2}, {"terminate", 3}};
const ChoiceList kClosePhaseChoices = {{"install", 1}, {"uninstall", 2}, {"uninstall-confirmed", 4}};
const ChoiceList kFileTypeChoices = {
    {"file", kFileTypeProgram}, {"shared", kFileTypeShared}, {"font", kFileTypeFont},
    {"startup", kFileTypeStartup}, {"system", kFileTypeSystem}, {"com", kFileTypeCom},
    {"typelib", kFileTypeTypeLibrary}, {"versioned", kFileTypeVersioned},
    {"driver", kFileTypeDriver}, {"msi", kFileTypeMsiPackage},
    {"control-panel", kFileTypeControlPanel}};
const ChoiceList kReplaceChoices = {
    {"always", 0x00}, {"never", 0x04}, {"if-exists", 0x08}, {"if-missing", 0x0C}, {"unless-newer", 0x10}};
const ChoiceList kMsiUiLevelChoices = {{"none", 2}, {"basic", 3}, {"reduced", 4}, {"full", 5}};
const ChoiceList kFileFlagBits = {
    {"desktop_shortcut", kFileFlagDesktopShortcut}, {"start_menu_shortcut", kFileFlagStartMenuShortcut},
    {"permanent", kFileFlagPermanent}, {"into_uninstall_folder", kFileFlagUninstallFolder},
    {"msi_uninstall_list", kFileFlagMsiUninstallList}};
const ChoiceList kAttributeBits = {
    {"read-only", 0x1}, {"hidden", 0x2}, {"system", 0x4},
    {"archive", 0x20}, {"temporary", 0x100}, {"offline", 0x1000}};
const char *const kLayoutPages[kDialogVariantCount] = {
    "greeting", "language", "licence", "readme", "folder", "start_menu", "progress", "summary"};

const char *NameOf(const ChoiceList &names, int64_t value)
{
    for (const auto &n : names)
        if (n.second == value)
            return n.first;
    return nullptr;
}

std::string NamesOf(const ChoiceList &names)
{
    std::string out;
    for (const auto &n : names)
        out += std::string(out.empty() ? "" : ", ") + n.first;
    return out;
}
