// "Uninstall.DAT": the record an installation leaves behind for its uninstaller, and the uninstall
// list that every installation step fills.
//
// Layout (8-bit text, no byte-order mark, every line ended by CR LF), in the order it is written:
//
//   <uninstall list>          one record per line: kind marker + item (see UninstallRecordKind)
//   \r\n\r\n[Strings]\r\n     "~<number>\r\n<text>\r\n" for each number of kUninstallStringIds,
//                             then "~999\r\n<headline>\r\n"                      (UTF-8 texts)
//   \r\n\r\n[AutoClose]\r\n   CSV: class, title, program name, mode               (when any)
//   \r\n\r\n[Associations]\r\n  "ext~!~ProgID~!~verb~!~icon"                      (when any)
//   \r\n\r\n[Firewall]\r\n    the script's firewall lines: four fields split by ";"  (when any)
//   \r\n\r\n[INF]\r\n         driver information file paths                        (when any)
//   \r\n\r\n[MSI]\r\n         "\"<package>\",<user-interface level>"                (when any)
//   \r\n\r\n[Registry2]\r\n   the script's registry instructions, UTF-8             (when any)
//   \r\n\r\n[ConditionalDelete]\r\n  CSV: path, condition, value, flags (flag 0x8 only) (when any)
//
// Paths and names outside [Strings] and [Registry2] are 8-bit path text (core/path_text.h).
//
// Reading: lines end at CR, LF, CR LF or LF CR; each line is trimmed (blank, CR, LF, tab) and
// compared exactly with the section names; sections may come in any order and repeat. A string
// record is "~" + number (1 to 1000) and runs over the raw following lines up to the next line that
// begins with "~" or with another section name; its trailing blanks go. Malformed records are
// skipped. Every list and text loses its trailing empty lines when read, so that the blank lines
// written before each section header do not pile up: a file read and written again is
// byte-identical.
//
// The format functions here are portable and touch no process-wide state; the Windows side
// (uninstall_data_win.cpp) wires them to the settings, the file layer and the log.
#pragma once

#include <cstdint>
#include <vector>

#include "core/list.h"
#include "core/string.h"
#include "setupdata/settings.h"

constexpr char16_t kUninstallDataFileName[] = u"Uninstall.DAT";

// Kinds of uninstall-list records and their markers (the first character of the line).
enum UninstallRecordKind : int {
    kUninstallFile = 0,              // no marker: the file is deleted
    kUninstallFolder = 1,            // "~": removed when empty, with its empty parents
    kUninstallRegistryValue = 2,     // "!": key path + "\" + value name; the value is deleted
    kUninstallRegistryKey = 3,       // "^": the key is deleted with its subkeys
    kUninstallRegistryKey64 = 4,     // "*": the same in the 64-bit registry view
};
constexpr char kUninstallFolderMarker = '~';
constexpr char kUninstallValueMarker = '!';
constexpr char kUninstallKeyMarker = '^';
constexpr char kUninstallKey64Marker = '*';

// The kind of one uninstall-list line, and its item without the marker.
UninstallRecordKind UninstallRecordKindOf(const String &line);
String UninstallRecordItem(const String &line);

// Section names, exactly as written and compared.
constexpr char kSectionStrings[] = "[Strings]";
constexpr char kSectionAutoClose[] = "[AutoClose]";
constexpr char kSectionAssociations[] = "[Associations]";
constexpr char kSectionFirewall[] = "[Firewall]";
constexpr char kSectionDrivers[] = "[INF]";
constexpr char kSectionMsi[] = "[MSI]";
constexpr char kSectionRegistry[] = "[Registry2]";
constexpr char kSectionConditionalDelete[] = "[ConditionalDelete]";

// The language strings the uninstaller needs, in the order they are written.
constexpr int kUninstallStringIds[] = {10, 15, 20, 30, 34, 35, 49, 53, 55, 56, 57, 58, 59, 65, 67, 68,
                                       69, 70, 71, 74, 79, 80, 99, 100, 101, 104, 107, 108, 109, 110, 111};
constexpr int kHeadlineStringId = 999;
constexpr int kMaxStringRecordId = 1000;

// Conditional deletion flag that selects the records kept for the uninstaller.
constexpr uint8_t kDeleteAtUninstall = 0x8;

// One language string record.
struct UninstallString {
    int number = 0;
    String text;          // wide
};

// Everything the file holds. The writer writes every list in order; the reader fills it.
struct UninstallDataContent {
    std::vector<String> uninstallList;          // 8-bit records with their marker, no line ends
    std::vector<UninstallString> strings;       // written in this order
    String headline;                            // wide; record 999
    std::vector<AutoCloseEntry> autoClose;      // read back with phase 4 (mode 2) or 2
    std::vector<String> associations;           // 8-bit lines "ext~!~ProgID~!~verb~!~icon"
    std::vector<String> firewall;               // 8-bit lines
    std::vector<String> drivers;                // 8-bit path text
    std::vector<String> msi;                    // 8-bit lines "\"path\",level"
    String registryText;                        // wide, lines ended by CR LF
    std::vector<FileDeletion> conditionalDeletions;   // the writer keeps those with flag 0x8
};

// The file's bytes. A CSV record with a field holding CR or LF cannot be read back as written: it
// is left out, and one line naming it is added to `refused` (may be null).
String FormatUninstallData(const UninstallDataContent &content, std::vector<String> *refused = nullptr);

// Parses the file's bytes into `content` (replacing what it held).
void ParseUninstallData(const String &bytes, UninstallDataContent &content);

// One "[MSI]" line for a package (8-bit path text) and its user-interface level.
String MsiUninstallLine(const String &packagePath, int uiLevel);

// The uninstall list of one run: the records in the order they were made, and the set of folders
// recorded so far (wide, upper-cased), so that a folder is recorded once per run.
class UninstallList {
public:
    UninstallList() : folders_(64) {}

    // `item` is 8-bit path text. Nothing is recorded, and false returned, for an item of three
    // characters or fewer (a drive root never reaches the list), for a folder already recorded in
    // this run, for a kind outside 0..4, and for an item holding CR or LF (it would read back as two
    // records, the second one naming something the installation never made).
    bool Add(const String &item, int kind);
    // A line read from an earlier file, put back unchanged (its marker included).
    void AddLine(const String &line);
    const std::vector<String> &Records() const { return records_; }
    bool Empty() const { return records_.empty(); }
    // Forgets the records and the folder set.
    void Clear();

private:
    std::vector<String> records_;
    List<Bucket<bool, String>> folders_;
};

// The process-wide state written into "Uninstall.DAT" besides the settings: the uninstall list and
// the section texts that the installation steps fill.
struct UninstallState {
    UninstallList list;
    std::vector<String> associations;
    std::vector<String> firewall;
    std::vector<String> drivers;
    std::vector<String> msi;
    // The uninstall data folder (wide); empty at installation means the installation folder joined
    // with the settings' uninstall subfolder. The uninstaller sets it from the uninstall entry.
    String dataFolder;
    // Set by ReadUninstallData: the registry text read from the file (wide), written back in place
    // of the settings' text.
    bool registryTextRead = false;
    String registryText;
};
extern UninstallState g_uninstall;

// The content to write from `settings` (language strings of the active language with placeholders
// replaced, headline, programs to close, conditional deletions, registry text) and `state` (the
// uninstall list and the section lists; its registry text once one was read from a file).
UninstallDataContent CollectUninstallData(const Settings &settings, const UninstallState &state);
// Puts what a file held into the process-wide places: the language strings into language slot 0
// (made the active language; rows grow to hold every number), the headline, the programs to close,
// the conditional deletions into `settings`, the registry text into `state`.
void ApplyUninstallData(const UninstallDataContent &content, Settings &settings, UninstallState &state);

// The one way to record something for removal: g_uninstall.list.Add(item, kind).
bool AddUninstallRecord(const String &item, int kind);

// Section records of this run. Each returns false, recording nothing, when a text holds CR or LF.
// `line` is one association record as install/association_rules.h formats it (a final CR LF is
// dropped); the reader there splits it.
bool AddAssociationRecord(const String &line);
bool AddFirewallRecord(const String &line);
bool AddDriverRecord(const String &infPath);
bool AddMsiRecord(const String &packagePath, int uiLevel);
// The setup script's MSI block (wide): one package per line, "path",level (the path may be
// quoted). Each such line becomes an MSI record as AddMsiRecord makes it; blank lines and lines of
// another shape, which the uninstaller could not use, are passed over. Returns the records added.
int AddMsiBlock(const String &wideBlock);
