#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/run_mode.h"
#include "setupdata/corruption.h"
#include "setupdata/settings.h"
#include "setupdata/settings_flags.h"
#include "setupdata/settings_stream.h"
#include "setupdata/shell_settings.h"

namespace {

struct CorruptionRaised {
    int code;
};

void ThrowCorruption(int code) { throw CorruptionRaised{code}; }

// What the reader is given; each test sets what it needs.
SettingsInputs g_inputs;
SettingsDecisions g_decisions;

// The reader works on the settings it is given: the process-wide settings and run mode, set to
// values no record here holds, must come out of every test as they went in.
class SettingsRecord : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_inputs = SettingsInputs();
        g_settings = Settings();
        g_settings.DisplayName = u"process-wide";
        g_settings.ProductFlags2 = 0x5A5A;
        g_runMode = RunMode();
        g_runMode.automatic = true;
        g_runMode.uninstallProduct = u"untouched";
        g_commandLineOverrides = CommandLineOverrides();
        g_commandLineOverrides.productName = u"untouched";
        SetCorruptionHandler(ThrowCorruption);
    }
    void TearDown() override
    {
        SetCorruptionHandler(nullptr);
        EXPECT_EQ(g_settings.DisplayName, String(u"process-wide"));
        EXPECT_EQ(g_settings.ProductFlags2, 0x5A5Au);
        EXPECT_TRUE(g_settings.Languages.names.empty());
        EXPECT_TRUE(g_runMode.automatic);
        EXPECT_FALSE(g_runMode.silent);
        EXPECT_EQ(g_runMode.uninstallProduct, String(u"untouched"));
        EXPECT_EQ(g_commandLineOverrides.productName, String(u"untouched"));
        EXPECT_TRUE(g_commandLineOverrides.installFolder.Empty());
        g_settings = Settings();
        g_runMode = RunMode();
        g_commandLineOverrides = CommandLineOverrides();
    }
};

// The smallest record the reader accepts: one language, one row.
Settings Minimal()
{
    Settings s;
    s.DisplayName = u"Prod";
    s.Languages.names = {String(u"English")};
    s.Languages.rows = {{String(u"row 0")}};
    return s;
}

String Write(const Settings &s)
{
    String record, problem;
    EXPECT_TRUE(WriteSettings(s, record, problem)) << problem.Bytes();
    return record;
}

Settings Read(const String &record, uint32_t headerFlags2 = 0)
{
    SettingsStream in(record);
    Settings s;
    SettingsInputs inputs = g_inputs;
    inputs.headerFlags2 = headerFlags2;
    g_decisions = ReadSettings(in, inputs, s);
    EXPECT_TRUE(in.AtEnd());
    return s;
}

// The corruption code raised while reading `record`, 0 when it is read without complaint.
int CorruptionCode(const String &record)
{
    try {
        Read(record);
    } catch (const CorruptionRaised &raised) {
        return raised.code;
    }
    return 0;
}

// Where the records of two settings first differ: the offset of the field that tells them apart.
int32_t FirstDifference(const String &a, const String &b)
{
    int32_t i = 0;
    while (i < a.Length() && i < b.Length() && a.Bytes()[i] == b.Bytes()[i])
        ++i;
    return i;
}

String Patched(String record, int32_t at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        record.MutableBytes()[at + i] = static_cast<char>(value >> (8 * i));
    return record;
}

String Cut(const String &record, int32_t length) { return String(record.Bytes(), length); }

String Repeated(const String &piece, int times)
{
    String all;
    for (int i = 0; i < times; ++i)
        all.Append(piece);
    return all;
}

using Change = void (*)(Settings &);

// ---------------------------------------------------------------------------------------------
// Limits

TEST_F(SettingsRecord, ValuesAtTheirLimitsAreAccepted)
{
    struct Case {
        const char *name;
        Change set;
    };
    const Case cases[] = {
        {"status time 9999", [](Settings &s) { s.StatusDisplayTime = 9999; }},
        {"BitmapSize 0", [](Settings &s) { s.BitmapSize = 0; }},
        {"BitmapSize 100", [](Settings &s) { s.BitmapSize = 100; }},
        {"20 licence documents", [](Settings &s) { s.LicenceDocuments.resize(20, String("l")); }},
        {"20 readme documents", [](Settings &s) { s.ReadmeDocuments.resize(20, String("r")); }},
        {"1,000 associations", [](Settings &s) { s.Associations.resize(1000); }},
        {"1,000 shortcuts", [](Settings &s) { s.Shortcuts.resize(1000); }},
        {"1,000 saved values", [](Settings &s) { s.SavedValues.resize(1000); }},
        {"1,000 programs to close", [](Settings &s) { s.ProgramsToClose.resize(1000); }},
        {"1,000 conditional deletions", [](Settings &s) { s.ConditionalDeletions.resize(1000); }},
        {"1,001 conditional deletions", [](Settings &s) { s.ConditionalDeletions.resize(1001); }},
        {"200 languages",
         [](Settings &s) {
             s.Languages.names.resize(200, String(u"L"));
             s.Languages.rows[0].resize(200, String(u"t"));
         }},
        {"10,000 rows", [](Settings &s) { s.Languages.rows.resize(10000, {String(u"t")}); }},
    };
    for (const Case &c : cases) {
        Settings s = Minimal();
        c.set(s);
        EXPECT_EQ(CorruptionCode(Write(s)), 0) << c.name;
    }
}

// Each limit is broken by patching its field in a valid record; the field is found where the
// records of two valid settings that differ only in it first differ.
TEST_F(SettingsRecord, EachLimitRaisesItsCode)
{
    struct Case {
        const char *name;
        Change base;
        Change moved;
        int bytes;
        uint32_t value;
        int code;
    };
    const Change nothing = [](Settings &) {};
    const Change oneAssociation = [](Settings &s) { s.Associations.resize(1); };
    const Change oneShortcut = [](Settings &s) { s.Shortcuts.resize(1); };
    const Change oneSavedValue = [](Settings &s) { s.SavedValues.resize(1); };
    const Change twentyLicences = [](Settings &s) { s.LicenceDocuments.resize(20); };
    const Change nineteenLicences = [](Settings &s) { s.LicenceDocuments.resize(19); };
    const Change twentyReadmes = [](Settings &s) { s.ReadmeDocuments.resize(20); };
    const Change nineteenReadmes = [](Settings &s) { s.ReadmeDocuments.resize(19); };
    const Change twoLanguages = [](Settings &s) {
        s.Languages.names.push_back(String(u"B"));
        s.Languages.rows[0].push_back(String(u"b"));
    };
    const Change twoRows = [](Settings &s) { s.Languages.rows.push_back({String(u"x")}); };
    const Change status9999 = [](Settings &s) { s.StatusDisplayTime = 9999; };
    const Change status9998 = [](Settings &s) { s.StatusDisplayTime = 9998; };
    const Change bitmap100 = [](Settings &s) { s.BitmapSize = 100; };
    const Change bitmap99 = [](Settings &s) { s.BitmapSize = 99; };
    const Case cases[] = {
        {"status time 10000", status9999, status9998, 2, 10000, kCorruptStatusDisplayTime},
        {"status time 65535", status9999, status9998, 2, 65535, kCorruptStatusDisplayTime},
        {"BitmapSize 101", bitmap100, bitmap99, 4, 101, kCorruptBitmapSize},
        {"BitmapSize -1", bitmap100, bitmap99, 4, 0xFFFFFFFF, kCorruptBitmapSize},
        {"21 licence documents", twentyLicences, nineteenLicences, 4, 21, kCorruptLicenceCount},
        {"-1 licence documents", twentyLicences, nineteenLicences, 4, 0xFFFFFFFF,
         kCorruptLicenceCount},
        {"21 readme documents", twentyReadmes, nineteenReadmes, 4, 21, kCorruptReadmeCount},
        {"1,001 associations", nothing, oneAssociation, 4, 1001, kCorruptAssociationCount},
        {"-1 associations", nothing, oneAssociation, 4, 0xFFFFFFFF, kCorruptAssociationCount},
        {"1,001 shortcuts", nothing, oneShortcut, 4, 1001, kCorruptShortcutCount},
        {"1,001 saved values", nothing, oneSavedValue, 4, 1001, kCorruptSavedValueCount},
        {"0 languages", nothing, twoLanguages, 1, 0, kCorruptLanguageCount},
        {"201 languages", nothing, twoLanguages, 1, 201, kCorruptLanguageCount},
        {"0 rows", nothing, twoRows, 4, 0, kCorruptStringCount},
        {"10,001 rows", nothing, twoRows, 4, 10001, kCorruptStringCount},
        {"-1 rows", nothing, twoRows, 4, 0xFFFFFFFF, kCorruptStringCount},
    };
    for (const Case &c : cases) {
        Settings base = Minimal();
        c.base(base);
        Settings moved = Minimal();
        c.moved(moved);
        const String record = Write(base);
        const int32_t at = FirstDifference(record, Write(moved));
        ASSERT_LT(at, record.Length()) << c.name;
        EXPECT_EQ(CorruptionCode(Patched(record, at, c.value, c.bytes)), c.code) << c.name;
    }
    const String record = Write(Minimal());
    EXPECT_EQ(CorruptionCode(Patched(record, record.Length() - 4, 0xD3E82B96, 4)),
              kCorruptEndMarker);
}

// Lists that end at a marker text: the conditional deletions may end with 1,001 entries (at most
// 1,000 before each new entry); the programs to close may hold 1,000.
TEST_F(SettingsRecord, MarkerEndedListsRaiseTheirCodesOneEntryPastTheLimit)
{
    Settings none = Minimal();
    Settings one = Minimal();
    one.ConditionalDeletions.resize(1);
    one.ConditionalDeletions[0].path = "p";
    const String empty = Write(none);
    const String withOne = Write(one);
    const int32_t listStart = FirstDifference(empty, withOne);
    const String entry(withOne.Bytes() + listStart, withOne.Length() - empty.Length());

    String record(empty);
    record.Insert(listStart, Repeated(entry, 1001).Bytes(), entry.Length() * 1001);
    EXPECT_EQ(CorruptionCode(record), 0);
    record.Insert(listStart, entry.Bytes(), entry.Length());
    EXPECT_EQ(CorruptionCode(record), kCorruptConditionalList) << "1,002 entries";

    Settings closing = Minimal();
    closing.ProgramsToClose.resize(1000);
    record = Write(closing);
    closing.ProgramsToClose.resize(999);
    const String shorter = Write(closing);
    const int32_t closeAt = FirstDifference(record, shorter);
    const int32_t closeEntry = record.Length() - shorter.Length();
    record.Insert(closeAt, record.Bytes() + closeAt - closeEntry, closeEntry);
    EXPECT_EQ(CorruptionCode(record), kCorruptProgramsToClose) << "1,001 entries";
}

// A record that ends early reads as zeros from there on: the first limit that then fails decides
// the code, and 32 comes only when everything before the end marker passes.
TEST_F(SettingsRecord, TruncatedRecordRaisesTheFirstLimitThatFails)
{
    const Settings s = Minimal();
    const String record = Write(s);
    const int32_t tableBytes = 1 + 4 + 2 * (7 + 1) + 2 * (5 + 1);
    const int32_t tableStart = record.Length() - 4 - tableBytes;
    const int32_t closeListStart = tableStart - int32_t(sizeof kProgramsToCloseEnd);
    struct Case {
        const char *name;
        int32_t length;
        int code;
    };
    const Case cases[] = {
        {"only item 1", 8, kCorruptConditionalList},
        {"empty", 0, kCorruptConditionalList},
        {"cut before the programs to close", closeListStart, kCorruptProgramsToClose},
        {"cut before the language table", tableStart, kCorruptLanguageCount},
        {"cut after the language count", tableStart + 1, kCorruptStringCount},
        {"cut inside the rows", record.Length() - 6, kCorruptEndMarker},
        {"cut before the end marker", record.Length() - 4, kCorruptEndMarker},
        {"cut inside the end marker", record.Length() - 1, kCorruptEndMarker},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CorruptionCode(Cut(record, c.length)), c.code) << c.name;
}

TEST_F(SettingsRecord, WriterRefusesWhatTheReaderWouldReject)
{
    struct Case {
        const char *name;
        Change set;
    };
    const Case cases[] = {
        {"status time", [](Settings &s) { s.StatusDisplayTime = 10000; }},
        {"BitmapSize", [](Settings &s) { s.BitmapSize = 101; }},
        {"licences", [](Settings &s) { s.LicenceDocuments.resize(21); }},
        {"1,002 conditional deletions", [](Settings &s) { s.ConditionalDeletions.resize(1002); }},
        {"conditional path equal to the end text",
         [](Settings &s) { s.ConditionalDeletions = {FileDeletion{"~~THE END~~", 0, "", 0}}; }},
        {"program class equal to the end text",
         [](Settings &s) { s.ProgramsToClose.resize(1, AutoCloseEntry{"~~THE~END~~", "", "", 0, 1}); }},
        {"1,001 programs to close", [](Settings &s) { s.ProgramsToClose.resize(1001); }},
        {"no language", [](Settings &s) { s.Languages = LanguageTable(); }},
        {"ragged row", [](Settings &s) { s.Languages.rows.push_back({}); }},
        {"NoDowngradeBelow over 255 bytes",
         [](Settings &s) { s.NoDowngradeBelow = std::string(256, '1').c_str(); }},
        {"zero byte in TitleFont", [](Settings &s) { s.TitleFont = String("a\0b", 3); }},
    };
    for (const Case &c : cases) {
        Settings s = Minimal();
        c.set(s);
        String record("stale"), problem;
        EXPECT_FALSE(WriteSettings(s, record, problem)) << c.name;
        EXPECT_FALSE(problem.Empty()) << c.name;
        EXPECT_TRUE(record.Empty()) << c.name;
    }
}

TEST_F(SettingsRecord, ChecksumFailureComesAfterTheWindowAndBeforeItem7)
{
    static int windows;
    windows = 0;
    SettingsHooks hooks;
    hooks.createInstallerWindow = [](const Settings &s) {
        EXPECT_EQ(s.TaskbarText, String(u"Taskbar"));
        ++windows;
    };
    hooks.scriptChecksumMatches = [] { return false; };
    g_inputs.hooks = hooks;
    Settings s = Minimal();
    s.TaskbarText = u"Taskbar";
    s.StatusDisplayTime = 9999;
    EXPECT_EQ(CorruptionCode(Write(s)), kCorruptScriptChecksum);
    EXPECT_EQ(windows, 1);

    s.ProductFlags = ProductFlag::NoInstallerWindow;
    hooks.scriptChecksumMatches = [] { return true; };
    g_inputs.hooks = hooks;
    Read(Write(s));
    EXPECT_EQ(windows, 1) << "no window with the no-window flag";
}

// ---------------------------------------------------------------------------------------------
// Run mode and platform steps

TEST_F(SettingsRecord, SilentModeForcesTheFlagWord)
{
    struct Case {
        bool silent;
        uint64_t stored;
        uint64_t expected;
    };
    const Case cases[] = {
        {true, 0, 0x80030600000},
        {true, ~0ull, 0xFFF7EDE37FFFFF7F},
        {true, 0x80 | 0x80000000 | 0x400000000 | 0x8000000000000 | 0x4, 0x80030600004},
        {false, 0x80 | 0x80000000, 0x80 | 0x80000000},
    };
    for (const Case &c : cases) {
        g_inputs.silent = c.silent;
        Settings s = Minimal();
        s.ProductFlags = c.stored;
        EXPECT_EQ(Read(Write(s)).ProductFlags, c.expected) << std::hex << c.stored;
    }
}

// The reader returns the override; the run mode takes it over.
TEST_F(SettingsRecord, AutomaticModeOverrideSwitchesOffAutomaticButNotSilent)
{
    struct Case {
        const char *name;
        bool automatic;
        bool silent;
        uint8_t override;
        bool expected;
    };
    const Case cases[] = {
        {"/a, override 2", true, false, 2, false},
        {"/silent, override 2", true, true, 2, true},
        {"none, override 1", false, false, 1, true},
        {"/a, override 0", true, false, 0, true},
        {"none, override 3", false, false, 3, false},
    };
    for (const Case &c : cases) {
        g_inputs.silent = c.silent;
        Settings s = Minimal();
        s.AutomaticModeOverride = c.override;
        EXPECT_EQ(Read(Write(s)).AutomaticModeOverride, c.override) << c.name;
        RunMode mode;
        mode.automatic = c.automatic;
        mode.silent = c.silent;
        ApplySettingsDecisions(g_decisions, mode);
        EXPECT_EQ(mode.automatic, c.expected) << c.name;
        EXPECT_EQ(mode.silent, c.silent) << c.name;
    }
}

WindowsVersion g_version;

TEST_F(SettingsRecord, ButtonImagesNeedServer2003ClassAndNoWine)
{
    struct Case {
        const char *name;
        bool wine;
        bool versionKnown;
        WindowsVersion version;
        bool kept;
    };
    const Case cases[] = {
        {"XP", false, true, {kPlatformNT, 5, 1, true, 2600}, false},
        {"XP x64 (5.2 workstation)", false, true, {kPlatformNT, 5, 2, true, 3790}, false},
        {"Server 2003", false, true, {kPlatformNT, 5, 2, false, 3790}, true},
        {"Windows 7", false, true, {kPlatformNT, 6, 1, true, 7601}, true},
        {"Windows 7 under Wine", true, true, {kPlatformNT, 6, 1, true, 7601}, false},
        {"version unknown", false, false, {}, true},
    };
    for (const Case &c : cases) {
        SettingsHooks hooks;
        hooks.runsUnderWine = c.wine ? +[] { return true; } : +[] { return false; };
        g_version = c.version;
        hooks.windowsVersion = c.versionKnown ? +[](WindowsVersion &v) { v = g_version; return true; }
                                              : +[](WindowsVersion &) { return false; };
        g_inputs.hooks = hooks;
        const uint32_t flags2 = ProductFlag2::ButtonImages | ProductFlag2::Blowfish;
        const Settings s = Read(Write(Minimal()), flags2);
        EXPECT_EQ(s.ProductFlags2, c.kept ? flags2 : ProductFlag2::Blowfish) << c.name;
    }
}

TEST_F(SettingsRecord, SixtyFourBitInstallationSwitchesRedirectionOff)
{
    static int calls;
    struct Case {
        const char *name;
        uint8_t bitness;
        bool (*disable)();
        bool failed;
        int calls;
    };
    const Case cases[] = {
        {"64-bit, switch works", 1, [] { ++calls; return true; }, false, 1},
        {"64-bit, switch fails", 1, [] { ++calls; return false; }, true, 1},
        {"64-bit, switch missing", 1, nullptr, true, 0},
        {"32-bit only", 2, [] { ++calls; return true; }, false, 0},
    };
    for (const Case &c : cases) {
        calls = 0;
        SettingsHooks hooks;
        hooks.disableFsRedirection = c.disable;
        g_inputs.hooks = hooks;
        Settings s = Minimal();
        s.Bitness = c.bitness;
        EXPECT_EQ(Read(Write(s)).RedirectionFailed, c.failed) << c.name;
        EXPECT_EQ(calls, c.calls) << c.name;
    }
}

TEST_F(SettingsRecord, LanguageSelectionTakesTheLastExactEnglish)
{
    struct Case {
        std::vector<const char16_t *> names;
        int active;
    };
    const Case cases[] = {
        {{u"Deutsch", u"English"}, 1},
        {{u"Deutsch", u"Fran\u00e7ais"}, 0},
        {{u"English", u"english", u"ENGLISH", u"English "}, 0},
        {{u"English", u"Deutsch", u"English"}, 2},
    };
    for (const Case &c : cases) {
        Settings s = Minimal();
        s.Languages.names.clear();
        s.Languages.rows[0].clear();
        for (const char16_t *name : c.names) {
            s.Languages.names.push_back(String(name));
            s.Languages.rows[0].push_back(String(name));
        }
        EXPECT_EQ(Read(Write(s)).Languages.active, c.active) << c.names.size();
    }
}

// ---------------------------------------------------------------------------------------------
// Defaults and the installation folder

void ExpandTemp(const Settings &, String &text)
{
    const String from(u"%Temp%"), to(u"C:\\Temp");
    for (int32_t i = 0; i + from.WideLength() <= text.WideLength(); ++i)
        if (String(text.Wide() + i, from.WideLength()) == from)
            text.ReplaceRange(i * 2, from.Length(), to.Bytes(), to.Length());
}

TEST_F(SettingsRecord, InstallationFolderFromTheSetting)
{
    SettingsHooks hooks;
    hooks.windowsFolder = [] { return String(u"C:\\Windows"); };
    hooks.programFilesFolder = [](bool view64) {
        return String(view64 ? u"C:\\Program Files" : u"C:\\Program Files (x86)");
    };
    hooks.expandPathVariables = ExpandTemp;
    g_inputs.hooks = hooks;
    struct Case {
        const char16_t *setting;
        uint8_t bitness;
        const char16_t *overrideFolder;
        const char16_t *expected;
    };
    const Case cases[] = {
        {u"", 0, u"", u"C:\\Program Files (x86)\\Prod"},
        {u"", 1, u"", u"C:\\Program Files\\Prod"},
        {u"Vendor\\App", 1, u"", u"C:\\Program Files\\Vendor\\App"},
        {u"<os>\\Apps", 0, u"", u"C:\\Windows\\Apps"},
        {u"<OS>\\Apps", 0, u"", u"C:\\Windows\\Apps"},
        {u"%Temp%\\X", 0, u"", u"C:\\Temp\\X"},
        {u"D:\\Apps", 0, u"", u"D:\\Apps"},
        {u"\\\\server\\share\\X", 0, u"", u"\\\\server\\share\\X"},
        {u"<master>", 0, u"", u"<master>"},
        {u"<Master>", 0, u"", u"<Master>"},
        {u"hklm\\Software\\Vendor\\Path", 0, u"", u"hklm\\Software\\Vendor\\Path"},
        {u"HKCU\\Software\\Vendor\\Path", 0, u"", u"HKCU\\Software\\Vendor\\Path"},
        {u"HKCUX", 0, u"", u"C:\\Program Files (x86)\\HKCUX"},
        {u"<os>\\Apps", 0, u"E:\\Mine", u"E:\\Mine"},
    };
    for (const Case &c : cases) {
        g_inputs.installFolder = String(c.overrideFolder);
        Settings s = Minimal();
        s.InstallFolderSetting = c.setting;
        s.Bitness = c.bitness;
        const Settings back = Read(Write(s));
        EXPECT_EQ(back.InstallFolder, String(c.expected)) << String(c.setting).WideLength();
        EXPECT_EQ(back.InstallFolderSetting, String(c.setting));
    }
}

TEST_F(SettingsRecord, EmptySettingsTakeTheirDefaults)
{
    Settings s = Minimal();
    s.Publisher = "ACME \x80";
    s.ProductFlags = ProductFlag::RequiredProduct | ProductFlag::DesktopFolderDefaultsToProduct;
    s.UninstallName = u" \t\r\n";
    s.RequiredProductName = "  ";
    s.RequiredProductMinVersion = "2.0";
    s.DisplayVersion = "1.2\xE9";
    Settings back = Read(Write(s));
    EXPECT_EQ(back.ProductDescription, String(u"Prod"));
    EXPECT_EQ(back.SharedPath, String(u"ACME \u20AC"));
    EXPECT_EQ(back.ProductStartMenu, String(u"Prod"));
    EXPECT_EQ(back.UninstallName, String(u"Prod"));
    EXPECT_EQ(back.DesktopFolder, String(u"Prod"));
    EXPECT_EQ(back.DesktopFolderNarrow, String("Prod"));
    EXPECT_EQ(back.RequiredProductName, String("Prod"));
    EXPECT_EQ(back.RequiredProductDisplayName, String("Prod"));
    EXPECT_EQ(back.RequiredProductMinVersion, String("2.0"));
    EXPECT_EQ(back.DisplayVersionWide, String(u"1.2\u00E9"));

    s.Publisher = " \t";
    s.ProductFlags = 0;
    g_inputs.productName = u"Other";
    back = Read(Write(s));
    EXPECT_EQ(back.DisplayName, String(u"Other")) << "/n wins over the record";
    EXPECT_EQ(back.SharedPath, String(u"Other")) << "blank publisher";
    EXPECT_EQ(back.ProductDescription, String(u"Other"));
    EXPECT_TRUE(back.DesktopFolder.Empty()) << "no default without its flag";
    EXPECT_TRUE(back.RequiredProductName.Empty()) << "item 42 absent without its flag";
}

TEST_F(SettingsRecord, BannerHeadlineGetsProductPlaceholdersAfterTheLastItem)
{
    SettingsHooks hooks;
    // The expansion sees the settings as read, the product name among them.
    hooks.expandProductPlaceholders = [](const Settings &read, String &text) { text.Append(read.DisplayName); };
    g_inputs.hooks = hooks;
    Settings s = Minimal();
    s.BannerHeadline = u"Welcome to <product>";
    EXPECT_EQ(Read(Write(s)).BannerHeadline, String(u"Welcome to <product>Prod"));
}

TEST_F(SettingsRecord, ShellSettingsComeFromTheFileStepBlockAfterTheRecord)
{
    ShellSettings shell;
    shell.firewallList = String("8080;;1;");
    shell.registryMerge = String("REGEDIT4");
    shell.rootShortcutName = u"Root";
    shell.rootShortcutCommand = u"run.exe -x";
    shell.desktopFolderIcon = String("ICO");
    Settings s = Minimal();
    s.FileStepBlock = WriteShellSettings(shell);
    const Settings b = Read(Write(s));
    EXPECT_EQ(b.FirewallList, shell.firewallList);
    EXPECT_EQ(b.RegistryMerge, shell.registryMerge);
    EXPECT_EQ(b.RootShortcutName, shell.rootShortcutName);
    EXPECT_EQ(b.RootShortcutCommand, shell.rootShortcutCommand);
    EXPECT_EQ(b.DesktopFolderIcon, shell.desktopFolderIcon);

    s.FileStepBlock = String("\0\1files", 7);   // a block of another tool: none, and no complaint
    const Settings other = Read(Write(s));
    EXPECT_TRUE(other.FirewallList.Empty());
    EXPECT_TRUE(other.RootShortcutName.Empty());
    EXPECT_EQ(other.FileStepBlock, s.FileStepBlock);
}

// ---------------------------------------------------------------------------------------------
// Round trip

String W(const char16_t *text) { return String(text); }

// Every item set, each to a value no other field shares, so that a field read into the wrong
// place shows.
Settings EveryItemSet()
{
    Settings s;
    s.ProductFlags = ProductFlag::RequiredProduct | ProductFlag::UninstallSupport |
                     ProductFlag::LargeTitle | 0x8000000000000001;
    s.AutomaticModeOverride = 3;
    s.TaskbarText = W(u"Taskbar \u00e9");
    s.DisplayTitle = W(u"Title");
    s.TitleSize = 12.75;
    s.ProgressWindowPosition = -3;
    s.StatusDisplayTime = 1234;
    s.ShortcutMode = 1;
    s.UninstallerDate = DateTime{2024, 5, 17, 13, 45, 59};
    s.Publisher = "Publisher";
    s.DisplayName = W(u"Product");
    s.ProductDescription = W(u"Description");
    s.Bitness = 2;
    s.SharedFolderBase = 4;
    s.SharedPath = W(u"Shared");
    s.SharedSubfolder = W(u"SharedSub");
    s.ProductStartMenu = W(u"Start menu");
    s.DisplayVersion = "1.2.3";
    s.InstallFolderSetting = W(u"D:\\Folder");
    s.ProductRegistry = W(u"Software\\Vendor");
    s.MsiBlock = W(u"msi");
    s.RegistryText = "registry";
    s.BitmapSize = 77;
    s.StretchMode = 5;
    s.GreetingLink = "https://example.org";
    s.LicenceDocuments = {String("eula one"), String("{\\rtf1 eula two}")};
    s.ReadmeDocuments = {String("readme")};
    s.UninstallSubdir = W(u"uninst");
    s.UninstallerFileName = "uninstall.exe";
    s.UninstallName = W(u"Entry");
    s.EarlierFolderValue = "\\HKLM\\Software\\Vendor\\Path";
    s.BannerHeadline = W(u"Banner");
    s.PictureFrameStyle = 3;
    s.TitleColor = 0x00112233;
    s.TitleShadow = 7;
    s.TitlePosition = 2;
    s.TitleFont = "Arial,24,700";
    s.TopColor = 0x00445566;
    s.BottomColor = 0x00778899;
    s.BackgroundBitmap = String("BM\0\1\2", 5);
    s.BitmapTPI = -1;
    s.CopyrightPos = 6;
    s.CopyrightColor = 0x00ABCDEF;
    s.CopyrightSize = 8.5;
    s.CopyrightText = W(u"(c) Vendor");
    s.CopyrightFont = "Tahoma";
    s.RequiredProductName = "Runtime";
    s.RequiredProductDisplayName = "The Runtime";
    s.RequiredProductMinVersion = "4.0";
    s.StartSound = String("RIFF\0WAVE", 9);
    s.DesktopFolder = W(u"Desk");
    s.FileStepBlock = String("\0\1files", 7);
    s.PreInstallBatch = "pre";
    s.PostInstallBatch = "post";
    s.ExitBatch = "exit";
    s.UninstallBatch1 = "un1";
    s.UninstallBatch2 = "un2";
    s.UpgradeBatch = "upgrade";
    s.ReinstallBatch = "reinstall";
    for (size_t i = 0; i < s.Reserved.size(); ++i)
        s.Reserved[i] = uint8_t(0xA0 + i);
    s.UnsupportedSystems = 0x1F;
    s.ReadFileDataFromFile = 1;
    s.EndTexts = {String("e0"), String("e1"), String("e2"), String("e3"), String("e4"),
                  String("e5")};
    s.LaunchOnExit = "launch";
    s.InstallNotifyURL = "http://install/%version%";
    s.WizardNotifyURL = "http://wizard";
    s.NotifyURL = "http://uninstall";
    s.GreetingText = "greeting";
    s.WarningVersion = "0.9";
    s.NoDowngradeBelow = "1.0";
    s.InstallPassword = "secret";
    s.MinUpgradableVersion = "0.5";
    s.AssociationText = "assoc";
    s.AddToPathSubfolder = W(u"bin");
    s.ExtraSpace = 0x123456789A;
    s.DialogVariants = {0, 1, 2, 3, 3, 2, 1, 0};
    s.UninstallRecordStream = String("\x10\x20stream", 8);
    s.ConditionalDeletions = {FileDeletion{"%InstallDir%\\old.dll", 2, "1.0", 0x8 | 0x2},
                              FileDeletion{"*.tmp", 0, "", 0x4}};
    FileAssociation a;
    a.mode = 1;
    a.extension = ".kst";
    a.className = "Kestrival.Doc";
    a.description = "Document";
    a.verb = "open";
    a.verbText = "&Open";
    a.command = "\"%InstallDir%\\app.exe\" \"%1\"";
    a.language = W(u"English");
    a.icon = "app.ico";
    s.Associations = {a, FileAssociation{}};
    ShortcutRecord r;
    r.desktop = 1;
    r.startMenu = 2;
    r.startup = 3;
    r.permanent = 4;
    r.expandTarget = 1;
    r.show = 5;
    r.target = "%InstallDir%\\app.exe";
    r.name = W(u"Sub\\App \u00e9\U0001F600");
    r.icon = "app.ico";
    r.arguments = W(u"--flag");
    r.workingFolder = "%InstallDir%";
    r.folder = "%Temp%";
    ShortcutRecord blank;
    blank.expandTarget = 1;
    s.Shortcuts = {r, blank};
    s.FileStepTexts = {W(u"file wide"), String("file narrow")};
    s.ShortcutStepTexts = {W(u"shortcut one"), W(u"shortcut two")};
    s.SavedValues = {UninstallData{"HelpLink", 1, "http://help"},
                     UninstallData{"\\HKLM\\Software\\V\\N", 4, "5"}};
    s.SupportOffer = "support";
    s.ProductIcon = String("\0\0\1\0icon", 8);
    s.ProgramsToClose = {AutoCloseEntry{"*Notepad", "", "Notepad", 2, 3},
                         AutoCloseEntry{"Class", "Title", "Program", 3, 1}};
    s.Languages.names = {W(u"Deutsch"), W(u"English")};
    s.Languages.rows = {{W(u"Setup"), W(u"Setup")}, {W(u"Weiter"), W(u"Next")},
                        {W(u""), W(u"Only English")}};
    return s;
}

TEST_F(SettingsRecord, EveryItemSurvivesARoundTrip)
{
    const Settings s = EveryItemSet();
    const String record = Write(s);
    const Settings b = Read(record);
    EXPECT_EQ(Write(b), record) << "what is read writes the same record";

    EXPECT_EQ(b.ProductFlags, s.ProductFlags);
    EXPECT_EQ(b.AutomaticModeOverride, 3);
    EXPECT_TRUE(b.LargeTitle);
    EXPECT_EQ(b.TaskbarText, s.TaskbarText);
    EXPECT_EQ(b.TitleSize, 12.75);
    EXPECT_EQ(b.ProgressWindowPosition, -3);
    EXPECT_EQ(b.StatusDisplayTime, 1234);
    EXPECT_TRUE(b.UninstallerDate == s.UninstallerDate);
    EXPECT_EQ(b.DisplayName, s.DisplayName);
    EXPECT_EQ(b.SharedPath, s.SharedPath);
    EXPECT_EQ(b.DisplayVersionWide, W(u"1.2.3"));
    EXPECT_EQ(b.InstallFolder, W(u"D:\\Folder"));
    EXPECT_EQ(b.LicenceDocuments, s.LicenceDocuments);
    EXPECT_EQ(b.ReadmeDocuments, s.ReadmeDocuments);
    EXPECT_FALSE(b.MonoColor);
    EXPECT_EQ(b.BackgroundBitmap, s.BackgroundBitmap);
    EXPECT_EQ(b.BitmapTPI, -1);
    EXPECT_EQ(b.CopyrightText, s.CopyrightText);
    EXPECT_EQ(b.CopyrightSize, 8.5);
    EXPECT_EQ(b.RequiredProductDisplayName, s.RequiredProductDisplayName);
    EXPECT_EQ(b.DesktopFolderNarrow, String("Desk"));
    EXPECT_EQ(b.ExitBatch, String("exit"));
    EXPECT_EQ(b.Reserved, s.Reserved);
    EXPECT_EQ(b.EndTexts, s.EndTexts);
    EXPECT_EQ(b.WizardNotifyURL, s.WizardNotifyURL);
    EXPECT_EQ(b.NotifyURL, s.NotifyURL);
    EXPECT_EQ(b.ExtraSpace, s.ExtraSpace);
    EXPECT_EQ(b.DialogVariants, s.DialogVariants);
    EXPECT_EQ(b.UninstallRecordStream, s.UninstallRecordStream);
    ASSERT_EQ(b.ConditionalDeletions.size(), 2u);
    EXPECT_EQ(b.ConditionalDeletions[0].value, String("1.0"));
    EXPECT_EQ(b.ConditionalDeletions[0].flags, 0xA);
    ASSERT_EQ(b.Associations.size(), 2u);
    EXPECT_EQ(b.Associations[0].command, s.Associations[0].command);
    EXPECT_EQ(b.Associations[0].language, W(u"English"));
    ASSERT_EQ(b.Shortcuts.size(), 2u);
    EXPECT_EQ(b.Shortcuts[0].name, s.Shortcuts[0].name);
    EXPECT_EQ(b.Shortcuts[0].show, 5);
    EXPECT_EQ(b.Shortcuts[0].folder, String("%Temp%"));
    EXPECT_EQ(b.Shortcuts[1].expandTarget, 1) << "script shortcuts expand their target";
    EXPECT_EQ(b.FileStepTexts, s.FileStepTexts);
    EXPECT_EQ(b.SavedValues[1].kind, 4);
    EXPECT_EQ(b.ProductIcon, s.ProductIcon);
    ASSERT_EQ(b.ProgramsToClose.size(), 2u);
    EXPECT_EQ(b.ProgramsToClose[0].mode, 2);
    EXPECT_EQ(b.ProgramsToClose[0].phase, 3);
    EXPECT_EQ(b.Languages.names, s.Languages.names);
    EXPECT_EQ(b.Languages.rows, s.Languages.rows);
    EXPECT_EQ(b.Languages.active, 1);
}

} // namespace
