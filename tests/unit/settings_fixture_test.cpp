// A settings record built byte by byte from its layout (setupdata/settings.h), independent of the
// writer, every item with a value no other item holds, read back item by item. A reader that takes
// two items in the wrong order (even one whose writer made the same swap) fails here.
#include <gtest/gtest.h>

#include <cstring>

#include "corruption_capture.h"
#include "setupdata/settings.h"
#include "setupdata/settings_flags.h"
#include "setupdata/settings_stream.h"

namespace {

// The forms of the record, written out here rather than through SettingsWriter.
class Record {
public:
    Record &Raw(const void *bytes, size_t n)
    {
        bytes_.Append(static_cast<const char *>(bytes), int32_t(n));
        return *this;
    }
    Record &U8(uint8_t v) { return Raw(&v, 1); }
    Record &U16(uint16_t v) { return Le(v, 2); }
    Record &U32(uint32_t v) { return Le(v, 4); }
    Record &U64(uint64_t v) { return Le(v, 8); }
    Record &Real(double v)
    {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        return U64(bits);
    }
    // Counted texts here are all shorter than 255 bytes: one length byte.
    Record &Counted(const char *text) { return U8(uint8_t(std::strlen(text))).Raw(text, std::strlen(text)); }
    Record &CountedWide(const char16_t *text) { return U8(uint8_t(2 * Units(text))).Wide(text); }
    Record &Text1(const char *text) { return U8(uint8_t(std::strlen(text))).Raw(text, std::strlen(text)); }
    Record &Text2(const char *text) { return U16(uint16_t(std::strlen(text))).Raw(text, std::strlen(text)); }
    Record &Text4(const char *text) { return U32(uint32_t(std::strlen(text))).Raw(text, std::strlen(text)); }
    Record &Zero(const char *text) { return Raw(text, std::strlen(text) + 1); }
    Record &ZeroWide(const char16_t *text) { return Wide(text).U16(0); }

    const String &Bytes() const { return bytes_; }

private:
    static size_t Units(const char16_t *text)
    {
        size_t n = 0;
        while (text[n])
            ++n;
        return n;
    }
    Record &Le(uint64_t v, int n)
    {
        for (int i = 0; i < n; ++i)
            U8(uint8_t(v >> (8 * i)));
        return *this;
    }
    Record &Wide(const char16_t *text)
    {
        for (size_t i = 0; text[i]; ++i)
            U16(text[i]);
        return *this;
    }

    String bytes_;
};

constexpr uint64_t kFlags = ProductFlag::RequiredProduct | ProductFlag::UninstallSupport | ProductFlag::SingleInstaller;

String HandBuiltRecord()
{
    Record r;
    r.U64(kFlags).U8(2);                                        // 1, 2
    r.CountedWide(u"Task").CountedWide(u"Title").Real(12.5).U32(3);   // 3 to 6
    r.U16(1234).U8(1);                                          // 7, 8
    r.U32(2025).U32(6).U32(7).U32(8).U32(9).U32(10);            // 9
    r.Counted("Pub").CountedWide(u"Prod").CountedWide(u"Desc");   // 10 to 12
    r.U8(2).U8(4).CountedWide(u"Shared").CountedWide(u"Sub");    // 13 to 16
    r.ZeroWide(u"Menu").Counted("1.2.3").ZeroWide(u"D:\\Apps");   // 17 to 19
    r.ZeroWide(u"Reg").Text4("MSI!").Counted("regtext");         // 20 to 22
    r.U32(55).U32(2).Text2("link");                             // 23 to 25
    r.U32(2).Text4("L1").Text4("L2").U32(1).Text4("R1");         // 26, 27
    r.CountedWide(u"USub").Zero("unins.exe").CountedWide(u"UName");   // 28 to 30
    r.Zero("HKLM\\x").ZeroWide(u"Banner");                       // 31, 32
    r.U8(7).U32(0x112233).U8(8).U8(9).Zero("Arial");             // 33 to 37
    r.U32(0x445566).U32(0x778899);                              // 38, 39
    r.U32(3).Raw("BMP", 3).U32(96);                             // 40
    r.U8(1).U32(0xAABBCC).Real(9.5).CountedWide(u"(c)").Counted("Tahoma");   // 41
    r.Counted("ReqName").Counted("ReqDisplay").Counted("2.0");   // 42
    r.Counted("WAV").CountedWide(u"Desk").Text4("FSB");          // 43 to 45
    for (const char *batch : {"b1", "b2", "b3", "b4", "b5", "b6", "b7"})   // 46
        r.Counted(batch);
    for (uint8_t i = 1; i <= 20; ++i)                           // 47
        r.U8(i);
    r.U32(0x20000).U8(1);                                       // 48, 49
    for (const char *text : {"e0", "e1", "launch", "inst-url", "wiz-url", "e2", "e3", "e4", "e5",
                             "notify-url", "greet"})              // 50
        r.Counted(text);
    r.Zero("0.9").Text1("0.5").Counted("pw");                    // 51 to 53
    r.Counted("min-up").Counted("assoc").Counted("path-sub");    // 54
    r.U64(123456789012);                                        // 55
    for (uint32_t v = 11; v <= 18; ++v)
        r.U32(v);
    r.Text4("URS");                                             // 56
    r.Zero("a.tmp").U8(2).Zero("1.0").U8(5).Zero("~~THE END~~");   // 57
    r.U32(1).U32(2).Zero(".kst").Zero("Kst.File").Zero("Kst doc").Zero("open").Zero("Open")
        .Zero("app.exe %1").ZeroWide(u"English").Zero("icon,1");   // 58
    r.U32(1).Zero("app.exe").Zero("Sc\xC3\xA9").Zero("s.ico").CountedWide(u"-a").Zero("wd")
        .U8(1).U8(0).U8(1).Zero("fold").U8(1).U8(2);           // 59
    r.ZeroWide(u"fs0").Zero("fs1").ZeroWide(u"ss0").ZeroWide(u"ss1");   // 60
    r.U32(1).Zero("Val").U8(4).Counted("42");                    // 61
    r.Text2("offer").Text4("ICO");                              // 62
    r.Zero("Cls").Zero("Ttl").Zero("Prog").U8(3).U8(2).Zero("~~THE~END~~");   // 63
    r.U8(2).U32(2).ZeroWide(u"Deutsch").ZeroWide(u"English");    // 64
    r.ZeroWide(u"r0de").ZeroWide(u"r0en").ZeroWide(u"r1de").ZeroWide(u"r1en");
    r.U32(kSettingsEndMarker);                                  // 65
    return r.Bytes();
}

TEST(SettingsFixture, HandBuiltRecordIsReadItemByItem)
{
    const String record = HandBuiltRecord();
    SettingsStream in(record);
    SettingsInputs inputs;
    inputs.headerFlags2 = ProductFlag2::Blowfish;
    Settings s;
    SettingsDecisions decisions;
    ASSERT_EQ(CorruptionCodeOf([&] { decisions = ReadSettings(in, inputs, s); }), 0);
    EXPECT_TRUE(in.AtEnd());

    // The texts, each against the item it was built as.
    const struct {
        String Settings::*field;
        const char *name;
        String expected;
    } texts[] = {
        {&Settings::TaskbarText, "TaskbarText", String(u"Task")},
        {&Settings::DisplayTitle, "DisplayTitle", String(u"Title")},
        {&Settings::Publisher, "Publisher", String("Pub")},
        {&Settings::DisplayName, "DisplayName", String(u"Prod")},
        {&Settings::ProductDescription, "ProductDescription", String(u"Desc")},
        {&Settings::SharedPath, "SharedPath", String(u"Shared")},
        {&Settings::SharedSubfolder, "SharedSubfolder", String(u"Sub")},
        {&Settings::ProductStartMenu, "ProductStartMenu", String(u"Menu")},
        {&Settings::DisplayVersion, "DisplayVersion", String("1.2.3")},
        {&Settings::DisplayVersionWide, "DisplayVersionWide", String(u"1.2.3")},
        {&Settings::InstallFolderSetting, "InstallFolderSetting", String(u"D:\\Apps")},
        {&Settings::InstallFolder, "InstallFolder", String(u"D:\\Apps")},
        {&Settings::ProductRegistry, "ProductRegistry", String(u"Reg")},
        {&Settings::MsiBlock, "MsiBlock", String("MSI!")},
        {&Settings::RegistryText, "RegistryText", String("regtext")},
        {&Settings::GreetingLink, "GreetingLink", String("link")},
        {&Settings::UninstallSubdir, "UninstallSubdir", String(u"USub")},
        {&Settings::UninstallerFileName, "UninstallerFileName", String("unins.exe")},
        {&Settings::UninstallName, "UninstallName", String(u"UName")},
        {&Settings::EarlierFolderValue, "EarlierFolderValue", String("HKLM\\x")},
        {&Settings::BannerHeadline, "BannerHeadline", String(u"Banner")},
        {&Settings::TitleFont, "TitleFont", String("Arial")},
        {&Settings::BackgroundBitmap, "BackgroundBitmap", String("BMP")},
        {&Settings::CopyrightFont, "CopyrightFont", String("Tahoma")},
        {&Settings::RequiredProductName, "RequiredProductName", String("ReqName")},
        {&Settings::RequiredProductDisplayName, "RequiredProductDisplayName", String("ReqDisplay")},
        {&Settings::RequiredProductMinVersion, "RequiredProductMinVersion", String("2.0")},
        {&Settings::StartSound, "StartSound", String("WAV")},
        {&Settings::DesktopFolder, "DesktopFolder", String(u"Desk")},
        {&Settings::DesktopFolderNarrow, "DesktopFolderNarrow", String("Desk")},
        {&Settings::FileStepBlock, "FileStepBlock", String("FSB")},
        {&Settings::PreInstallBatch, "PreInstallBatch", String("b1")},
        {&Settings::PostInstallBatch, "PostInstallBatch", String("b2")},
        {&Settings::ExitBatch, "ExitBatch", String("b3")},
        {&Settings::UninstallBatch1, "UninstallBatch1", String("b4")},
        {&Settings::UninstallBatch2, "UninstallBatch2", String("b5")},
        {&Settings::UpgradeBatch, "UpgradeBatch", String("b6")},
        {&Settings::ReinstallBatch, "ReinstallBatch", String("b7")},
        {&Settings::LaunchOnExit, "LaunchOnExit", String("launch")},
        {&Settings::InstallNotifyURL, "InstallNotifyURL", String("inst-url")},
        {&Settings::WizardNotifyURL, "WizardNotifyURL", String("wiz-url")},
        {&Settings::NotifyURL, "NotifyURL", String("notify-url")},
        {&Settings::GreetingText, "GreetingText", String("greet")},
        {&Settings::WarningVersion, "WarningVersion", String("0.9")},
        {&Settings::NoDowngradeBelow, "NoDowngradeBelow", String("0.5")},
        {&Settings::InstallPassword, "InstallPassword", String("pw")},
        {&Settings::MinUpgradableVersion, "MinUpgradableVersion", String("min-up")},
        {&Settings::AssociationText, "AssociationText", String("assoc")},
        {&Settings::AddToPathSubfolder, "AddToPathSubfolder", String("path-sub")},
        {&Settings::UninstallRecordStream, "UninstallRecordStream", String("URS")},
    };
    for (const auto &t : texts)
        EXPECT_EQ(s.*t.field, t.expected) << t.name;
    EXPECT_EQ(s.ProductFlags, kFlags);
    EXPECT_EQ(s.ProductFlags2, ProductFlag2::Blowfish);
    EXPECT_EQ(s.AutomaticModeOverride, 2);
    EXPECT_EQ(decisions.automaticMode, AutomaticModeChange::Off);
    EXPECT_EQ(s.TitleSize, 12.5);
    EXPECT_EQ(s.ProgressWindowPosition, 3);
    EXPECT_EQ(s.StatusDisplayTime, 1234);
    EXPECT_EQ(s.ShortcutMode, 1);
    EXPECT_TRUE(s.UninstallerDate == (DateTime{2025, 6, 7, 8, 9, 10}));
    EXPECT_EQ(s.Bitness, 2);
    EXPECT_EQ(s.SharedFolderBase, 4);
    EXPECT_EQ(s.BitmapSize, 55);
    EXPECT_EQ(s.StretchMode, 2);
    EXPECT_EQ(s.LicenceDocuments, (std::vector<String>{String("L1"), String("L2")}));
    EXPECT_EQ(s.ReadmeDocuments, (std::vector<String>{String("R1")}));
    EXPECT_EQ(s.PictureFrameStyle, 7);
    EXPECT_EQ(s.TitleColor, 0x112233u);
    EXPECT_EQ(s.TitleShadow, 8);
    EXPECT_EQ(s.TitlePosition, 9);
    EXPECT_EQ(s.TopColor, 0x445566u);
    EXPECT_EQ(s.BottomColor, 0x778899u);
    EXPECT_FALSE(s.MonoColor);
    EXPECT_EQ(s.BitmapTPI, 96);
    EXPECT_EQ(s.CopyrightPos, 1);
    EXPECT_EQ(s.CopyrightColor, 0xAABBCCu);
    EXPECT_EQ(s.CopyrightSize, 9.5);
    EXPECT_EQ(s.CopyrightText, String(u"(c)"));
    for (size_t i = 0; i < s.Reserved.size(); ++i)
        EXPECT_EQ(s.Reserved[i], i + 1) << i;
    EXPECT_EQ(s.UnsupportedSystems, 0x20000u);
    EXPECT_EQ(s.ReadFileDataFromFile, 1);
    EXPECT_EQ(s.EndTexts[0], String("e0"));
    EXPECT_EQ(s.EndTexts[1], String("e1"));
    EXPECT_EQ(s.EndTexts[2], String("e2"));
    EXPECT_EQ(s.EndTexts[3], String("e3"));
    EXPECT_EQ(s.EndTexts[4], String("e4"));
    EXPECT_EQ(s.EndTexts[5], String("e5"));
    EXPECT_EQ(s.ExtraSpace, 123456789012);
    for (int i = 0; i < kDialogVariantCount; ++i)
        EXPECT_EQ(s.DialogVariants[size_t(i)], 11 + i) << i;

    ASSERT_EQ(s.ConditionalDeletions.size(), 1u);
    EXPECT_EQ(s.ConditionalDeletions[0].path, String("a.tmp"));
    EXPECT_EQ(s.ConditionalDeletions[0].condition, 2);
    EXPECT_EQ(s.ConditionalDeletions[0].value, String("1.0"));
    EXPECT_EQ(s.ConditionalDeletions[0].flags, 5);
    ASSERT_EQ(s.Associations.size(), 1u);
    const FileAssociation &a = s.Associations[0];
    EXPECT_EQ(a.mode, 2);
    EXPECT_EQ(a.extension, String(".kst"));
    EXPECT_EQ(a.className, String("Kst.File"));
    EXPECT_EQ(a.description, String("Kst doc"));
    EXPECT_EQ(a.verb, String("open"));
    EXPECT_EQ(a.verbText, String("Open"));
    EXPECT_EQ(a.command, String("app.exe %1"));
    EXPECT_EQ(a.language, String(u"English"));
    EXPECT_EQ(a.icon, String("icon,1"));
    ASSERT_EQ(s.Shortcuts.size(), 1u);
    const ShortcutRecord &sc = s.Shortcuts[0];
    EXPECT_EQ(sc.target, String("app.exe"));
    EXPECT_EQ(sc.name, String(u"Sc\u00e9"));
    EXPECT_EQ(sc.icon, String("s.ico"));
    EXPECT_EQ(sc.arguments, String(u"-a"));
    EXPECT_EQ(sc.workingFolder, String("wd"));
    EXPECT_EQ(sc.desktop, 1);
    EXPECT_EQ(sc.startMenu, 0);
    EXPECT_EQ(sc.startup, 1);
    EXPECT_EQ(sc.folder, String("fold"));
    EXPECT_EQ(sc.permanent, 1);
    EXPECT_EQ(sc.show, 2);
    EXPECT_EQ(sc.expandTarget, 1);
    EXPECT_EQ(sc.quiet, 0);
    EXPECT_EQ(s.FileStepTexts[0], String(u"fs0"));
    EXPECT_EQ(s.FileStepTexts[1], String("fs1"));
    EXPECT_EQ(s.ShortcutStepTexts[0], String(u"ss0"));
    EXPECT_EQ(s.ShortcutStepTexts[1], String(u"ss1"));
    ASSERT_EQ(s.SavedValues.size(), 1u);
    EXPECT_EQ(s.SavedValues[0].name, String("Val"));
    EXPECT_EQ(s.SavedValues[0].kind, 4);
    EXPECT_EQ(s.SavedValues[0].text, String("42"));
    EXPECT_EQ(s.SupportOffer, String("offer"));
    EXPECT_EQ(s.ProductIcon, String("ICO"));
    ASSERT_EQ(s.ProgramsToClose.size(), 1u);
    const AutoCloseEntry &p = s.ProgramsToClose[0];
    EXPECT_EQ(p.windowClass, String("Cls"));
    EXPECT_EQ(p.windowTitle, String("Ttl"));
    EXPECT_EQ(p.programName, String("Prog"));
    EXPECT_EQ(p.mode, 3);
    EXPECT_EQ(p.phase, 2);

    const LanguageTable &t = s.Languages;
    EXPECT_EQ(t.names, (std::vector<String>{String(u"Deutsch"), String(u"English")}));
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[0], (std::vector<String>{String(u"r0de"), String(u"r0en")}));
    EXPECT_EQ(t.rows[1], (std::vector<String>{String(u"r1de"), String(u"r1en")}));
    EXPECT_EQ(t.active, 1);

    // The writer stores the same bytes for what was read.
    String written, problem;
    ASSERT_TRUE(WriteSettings(s, written, problem)) << problem.Bytes();
    EXPECT_EQ(written, record);
}

} // namespace
