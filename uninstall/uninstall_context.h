// The state of one uninstallation: the values read from the product's uninstall entry, the run
// mode, the failure summary that decides the outcome, and the steps owned by other parts of the
// program (registry records, associations, firewall, PATH, taskbar pins, batches) through one table
// that the program fills in where it wires the uninstaller.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "core/registry_win.h"
#include "core/string.h"

// ProductFlags bits the uninstaller consults.
namespace UninstallFlag {
constexpr uint64_t AskBeforeFonts = 0x10;
constexpr uint64_t Automatic = 0x200;
constexpr uint64_t DeleteFolderTree = 0x400;
constexpr uint64_t RemoveFromPath = 0x1000;
constexpr uint64_t AskBeforeSharedFiles = 0x20000;
constexpr uint64_t HideBatch1 = 0x4000000;
constexpr uint64_t HideBatch2 = 0x8000000;
constexpr uint64_t NoInstallerWindow = 0x20000000;
constexpr uint64_t ErrorBoxesWhenAutomatic = 0x800000000;
constexpr uint64_t RestartRequired = 0x200000000000;
constexpr uint64_t HideNames = 0x2000000000000;
constexpr uint64_t ClosePageBeforeMessages = 0x8000000000000;
constexpr uint64_t KeepInstallLog = 0x40000000000000;
}
constexpr uint32_t kUninstallFlag2CompletionMessage = 0x40000;

// What the uninstaller calls in other step families. A null entry is a step this build does not
// have; the procedure then goes on without it. Paths are 8-bit path text where they come from
// "Uninstall.DAT", wide otherwise.
struct UninstallSystemSteps {
    // "!" and "^"/"*" records; false with `refusal` set when a protected key was refused.
    bool (*deleteRegistryValue)(const String &valuePath, RegistryView view, String *refusal) = nullptr;
    bool (*deleteRegistryKey)(const String &keyPath, RegistryView view, String *refusal) = nullptr;
    void (*removeProductKey)(const String &productRegistry, RegistryView view) = nullptr;
    void (*removeRegistryText)(const String &registryTextWide, RegistryView view) = nullptr;
    void (*restoreAssociation)(const String &recordLine, const String &productName, RegistryView view) = nullptr;
    void (*removeFirewall)(const std::vector<String> &lines, const String &installFolder) = nullptr;
    void (*removeFromPath)(const String &folder) = nullptr;
    void (*unpinFromTaskbar)(const String &shortcutPath) = nullptr;
    // Runs a batch text (8-bit) hidden or not, without a name; the result is not used.
    void (*runBatch)(const String &batch, bool hidden) = nullptr;
};
void SetUninstallSystemSteps(const UninstallSystemSteps &steps);
// The program's own steps (install/ registry, associations, firewall, PATH, taskbar removal).
UninstallSystemSteps ProgramUninstallSystemSteps();
const UninstallSystemSteps &GetUninstallSystemSteps();

struct UninstallContext {
    // From the command line and the key check.
    String productName;           // wide: the display name, or the name given with /u
    String keyPath;               // wide, below HKEY_LOCAL_MACHINE
    RegistryKey *entry = nullptr; // the uninstall entry, open for reading and writing
    bool silent = false;          // no user interface at all
    bool automatic = false;
    String runAfter;              // wide: the /r: program, started after a completed run
    // From the entry.
    String installFolder;         // wide
    String installFolderText;     // 8-bit path text
    uint64_t productFlags = 0;
    uint32_t productFlags2 = 0;
    DWORD bitness = 0;            // 1: 64-bit installation
    String displayVersion;        // wide
    String uninstallSubdir;
    String dataFolder;            // installation folder joined with the subfolder
    String addToPathSubfolder;
    String productFonts;          // 8-bit
    DWORD shortcutMode = 0;
    String notifyUrl;
    String desktopFolder;
    String sharedPath;
    String productStartMenu;
    String productRegistry;
    // The outcome: wide text of everything that failed. Empty at the end means success.
    String failures;
    // The running program's own file (full path, wide).
    String programPath;
    // Folders the run must never remove, delete or climb into (wide, full paths).
    std::vector<String> protectedFolders;

    RegistryView View() const { return bitness == 1 ? RegistryView::Bits64 : RegistryView::Native; }
    bool HasFlag(uint64_t flag) const { return (productFlags & flag) != 0; }
    void AddFailure(const String &wide) { failures.Append(wide); }
};
