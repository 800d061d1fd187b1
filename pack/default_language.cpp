#include "pack/default_language.h"

#include <cstring>

namespace {

// Texts are written in this product's own words. Rows with a conversion keep exactly the
// conversions their users pass (a row shown with one folder name has one %s, and so on); rows whose
// arguments are not texts (drive letters) use %c, which cannot misread its argument.
constexpr LanguageRowText kRows[] = {
    {0, "window_title", "<product> Setup"},
    {1, "greeting",
     "Welcome to the installation of <product>.\r\n\r\n"
     "This program will install <product> on your computer. Please close other programs before "
     "you continue.\r\n\r\nClick Next to continue or Cancel to leave the installation."},
    // The earlier-version question: rows 3 to 6 are filled with a line break, the earlier folder,
    // two line breaks and row 7; row 2 is its caption.
    {2, "earlier_version_caption", "<product> Is Already Installed"},
    {3, "earlier_version_found", "<product> is already installed in this folder:%s%s%s%s"},
    {4, "same_version_found", "This version of <product> is already installed in this folder:%s%s%s%s"},
    {5, "older_version_found", "An earlier version of <product> is installed in this folder:%s%s%s%s"},
    {6, "newer_version_found", "A newer version of <product> is installed in this folder:%s%s%s%s"},
    {7, "continue_question", "Do you want to continue with the installation?"},
    {8, "status_locating_data", "Locating the installation data..."},
    {9, "must_uninstall",
     "The installed version of <product> must be removed before this version can be installed."},
    {10, "uninstall_failed", "Some parts of <product> could not be removed:\r\n\r\n%s"},
    {11, "choose_folder", "Choose the folder in which to install <product>."},
    {12, "required_product_missing",
     "This installation needs %s, which is not installed on this computer. Please install it first."},
    {13, "corrupt_installer",
     "This installation program is damaged (error code %d). Please download it again."},
    {14, "invalid_folder", "The folder name is not valid:"},
    {15, "uninstall_complete_caption", "Removal Complete"},
    {16, "drive_not_available", "Drive %c: is not available. Please choose another folder."},
    {17, "drive_root_refused", "Please choose a folder, not the top folder of a drive."},
    {18, "programs_folder_refused",
     "%s is the folder for all programs. Please choose a folder of its own for <product>."},
    {19, "low_disk_space",
     "There may not be enough free space on the chosen drive for <product>.\r\n\r\n"
     "Do you want to continue anyway?"},
    {20, "question_caption", "<product>"},
    {21, "error_caption", "Setup Error"},
    {22, "confirm_folder", "<product> will be installed in the chosen folder. Do you want to continue?"},
    {23, "create_folder", "The chosen folder does not exist yet. It will be created."},
    {24, "folder_page_title", "Installation Folder"},
    {25, "folder_not_created", "Could not create the folder"},
    {26, "status_shortcuts", "Creating shortcuts..."},
    {27, "password_label", "Password:"},
    {28, "cancel_question", "Do you really want to stop the installation of <product>?"},
    {29, "status_unpacking", "Unpacking files..."},
    {30, "folder_not_ascii",
     "The folder name may only contain plain (ASCII) characters. Please choose another folder."},
    {31, "write_failed", "Could not write"},
    {32, "status_registering", "Registering <product>..."},
    {33, "uninstall_shortcut", "Uninstall <product>"},
    {34, "uninstall_complete", "<product> has been removed from your computer."},
    {35, "shared_file_caption", "Remove Shared File?"},
    {36, "status_finishing", "Finishing the installation..."},
    {37, "restart_question",
     "Your computer must be restarted to complete the installation of <product>.\r\n\r\n"
     "Do you want to restart now?"},
    {38, "shortcut_name", "%s"},
    {39, "progress_text", "Please wait while <product> is installed on your computer."},
    {40, "install_failed",
     "Some parts of <product> could not be installed. The details are in the installation log:\r\n"
     "%s\r\n\r\nDo you want to read the log now?"},
    {41, "install_failed_caption", "Installation Incomplete"},
    {42, "install_complete", "<product> has been installed on your computer."},
    {43, "install_complete_caption", "Installation Complete"},
    {44, "licence_title", "Licence Agreement"},
    {45, "licence_accept", "I &Accept"},
    {46, "licence_decline", "I &Decline"},
    {47, "licence_text",
     "Please read the licence agreement below. You must accept it to install <product>."},
    {48, "next_button", "&Next >"},
    {49, "cancel_button", "Cancel"},
    {50, "readme_title", "Read Me"},
    {51, "readme_text", "Please read the following information before you continue."},
    {52, "browse_button", "B&rowse..."},
    {53, "uninstall_question", "Do you want to remove <product> and all of its parts from your computer?"},
    {54, "progress_title", "Installing <product>"},
    {55, "uninstall_title", "Remove <product>"},
    {56, "remove_font_question", "<product> no longer needs the font %s. Do you want to remove it?"},
    {57, "remove_font_caption", "Remove Font?"},
    {58, "delete_failed", "Could not delete"},
    {59, "remove_shared_file_question",
     "No other program seems to use the shared file\r\n%s\r\n\r\nDo you want to remove it?"},
    {61, "unsupported_windows", "<product> cannot be installed on %s."},
    {62, "status_checking_data", "Checking the installation data..."},
    {65, "installer_caption", "<product> Setup"},
    {66, "network_folder_refused",
     "<product> cannot be installed on a network drive. Please choose a folder on this computer."},
    {67, "status_removing_fonts", "Removing fonts..."},
    {68, "status_removing_files", "Removing files..."},
    {69, "status_removing_registry", "Removing registry entries..."},
    {70, "status_removing_associations", "Removing file associations..."},
    {71, "uninstall_progress_text", "Please wait while <product> is removed from your computer."},
    {72, "old_version_warning",
     "An old version of <product> is installed. It should be removed before this version is "
     "installed.\r\n\r\nDo you want to continue anyway?"},
    {73, "folder_not_writable", "The chosen folder cannot be written to. Please choose another folder."},
    {74, "uninstall_restart_question",
     "Your computer must be restarted to complete the removal of <product>.\r\n\r\n"
     "Do you want to restart now?"},
    {75, "password_title", "Password"},
    {76, "password_text", "This installation is protected by a password. Please type it to continue."},
    {77, "status_registering_file", "Registering <file>..."},
    {78, "status_shortcuts_done", "Shortcuts are in place."},
    {79, "yes_button", "&Yes"},
    {80, "no_button", "&No"},
    {81, "wrong_bitness",
     "This edition of <product> does not suit this version of Windows (32-bit or 64-bit). Please "
     "use the edition made for your system."},
    {82, "language_text", "Please choose the language of the installation:"},
    {83, "finish_open_file", "&Open the documentation"},
    {84, "finish_launch", "&Start <product>"},
    {85, "finish_view_log", "View the installation &log"},
    {86, "log_shortcut", "Installation Log"},
    {87, "finish_open_second_file", "Open the release &notes"},
    {88, "choose_start_menu", "Choose the Start menu folder for the shortcuts of <product>."},
    {89, "start_menu_title", "Start Menu Folder"},
    {90, "install_button", "&Install"},
    {91, "installer_running",
     "Another installation is running. Please wait until it has finished, then start this one again."},
    {92, "space_required", "Space needed:"},
    {93, "space_available", "Space free:"},
    {94, "language_title", "Setup Language"},
    {95, "finish_button", "&Finish"},
    {96, "removable_drive_refused",
     "Drive %c: is a removable or read-only drive. Please choose a folder on another drive."},
    {97, "status_restore_point", "Creating a System Restore point..."},
    {98, "install_cancelled", "The installation was stopped. <product> has not been installed."},
    {99, "close_program_question",
     "%s is running and must be closed before the installation can continue. Close it now?"},
    {100, "retry_button", "&Retry"},
    {101, "uninstall_cancelled", "The removal of <product> was stopped."},
    {102, "wrong_password", "The password is not correct. Please try again."},
    {103, "greeting_title", "Welcome"},
    {104, "uninstall_button", "&Uninstall"},
    {105, "greeting_link", "More about <product> is on <a>its web site</a>."},
    {106, "downgrade_refused",
     "This version of <product> is older than the installed one and cannot replace it: versions "
     "earlier than %s cannot be installed over it."},
    {107, "uninstall_close_program_question",
     "%s is running and must be closed before <product> can be removed. Close it now?"},
    {108, "status_removing_packages", "Removing installer packages..."},
    {109, "support_offer_text", "Before you remove <product>: would you like help from its makers?"},
    {110, "support_offer_title", "Get Support"},
    {111, "cancelled_caption", "Cancelled"},
    {112, "required_product_too_old",
     "This installation needs a newer version of a product that is installed on this computer. "
     "Please update that product first."},
    {113, "status_preparing", "Preparing the installation..."},
};

} // namespace

const LanguageRowText *DefaultLanguageRows(int *count)
{
    *count = static_cast<int>(sizeof kRows / sizeof kRows[0]);
    return kRows;
}

int LanguageRowByName(const std::string &name)
{
    for (const auto &row : kRows)
        if (name == row.name)
            return row.row;
    return -1;
}

std::string DefaultLanguageText(int row)
{
    for (const auto &r : kRows)
        if (r.row == row)
            return r.text;
    return std::string();
}
