// The uninstaller's installer window looks like the installer's: the display values come back
// from the uninstall entry, and the background picture from "Installer Background.bmp" in the
// uninstall data folder.
#pragma once

#include <cstdint>

#include "core/registry_win.h"
#include "wizard/window_look.h"

constexpr char16_t kBackgroundPictureFile[] = u"Installer Background.bmp";

// Reads the display values of `entry` with the defaults of a missing value ("TaskbarText" "Setup",
// "TitleSize" 1, "TitleShadow" 1, "MonoColor" yes, the system's window-text and window colours
// for "TitleColor" and "TopColor", everything else 0 or empty). With `productFlags` 0x8000 the
// picture is read from `uninstallFolder` (wide) and "BitmapTPI" (-1), "StretchMode" and
// "BitmapSize" (0) with it; a missing or invalid file leaves no picture.
//
// Forms read: numbers as REG_DWORD or as decimal text; "TitleSize" and "CopyrightSize" as an
// 8-byte REG_BINARY double or as decimal text; "CopyrightColor" as text holding the number.
WindowLook ReadWindowLookFromUninstallEntry(const RegistryKey &entry, uint64_t productFlags,
                                            const String &uninstallFolder);
