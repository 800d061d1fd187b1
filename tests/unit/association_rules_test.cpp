#include <gtest/gtest.h>

#include "install/association_rules.h"
#include "install/firewall_entries.h"
#include "wide_support.h"

namespace {

TEST(AssociationRules, BackupNameAndRecord)
{
    EXPECT_EQ(Utf8(AssociationBackupName(Wd(u"Sample\\Product\r\n\tOne"))), "SampleProductOne Backup");
    EXPECT_EQ(Utf8(NormalisedExtension(Wd(u"kvd"))), ".kvd");
    EXPECT_EQ(Utf8(NormalisedExtension(Wd(u".kvd"))), ".kvd");
    EXPECT_EQ(Utf8(NormalisedExtension(Wd(u""))), "");
    // A non-ASCII field makes the whole line UTF-8 path text, which reads back unchanged.
    const String record = FormatAssociationRecord(Wd(u".kvd"), WideFrom("Kestrival.D\xC3\xA9mo"),
                                                  Wd(u"open"), Wd(u""));
    EXPECT_EQ(std::string(record.Bytes()), "|.kvd~!~Kestrival.D\xC3\xA9mo~!~open~!~\r\n");
    AssociationRecord back;
    ASSERT_TRUE(ParseAssociationRecord(record, back));
    EXPECT_EQ(Utf8(back.progId), "Kestrival.D\xC3\xA9mo");
    EXPECT_EQ(Utf8(back.icon), "");
    EXPECT_EQ(std::string(FormatAssociationRecord(Wd(u".kvd"), Wd(u"K.Doc"), Wd(u"open"), Wd(u"i.ico")).Bytes()),
              ".kvd~!~K.Doc~!~open~!~i.ico\r\n");
}

TEST(AssociationRules, RecordsReadBack)
{
    struct Case {
        const char *line;
        bool ok;
        const char *extension, *progId, *verb, *icon;
    } cases[] = {
        {".kvd~!~K.Doc~!~open~!~C:\\App\\k.ico\r\n", true, ".kvd", "K.Doc", "open", "C:\\App\\k.ico"},
        {".kvd~!~K.Doc~!~edit~!~", true, ".kvd", "K.Doc", "edit", ""},
        {".kvd~!~K.Doc~!~open~!~a~!~b", true, ".kvd", "K.Doc", "open", "a~!~b"},
        {".kvd~!~K.Doc~!~open", true, ".kvd", "K.Doc", "open", ""},
        {".kvd~!~ ~!~open~!~", false, "", "", "", ""},
        {"~!~K.Doc~!~open~!~", false, "", "", "", ""},
        {".kvd~!~K.Doc~!~\t~!~", false, "", "", "", ""},
        {".kvd", false, "", "", "", ""},
    };
    for (const auto &c : cases) {
        AssociationRecord record;
        EXPECT_EQ(ParseAssociationRecord(String(c.line), record), c.ok) << c.line;
        if (!c.ok)
            continue;
        EXPECT_EQ(Utf8(record.extension), c.extension) << c.line;
        EXPECT_EQ(Utf8(record.progId), c.progId) << c.line;
        EXPECT_EQ(Utf8(record.verb), c.verb) << c.line;
        EXPECT_EQ(Utf8(record.icon), c.icon) << c.line;
    }
}

TEST(AssociationRules, ClassChoice)
{
    struct Case {
        const char16_t *className;
        const char16_t *registered;
        AssociationClassChoice choice;
        const char16_t *useClass;
    } cases[] = {
        {u"Kestrival.Doc", u"", AssociationClassChoice::SetOwn, u"Kestrival.Doc"},
        {u"Kestrival.Doc", u"txtfile", AssociationClassChoice::SetOwn, u"Kestrival.Doc"},
        {u"!Kestrival.Doc", u"txtfile", AssociationClassChoice::UseRegistered, u"txtfile"},
        {u"!Kestrival.Doc", u"", AssociationClassChoice::SetOwn, u"Kestrival.Doc"},
        {u"!Kestrival.Doc", u"  ", AssociationClassChoice::SetOwn, u"Kestrival.Doc"},
        {u"", u"txtfile", AssociationClassChoice::UseRegistered, u"txtfile"},
        {u"", u"", AssociationClassChoice::NoLabel, u""},
        {u"!", u"", AssociationClassChoice::NoLabel, u""},
    };
    for (const auto &c : cases) {
        String use;
        EXPECT_EQ(ChooseAssociationClass(Wd(c.className), Wd(c.registered), use), c.choice)
            << Utf8(Wd(c.className)) << " / " << Utf8(Wd(c.registered));
        EXPECT_EQ(Utf8(use), Utf8(Wd(c.useClass))) << Utf8(Wd(c.className));
    }
}

TEST(AssociationRules, BackupOnlyWhenTheValueDiffers)
{
    struct Case {
        bool oldExists;
        const char16_t *oldValue;
        const char16_t *newValue;
        bool backupExists;
        const char16_t *backupValue;
        bool backUp;
    } cases[] = {
        {true, u"txtfile", u"Kestrival.Doc", false, u"", true},
        {true, u"Kestrival.Doc", u"Kestrival.Doc", false, u"", false},   // same value
        {false, u"", u"Kestrival.Doc", false, u"", false},               // nothing there
        {true, u"", u"Kestrival.Doc", false, u"", false},                // empty default
        {true, u" \t", u"Kestrival.Doc", false, u"", false},             // blank default
        {true, u"txtfile", u"txtFILE", false, u"", true},                // differs in case
        {true, u"Old.Doc", u"Kestrival.Doc", true, u"txtfile", false},   // keeps the first backup
        {true, u"Old.Doc", u"Kestrival.Doc", true, u"", true},           // a blank backup is none
    };
    for (const auto &c : cases)
        EXPECT_EQ(ShouldBackUpDefault(c.oldExists, Wd(c.oldValue), Wd(c.newValue), c.backupExists,
                                      Wd(c.backupValue)),
                  c.backUp)
            << Utf8(Wd(c.oldValue)) << " -> " << Utf8(Wd(c.newValue));
}

TEST(FirewallEntries, FieldsAndCode90Shapes)
{
    struct Case {
        const char16_t *line;
        bool ok;
        bool isPort;
        uint32_t port;
        uint32_t protocols;
        bool permanent;
        const char16_t *name;
    } cases[] = {
        {u"8080;Sample web;1;0", true, true, 8080, 1, false, u"Sample web"},
        {u"53;;2;", true, true, 53, 2, false, u""},
        {u"5000;Both;3;1", true, true, 5000, 3, true, u"Both"},
        {u"%InstallDir%\\app.exe;App;0;keep 1", true, false, 0, 0, true, u"App"},
        {u"app.exe;App;0;0", true, false, 0, 0, false, u"App"},
        {u"99999;Too high;1;0", true, true, 99999, 1, false, u"Too high"},
        {u"80a;Odd;1;0", true, false, 0, 1, false, u"Odd"},
        {u"8080;Three;1", false, false, 0, 0, false, u""},
        {u"8080;A;1;0;extra", false, false, 0, 0, false, u""},
        {u"8080", false, false, 0, 0, false, u""},
    };
    for (const auto &c : cases) {
        FirewallEntry entry;
        EXPECT_EQ(ParseFirewallEntry(Wd(c.line), entry), c.ok) << Utf8(Wd(c.line));
        if (!c.ok)
            continue;
        EXPECT_EQ(entry.isPort, c.isPort) << Utf8(Wd(c.line));
        EXPECT_EQ(entry.port, c.port) << Utf8(Wd(c.line));
        EXPECT_EQ(entry.protocols, c.protocols) << Utf8(Wd(c.line));
        EXPECT_EQ(entry.permanent, c.permanent) << Utf8(Wd(c.line));
        EXPECT_EQ(Utf8(entry.name), Utf8(Wd(c.name))) << Utf8(Wd(c.line));
        EXPECT_EQ(Utf8(entry.line), Utf8(Wd(c.line)));
    }
}

TEST(FirewallEntries, LinesEndAtEveryLineEnd)
{
    const std::vector<String> lines = FirewallLines(Wd(u"1;a;1;0\r\n2;b;1;0\n3;c;1;0\r4;d;1;0\n\r\r\n  \n5;e;1;0"));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(Utf8(lines[0]), "1;a;1;0");
    EXPECT_EQ(Utf8(lines[3]), "4;d;1;0");
    EXPECT_EQ(Utf8(lines[4]), "5;e;1;0");
    EXPECT_TRUE(FirewallLines(Wd(u"")).empty());
}

} // namespace
