// The installation settings: the process-wide values read once from the settings record of the
// setup script, and the writer of that record for the packer.
//
// The record is a fixed sequence of typed items (forms: settings_stream.h), read in this order:
//
//    1 ProductFlags            raw 8              33 PictureFrameStyle      raw 1
//    2 automatic-mode override raw 1              34 TitleColor             raw 4
//    3 TaskbarText             counted, wide      35 TitleShadow            raw 1
//    4 DisplayTitle            counted, wide      36 TitlePosition          raw 1
//    5 TitleSize               raw 8 double       37 TitleFont              zero-ended 8-bit
//    6 ProgressWindowPosition  raw 4              38 TopColor               raw 4
//      -- installer window, script checksum --    39 BottomColor            raw 4
//    7 StatusDisplayTime       raw 2 (<= 9999)    40 background bitmap      raw 4 n, n bytes,
//    8 ShortcutMode            raw 1                                        BitmapTPI raw 4 if n > 0
//    9 UninstallerDate         raw 24             41 CopyrightPos           raw 1; if non-zero:
//   10 Publisher               counted, 8-bit        colour raw 4, size raw 8, text counted wide,
//   11 DisplayName             counted, wide         font counted
//   12 ProductDescription      counted, wide      42 required product       3 counted (flag 0x10000)
//   13 Bitness                 raw 1              43 StartSound             counted
//   14 SharedFolderBase        raw 1              44 DesktopFolder          counted, wide
//   15 SharedPath              counted, wide      45 FileStepBlock          text4
//   16 SharedSubfolder         counted, wide      46 seven batch texts      counted each
//   17 ProductStartMenu        zero-ended wide    47 reserved               raw 20
//   18 DisplayVersion          counted, 8-bit     48 UnsupportedSystems     raw 4
//   19 installation folder     zero-ended wide    49 ReadFileDataFromFile   raw 1
//   20 ProductRegistry         zero-ended wide    50 eleven texts           counted each
//   21 MsiBlock                text4, wide        51 WarningVersion         zero-ended 8-bit
//   22 RegistryText            counted            52 NoDowngradeBelow       text1
//   23 BitmapSize              raw 4 (0..100)     53 InstallPassword        counted, 8-bit
//   24 StretchMode             raw 4              54 three texts            counted each
//   25 GreetingLink            text2              55 ExtraSpace raw 8, eight dialog variants raw 4
//   26 licence documents       raw 4 n (<= 20),   56 UninstallRecordStream  text4 (flag 0x4)
//                              n x text4          57 conditional deletions  until "~~THE END~~"
//   27 readme documents        the same           58 associations           raw 4 n, n entries
//   28 UninstallSubdir         counted, wide      59 shortcuts              raw 4 n, n entries
//   29 UninstallerFileName     zero-ended 8-bit   60 four texts             zero-ended
//   30 UninstallName           counted, wide      61 saved uninstall values raw 4 n, n entries
//   31 EarlierFolderValue      zero-ended 8-bit   62 SupportOffer text2, ProductIcon text4
//   32 BannerHeadline          zero-ended wide    63 programs to close      until "~~THE~END~~"
//                                                 64 language table
//                                                 65 end marker             raw 4 = 0xD3E82B97
//
// Texts marked wide hold UTF-16LE bytes; other texts hold 8-bit text (ANSI code page unless a field
// says otherwise). A limit that fails ends the run through ReportCorruption with its code.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/codepage.h"
#include "core/date_time.h"
#include "core/string.h"
#include "setupdata/language.h"
#include "setupdata/windows_version.h"

class SettingsStream;

constexpr uint32_t kSettingsEndMarker = 0xD3E82B97;

// Corruption codes raised while the record is read.
enum SettingsCorruption : int {
    kCorruptStatusDisplayTime = 19,
    kCorruptLicenceCount = 24,
    kCorruptScriptChecksum = 25,
    kCorruptReadmeCount = 26,
    kCorruptEndMarker = 32,
    kCorruptAssociationCount = 36,
    kCorruptSavedValueCount = 37,
    kCorruptConditionalList = 38,
    kCorruptBitmapSize = 39,
    kCorruptProgramsToClose = 41,
    kCorruptShortcutCount = 48,
};

// Limits of the record.
constexpr int kMaxStatusDisplayTime = 9999;
constexpr int kMaxBitmapSize = 100;
constexpr int kMaxDocuments = 20;
constexpr int kMaxListEntries = 1000;          // associations, shortcuts, saved values, programs
constexpr int kMaxConditionalBeforeEntry = 1000;   // the list may end with 1,001 entries

constexpr char kConditionalListEnd[] = "~~THE END~~";
constexpr char kProgramsToCloseEnd[] = "~~THE~END~~";

// One conditional deletion (class FileDeletion), in record order.
struct FileDeletion {
    String path;          // file path or wildcard pattern with path variables (8-bit)
    uint8_t condition = 0;   // 0 always; 1-3 version equal / at least / at most; 4-6 size likewise
    String value;         // version text or decimal byte count (8-bit)
    uint8_t flags = 0;    // 0x1 at restart, 0x2 at restart on failure, 0x4 install, 0x8 uninstall
};

// One file association, fields in record order.
struct FileAssociation {
    int32_t mode = 0;     // 1 default verb of the class; 2 open-with list only
    String extension;     // 8-bit texts
    String className;
    String description;
    String verb;
    String verbText;
    String command;
    String language;      // wide: the language for which alone it applies; empty for all
    String icon;          // 8-bit
};

// One shortcut of the setup script. Record order: target, name (stored as UTF-8, held wide),
// icon (zero-ended 8-bit); arguments (counted text, wide); working folder (zero-ended 8-bit);
// desktop, Start menu, Startup (raw 1 each); folder (zero-ended 8-bit); permanent, show (raw 1).
// Script shortcuts always expand their target and are never quiet.
struct ShortcutRecord {
    uint8_t desktop = 0;
    uint8_t startMenu = 0;
    uint8_t startup = 0;
    uint8_t permanent = 0;
    uint8_t expandTarget = 0;
    uint8_t quiet = 0;
    uint8_t show = 0;         // 1 minimised, 2 maximised, else normal
    String target;            // 8-bit
    String name;              // wide; may hold subfolders separated by backslashes
    String icon;              // 8-bit
    String arguments;         // wide
    String workingFolder;     // 8-bit
    String folder;            // 8-bit; empty for none
};

// One extra value for the uninstall registry entry (class UninstallData).
struct UninstallData {
    String name;          // value name, or a full registry path when it holds a backslash (8-bit)
    uint8_t kind = 0;     // 1 text, 2 expandable text, 4 number
    String text;          // 8-bit
};

// One program to close (an auto-close entry with its phase bits).
struct AutoCloseEntry {
    String windowClass;   // 8-bit; "*" prefix: contains
    String windowTitle;   // 8-bit; "*" prefix: contains
    String programName;   // 8-bit, shown in the question
    int32_t mode = 0;     // 0 WM_CLOSE, 1 WM_QUIT, 2 ask, 3 terminate
    uint8_t phase = 0;    // 0x1 installation, 0x2 uninstallation
};

// Indexes of Settings::DialogVariants (item 55).
enum DialogVariantIndex : int {
    kVariantGreeting, kVariantLanguage, kVariantLicence, kVariantReadme,
    kVariantFolder, kVariantStartMenu, kVariantProgress, kVariantSummary,
    kDialogVariantCount
};

struct Settings {
    // Item 1, and the header's word (SettingsInputs::headerFlags2; not part of the record).
    uint64_t ProductFlags = 0;
    uint32_t ProductFlags2 = 0;
    uint8_t AutomaticModeOverride = 0;      // 2: 1 automatic on, 2 off (not in silent mode)
    bool LargeTitle = false;                // derived: ProductFlags has LargeTitle
    // Items 3-6.
    String TaskbarText;
    String DisplayTitle;
    double TitleSize = 0;
    int32_t ProgressWindowPosition = 0;
    // Items 7-18.
    uint16_t StatusDisplayTime = 0;         // milliseconds
    uint8_t ShortcutMode = 0;               // 1: all users
    DateTime UninstallerDate;
    String Publisher;                       // 8-bit
    String DisplayName;                     // wide: the product name (/n wins over the record)
    String ProductDescription;              // wide; record empty: the product name
    uint8_t Bitness = 0;                    // 1 64-bit installation, 2 requires 32-bit Windows
    bool RedirectionFailed = false;         // derived: Bitness 1 and the redirection switch failed
    uint8_t SharedFolderBase = 0;
    String SharedPath;                      // wide; record empty: publisher, else product name
    String SharedSubfolder;                 // wide
    String ProductStartMenu;                // wide; record empty: the product name
    String DisplayVersion;                  // 8-bit
    String DisplayVersionWide;              // derived: the %Version% value
    // Item 19: the text of the record and the folder made of it (or the /d override).
    String InstallFolderSetting;            // wide, as stored
    String InstallFolder;                   // wide
    // Items 20-32.
    String ProductRegistry;                 // wide
    String MsiBlock;                        // wide
    String RegistryText;
    int32_t BitmapSize = 0;                 // percent, 0 to 100
    int32_t StretchMode = 0;
    String GreetingLink;
    std::vector<String> LicenceDocuments;
    std::vector<String> ReadmeDocuments;
    String UninstallSubdir;                 // wide
    String UninstallerFileName;             // 8-bit
    String UninstallName;                   // wide; record blank: the product name
    String EarlierFolderValue;              // 8-bit registry value path
    String BannerHeadline;                  // wide; product placeholders expanded after item 65
    // Items 33-41.
    uint8_t PictureFrameStyle = 0;
    uint32_t TitleColor = 0;
    uint8_t TitleShadow = 0;
    uint8_t TitlePosition = 0;
    String TitleFont;                       // 8-bit
    uint32_t TopColor = 0;
    uint32_t BottomColor = 0;
    bool MonoColor = false;                 // derived: BottomColor == TopColor
    String BackgroundBitmap;                // bitmap file image; empty for none
    int32_t BitmapTPI = 0;                  // stored only with a bitmap
    uint8_t CopyrightPos = 0;               // 0: no copyright line and none of the four below
    uint32_t CopyrightColor = 0;
    double CopyrightSize = 0;
    String CopyrightText;                   // wide
    String CopyrightFont;                   // 8-bit
    // Item 42, present only with ProductFlag::RequiredProduct; 8-bit.
    String RequiredProductName;             // blank: the product name
    String RequiredProductDisplayName;      // blank: the product name
    String RequiredProductMinVersion;
    // Items 43-49.
    String StartSound;                      // wave file image; empty for none
    String DesktopFolder;                   // wide
    String DesktopFolderNarrow;             // derived: 8-bit copy
    String DesktopShortcuts;                // derived: the %DesktopShortcuts% folder
    String FileStepBlock;
    String PreInstallBatch;                 // item 46, 8-bit batch texts
    String PostInstallBatch;
    String ExitBatch;
    String UninstallBatch1;
    String UninstallBatch2;
    String UpgradeBatch;
    String ReinstallBatch;
    std::array<uint8_t, 20> Reserved{};
    uint32_t UnsupportedSystems = 0;        // bits of windows_version.h
    uint8_t ReadFileDataFromFile = 0;
    // Item 50, in record order: EndTexts[0..1], LaunchOnExit, InstallNotifyURL, WizardNotifyURL,
    // EndTexts[2..5], NotifyURL, GreetingText. EndTexts are consulted by the end of the
    // installation.
    std::array<String, 6> EndTexts;
    String LaunchOnExit;
    String InstallNotifyURL;
    String WizardNotifyURL;
    String NotifyURL;                       // uninstall notification address
    String GreetingText;
    // Items 51-56.
    String WarningVersion;                  // 8-bit
    String NoDowngradeBelow;
    String InstallPassword;                 // 8-bit; empty: no password page
    String MinUpgradableVersion;            // item 54
    String AssociationText;
    String AddToPathSubfolder;
    int64_t ExtraSpace = 0;                 // bytes added to the disk-space estimate
    std::array<int32_t, kDialogVariantCount> DialogVariants{};
    String UninstallRecordStream;           // present only with ProductFlag::UninstallSupport
    // Items 57-63.
    std::vector<FileDeletion> ConditionalDeletions;
    std::vector<FileAssociation> Associations;
    std::vector<ShortcutRecord> Shortcuts;
    std::array<String, 2> FileStepTexts;    // item 60: [0] wide, [1] 8-bit
    std::array<String, 2> ShortcutStepTexts;    // wide: [kPinCommandText], [kPinNameText]
    std::vector<UninstallData> SavedValues;
    String SupportOffer;
    String ProductIcon;                     // icon file image
    std::vector<AutoCloseEntry> ProgramsToClose;
    // Item 64.
    LanguageTable Languages;
    // Derived: the shell and system settings carried in FileStepBlock (setupdata/shell_settings.h),
    // empty when the block carries none.
    String FirewallList;                    // 8-bit path text, one exception per line
    String RegistryMerge;                   // 8-bit .reg text
    String RootShortcutName;                // wide
    String RootShortcutCommand;             // wide
    String DesktopFolderIcon;               // icon file image
};

// The two shortcut-step texts of item 60: the taskbar pin's command and name.
constexpr int kPinCommandText = 0;
constexpr int kPinNameText = 1;

// The process-wide installation settings.
extern Settings g_settings;

// What the reader asks the platform while it reads. Every hook may be null; the defaults are those
// of a host without Windows: not under Wine, version unknown (nothing cleared), no redirection
// switch (a 64-bit installation then counts as failed to switch), no window, checksum accepted, no
// expansion, empty folders. The expansions get the settings as read so far.
struct SettingsHooks {
    bool (*runsUnderWine)() = nullptr;
    bool (*windowsVersion)(WindowsVersion &version) = nullptr;   // false: unknown
    bool (*disableFsRedirection)() = nullptr;                    // false: missing or failed
    void (*createInstallerWindow)(const Settings &settings) = nullptr;
    bool (*scriptChecksumMatches)() = nullptr;
    void (*expandPathVariables)(const Settings &settings, String &wide) = nullptr;
    void (*expandProductPlaceholders)(const Settings &settings, String &wide) = nullptr;
    String (*windowsFolder)() = nullptr;                          // wide
    String (*programFilesFolder)(bool view64) = nullptr;          // wide
};

// Everything the reader takes from outside the record.
struct SettingsInputs {
    bool silent = false;          // silent mode forces the flag word (ProductFlag::SilentKeep/Set)
    String productName;           // /n:"name" (wide); empty: the record's
    String installFolder;         // /d:"dir" (wide); empty: the record's
    uint32_t headerFlags2 = 0;    // the setup data header's ProductFlags2 word
    SettingsHooks hooks;
};

// What the record decides for the caller to apply: item 2's automatic-mode override.
enum class AutomaticModeChange { None, On, Off };
struct SettingsDecisions {
    AutomaticModeChange automaticMode = AutomaticModeChange::None;   // Off never in silent mode
};

// Reads items 1 to 65 into `settings` (every field is replaced), asking `inputs` and its hooks
// where the record leaves a value to the platform or the command line. Changes nothing else: the
// decisions for the caller's state come back. A failed limit ends through ReportCorruption.
SettingsDecisions ReadSettings(SettingsStream &stream, const SettingsInputs &inputs, Settings &settings);

// Copies the values that path variables read (installation folder, product name, version, shared
// folder, Start-menu and desktop folder names, shortcut mode, bitness, uninstall subfolder) from
// `settings` into `state`.
struct PathVariableState;
void CopySettingsToPathState(const Settings &settings, PathVariableState &state);

// Writes the record of `settings` (item 1 to 65) so that ReadSettings reads the same values back.
// Derived fields are not written. Returns false, with `problem` naming the field, when a value
// cannot be stored in its form or would fail a limit of the reader.
bool WriteSettings(const Settings &settings, String &record, String &problem);
// The same, for callers that have checked their values: an unwritable value is fatal.
String WriteSettings(const Settings &settings);
