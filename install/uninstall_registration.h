// Registration for removal: the uninstaller program in the uninstall data folder, its icon, and
// the product's entry in the Windows list of installed programs, from which the uninstaller
// restores the product's settings and display.
//
// HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\<entry name> (the program's own
// registry view), values written in this order:
//   UninstallString, QuietUninstallString, DisplayName, InstallSource    REG_SZ
//   Publisher (deleted when empty)                                       REG_SZ
//   Bitness                                                              REG_DWORD
//   DisplayVersion, NoDowngradeBelow (deleted when empty)                REG_SZ
//   DisplayIcon (only with a product icon written as "product.ico")      REG_SZ
//   VersionMajor, VersionMinor (only for a version with a '.')           REG_DWORD
//   ProductRegistry ProductStartMenu SharedPath ProductFonts             REG_SZ, deleted when empty
//   ProductFlags ProductFlags2 (unsigned decimal text)                   REG_SZ
//   UninstallBatch1 UninstallBatch2 SharedFiles UninstallSubdir
//   AddToPathSubfolder                                                   REG_SZ, deleted when empty
//   ShortcutMode                                                         REG_DWORD
//   NotifyURL SupportOffer DesktopFolder                                 REG_SZ, deleted when empty
//   EstimatedSize (KiB, 1 to 0xFFFFFFFF, else deleted)                   REG_DWORD
//   DisplayTitle TitleColor TitleSize TopColor BottomColor MonoColor TitleShadow TitlePosition
//   TitleFont TaskbarText CopyrightText CopyrightFont CopyrightSize CopyrightColor CopyrightPos
//   BitmapSize BitmapTPI StretchMode (only with a saved background bitmap)
//   <saved values of the setup script: kind 1 REG_SZ, 2 REG_EXPAND_SZ, 4 REG_DWORD; code 200>
//   InstallLocation                                                      REG_SZ
//   InstallDate (yyyymmdd)                                               REG_SZ
// then UninstallString is read back and compared.
#pragma once

#include <cstdint>

#include "core/string.h"

struct Settings;

constexpr int kCorruptionSavedValueKind = 200;

struct UninstallRegistrationInput {
    Settings *settings = nullptr;    // ProductFlags gains the restart bit for a deferred uninstaller
    String uninstallDataFolder;      // wide
    String programPath;              // wide: the running installer
    String sharedFolder;             // wide
    String fontList;                 // 8-bit
    String sharedFilesText;          // 8-bit
    int64_t estimatedSize = 0;       // bytes
};

// The value texts that are computed rather than copied (tested natively).
bool SplitVersionMajorMinor(const String &version8, uint32_t &major, uint32_t &minor);
bool EstimatedSizeValue(int64_t bytes, uint32_t &kib);
String UnsignedDecimal(uint64_t value);

// Writes the uninstaller, replaces its icon, writes the entry; failures go to the failure summary.
void RegisterUninstall(const UninstallRegistrationInput &input);
