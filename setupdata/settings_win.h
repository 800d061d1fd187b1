// The Windows side of the settings reader: the platform questions it asks while it reads the record
// (Wine, the running version, the redirection switch of a 64-bit installation, the Windows and
// program files folders).
#pragma once

#include "setupdata/settings.h"

// The hooks of the platform questions. The expansions, the script-checksum check and the installer
// window belong to their owners; the start-up adds them.
SettingsHooks WindowsSettingsHooks();

// Undoes the redirection switch of a 64-bit installation (the end of the install sequence).
void RestoreFsRedirection();

// The running Windows version as RtlGetVersion reports it (whatever the manifest says).
struct WindowsVersion;
bool RunningWindowsVersion(WindowsVersion &version);
