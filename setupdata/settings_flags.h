// Bits of the two option words. Both words are stored in the uninstall registry entry and read back
// by the uninstaller, so these positions are a stored format. Masks are written on the whole word:
// for ProductFlags, 0x100000000 is bit 32 (the low dword of the stored little-endian value holds
// bits 0 to 31).
#pragma once

#include <cstdint>

namespace ProductFlag {
constexpr uint64_t UninstallEarlierFirst = 0x1;              // uninstall an earlier version first
constexpr uint64_t UninstallSupport = 0x4;                   // register for uninstallation
constexpr uint64_t CompressedChunks = 0x20;                  // data chunks are zlib streams
constexpr uint64_t FolderPage = 0x80;                        // show the folder page
constexpr uint64_t SingleInstaller = 0x100;                  // named mutex: one installer at a time
constexpr uint64_t UninstallerAutomatic = 0x200;             // the uninstaller runs automatically
constexpr uint64_t RestartNeeded = 0x4000;                   // set at run time
constexpr uint64_t BackgroundBitmap = 0x8000;
constexpr uint64_t RequiredProduct = 0x10000;                // the record names a required product
constexpr uint64_t PreInstallBatchRunOption = 0x800000;
constexpr uint64_t HideUninstallBatch1 = 0x4000000;   // the uninstaller runs UninstallBatch1 hidden
constexpr uint64_t HideUninstallBatch2 = 0x8000000;   // the uninstaller runs UninstallBatch2 hidden
constexpr uint64_t NoEarlierVersionQuestion = 0x10000000;
constexpr uint64_t NoInstallerWindow = 0x20000000;
constexpr uint64_t ConfirmFolder = 0x80000000;
constexpr uint64_t CheckImageChecksum = 0x100000000;
constexpr uint64_t StartMenuPage = 0x400000000;
constexpr uint64_t CompareVersions = 0x1000000000;
constexpr uint64_t RefuseNetworkFolders = 0x2000000000;
constexpr uint64_t LargeTitle = 0x10000000000;
constexpr uint64_t NoGreetingPage = 0x80000000000;
constexpr uint64_t OldVersionWarning = 0x100000000000;
constexpr uint64_t SaveReadme = 0x400000000000;               // "readme.txt" in the installation folder
constexpr uint64_t SaveLicence = 0x800000000000;              // "eula.txt"
constexpr uint64_t GrantFolderRights = 0x4000000000000;
constexpr uint64_t ProgressWindow = 0x8000000000000;
constexpr uint64_t RefuseRemovableDrives = 0x80000000000000;
constexpr uint64_t DesktopFolderDefaultsToProduct = 0x400000000000000;
constexpr uint64_t UpgradeBatchRunOption = 0x1000000000000000;
constexpr uint64_t ReinstallBatchRunOption = 0x2000000000000000;

// Silent mode forces the word to (word & SilentKeep) | SilentSet: no folder page, no folder
// confirmation, no Start-menu page, no version questions or warnings, no progress window and no
// greeting page; no installer window and no confirmation of an earlier version.
constexpr uint64_t SilentKeep = 0xFFF7EDE37FFFFF7F;
constexpr uint64_t SilentSet = 0x80030600000;
static_assert((~SilentKeep & (FolderPage | ConfirmFolder | StartMenuPage | CompareVersions |
                              OldVersionWarning | ProgressWindow)) ==
                  (FolderPage | ConfirmFolder | StartMenuPage | CompareVersions | OldVersionWarning |
                   ProgressWindow),
              "silent mode clears the page and question bits");
static_assert((SilentSet & (NoInstallerWindow | NoEarlierVersionQuestion | NoGreetingPage)) ==
                  (NoInstallerWindow | NoEarlierVersionQuestion | NoGreetingPage),
              "silent mode sets the no-window and no-question bits");
} // namespace ProductFlag

namespace ProductFlag2 {
constexpr uint32_t RestorePoint = 0x2;                  // create a System Restore point
constexpr uint32_t SeparateUninstaller = 0x20;          // uninstaller image without the .setup section
constexpr uint32_t LogPreInstallBatchName = 0x40;
constexpr uint32_t LogPostInstallBatchName = 0x80;
constexpr uint32_t LogUpgradeBatchName = 0x100;
constexpr uint32_t LogReinstallBatchName = 0x200;
constexpr uint32_t ButtonImages = 0x400;                // wizard buttons carry small images
constexpr uint32_t RemovableNoShortcuts = 0x800;        // and no Start-menu page
constexpr uint32_t Blowfish = 0x1000;                   // script and data chunks are encrypted
constexpr uint32_t RecordEarlierFolderValue = 0x2000;
constexpr uint32_t RemovableNoRegistry = 0x8000;
constexpr uint32_t AsciiFolderOnly = 0x10000;
constexpr uint32_t RemovableNoAssociations = 0x20000;
constexpr uint32_t RemovableNoFirewall = 0x80000;
} // namespace ProductFlag2
