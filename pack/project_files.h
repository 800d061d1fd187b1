// The [[files]] tables of a project file: which host files go into the installer and the file
// record of each (type, flags, attributes, date, destination, ...).
//
//   [[files]]
//   from = "payload"          a folder (taken recursively) or one file, relative to the project
//   to = "docs"               folder inside the installation that the files go to ("" = its top)
//   include = ["**"]          patterns (pack/glob.h) of the files to take, relative to `from`
//   exclude = []              patterns of the files to leave out
//   name = "x.txt"            only with a single file: its name in the installation
//   ...record fields...       for every file of the entry
//   [[files.rule]]            record fields for the files that match = "pattern" (or a list);
//   match = "*.dll"           rules apply in order, after the entry's own fields
//
// Record fields: type, desktop_shortcut, start_menu_shortcut, replace, permanent,
// into_uninstall_folder, msi_uninstall_list, attributes, date, version, display_name,
// shortcut_name, shortcut_icon, arguments, destination, working_folder, class_id, msi_ui_level.
// Files are taken in entry order, and within a folder in the byte order of their relative paths.
#pragma once

#include <string>
#include <vector>

#include "pack/project.h"
#include "pack/project_table.h"

// Version-typed files without a "version" get the one of their version resource; `warnings`
// receives a line for each that has none.
std::vector<ProjectFile> ReadFileEntries(ProjectTable &top, const std::string &projectFolder,
                                        std::vector<std::string> &warnings);

// A path of the project file: absolute as it is, relative from the project's folder.
std::string ResolveProjectPath(const std::string &projectFolder, const std::string &path);

// The UTC time stamp of a host file's last modification, as a file record stores it.
DateTime FileModificationDate(const std::string &path);
