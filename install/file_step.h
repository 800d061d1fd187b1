// The file step of the install sequence: what it is given and what it leaves for the later steps.
//
// The sequence fills a FileStepInput from the installation settings and calls, in order (the
// declarations are in install/files_win.h):
//   InstallFiles             every file record: destination, replacement rules, writing, lists
//   FinishFiles              font-change notice, pending operations that would undo a written file
//   IncrementSharedFileCounts  SharedDLLs (with uninstall support only)
//   RegisterComFiles         COM servers, then type libraries
//   InstallDrivers           INF files through the Setup API
// The step writes to the log, the failure summary, the uninstall list and the shortcut list
// through FileStepHooks, so that it takes no process-wide state of its own.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "core/pending_renames.h"
#include "core/string.h"
#include "setupdata/file_record.h"
#include "uninstall/uninstall_data.h"

struct FileData;

// ProductFlags bits the file step reads (and RestartNeeded, which it sets).
namespace FileStepFlag {
constexpr uint64_t UninstallSupport = 0x4;
constexpr uint64_t ReplaceNewFilesAtRestart = 0x800;   // even a file that did not exist before
constexpr uint64_t RestartNeeded = 0x4000;
constexpr uint64_t VerifyWrites = 0x40000;             // read each written file back
constexpr uint64_t ClearAttributesOnFailure = 0x80000; // read-only, hidden, system of a stuck file
constexpr uint64_t DetailedLog = 0x100000;             // one line per installed file
constexpr uint64_t NoPathsOnStatus = 0x2000000000000;
} // namespace FileStepFlag

// A record of this name shows language string 54 on the status line instead of its path.
constexpr char kReservedStatusName[] = "b/0@+";

// Shared-file markers appended to a path in the shared-file list.
constexpr char16_t kSharedMarkerPermanent = u' ';
constexpr char16_t kSharedMarkerCom = u'^';
constexpr char16_t kSharedMarkerTypeLibrary = u'\u00A9';   // the byte 0xA9 in the 8-bit form

struct FileStepHooks {
    void (*logText)(const char *text) = nullptr;            // 8-bit (Windows-1252) log text
    void (*logWide)(const String &wide) = nullptr;          // wide log text
    void (*failure)(const String &wide) = nullptr;          // appended to the failure summary
    // The path (wide) and its kind (uninstall/uninstall_data.h: file, folder, registry key).
    void (*uninstallRecord)(const String &wide, UninstallRecordKind kind) = nullptr;
    // A type 0 record with shortcut flags, or a type 5 record: its shortcut for the shortcut list.
    void (*shortcut)(const FileRecord &record, const String &destinationWide) = nullptr;
    void (*status)(const String &wide) = nullptr;
    void (*progress)(int percent) = nullptr;
    // Runs work(context) in a crash guard; false when it crashed. Null runs it unguarded.
    bool (*guarded)(void (*work)(void *), void *context) = nullptr;
};

struct FileStepInput {
    uint64_t *productFlags = nullptr;   // RestartNeeded is set here
    String installFolder;               // wide, as the sequence uses it
    String sharedFolder;                // wide; empty without uninstall support
    String uninstallDataFolder;         // wide
    bool bits64 = false;                // 64-bit installation (the applet keys' registry view)
    bool silent = false;                // MSI packages without interface
    bool windows9x = false;             // the fonts key of the Windows 95 family
    const std::vector<int32_t> *fileSizes = nullptr;   // the header's size list
    FileData *data = nullptr;           // the opened file data block
    FileStepHooks hooks;
};

// What the records leave for the later steps (owned by the sequence).
struct FileStepLists {
    std::vector<String> comFiles;          // wide paths
    std::vector<String> typeLibraries;     // wide paths
    std::vector<String> drivers;           // wide paths (type 10)
    std::vector<String> installedDrivers;  // wide: where the Setup API put each INF
    std::vector<String> sharedFiles;       // wide paths, each with its marker unit (or none)
    PathTextSet installedFiles;            // lower-cased 8-bit path texts of files written now
    String fontList;                       // 8-bit: "\"name\" \"file\" " per font
    // MSI packages installed with flag 0x80, for the uninstaller: wide path and UI level.
    std::vector<std::pair<String, int>> msiPackages;
    bool fontsChanged = false;
};
