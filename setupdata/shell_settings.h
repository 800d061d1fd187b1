// The shell and system settings that the settings record has no item for: the firewall list, the
// registry merge text, the root shortcut's name and command, and the desktop folder's icon. They
// travel in the record's file-step block (Settings::FileStepBlock) as a sequence of entries:
//
//   block  := entry*                     (an empty block carries no settings)
//   entry  := key value
//   key    := 8-bit name, then a zero byte (never empty)
//   value  := int32 length n (0 <= n <= remaining), then n bytes   (the record's text4 form)
//
//   key                    value
//   "Firewall"             8-bit path text, one exception per line (install/firewall_entries.h)
//   "RegistryMerge"        8-bit .reg text as regedit imports it
//   "RootShortcutName"     UTF-8
//   "RootShortcutCommand"  UTF-8
//   "DesktopFolderIcon"    an icon file image
//
// Unknown keys are skipped (a later writer may add some); a later entry of a key replaces an
// earlier one. A block that is not such a sequence (one made by another tool) carries none of
// them: the installation goes on without.
//
// The taskbar pin's command and name are the record's own shortcut-step texts (item 60),
// Settings::ShortcutStepTexts[kPinCommandText] and [kPinNameText].
#pragma once

#include "core/string.h"

constexpr char kShellKeyFirewall[] = "Firewall";
constexpr char kShellKeyRegistryMerge[] = "RegistryMerge";
constexpr char kShellKeyRootShortcutName[] = "RootShortcutName";
constexpr char kShellKeyRootShortcutCommand[] = "RootShortcutCommand";
constexpr char kShellKeyDesktopFolderIcon[] = "DesktopFolderIcon";

struct ShellSettings {
    String firewallList;          // 8-bit path text
    String registryMerge;         // 8-bit
    String rootShortcutName;      // wide
    String rootShortcutCommand;   // wide
    String desktopFolderIcon;     // icon file image
};

// Reads `block` into `out` (every field replaced). False, with `out` empty, when the block is not a
// sequence of entries.
bool ReadShellSettings(const String &block, ShellSettings &out);

// The block for `settings`: one entry per non-empty field, in the order of the table above; empty
// settings give an empty block.
String WriteShellSettings(const ShellSettings &settings);
