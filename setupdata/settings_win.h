// The Windows side of the settings reader: the platform questions it asks while it reads the record
// (Wine, the running version, the redirection switch of a 64-bit installation) and the path
// expansion it applies to the installation folder.
#pragma once

// Registers the Windows hooks with the settings reader. The script-checksum and installer-window
// hooks belong to their owners and are left as they are.
void InstallWindowsSettingsHooks();

// Copies the values that path variables read (installation folder, product name, version, shared
// folder, Start-menu and desktop folder names, shortcut mode, bitness, uninstall subfolder) from
// the installation settings into the path-variable state, so that an expansion sees them as they
// stand now.
void SyncPathStateFromSettings();
