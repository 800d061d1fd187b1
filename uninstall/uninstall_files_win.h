// The uninstaller's removal of what the uninstall list names (files, folders, registry records),
// the folders around the product (Start menu, installation folder tree, shared folder), and the
// protected folders the removal never touches.
#pragma once

#include <vector>

#include "core/pending_renames.h"
#include "core/string.h"
#include "uninstall/uninstall_context.h"

// The folders an uninstallation must never remove or climb into (full paths, wide): the Windows
// and system folders, both Program Files and Common Files, the profiles folder, the user's and all
// users' profile and shell folders.
std::vector<String> ProtectedSystemFolders();

// Works through the uninstall-list lines in order. Folder records are collected into `folders`;
// deleted files join `deleted` (lower-cased 8-bit path text); files that could not be deleted go to
// the failure summary and back into the uninstall list. Records naming a protected path are
// refused with a failure-summary line and not kept.
void RemoveListedItems(UninstallContext &context, const std::vector<String> &lines, std::vector<String> &folders,
                       PathTextSet &deleted);

// Removes the collected folders deepest first, each with its empty parents, never the installation
// folder or a protected one. A folder that stays (it still holds something) goes back into the
// uninstall list, so that a later run tries again.
void RemoveRecordedFolders(UninstallContext &context, std::vector<String> &folders);

// The product's Start-menu folder and its empty parents (at most 20 levels).
void RemoveStartMenuFolder(const UninstallContext &context);

// With ProductFlags 0x400: the whole installation folder, unless it is a protected path.
void RemoveInstallationTree(UninstallContext &context);

// The shared folder, when empty.
void RemoveSharedFolder(const UninstallContext &context);
