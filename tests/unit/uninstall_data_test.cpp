#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "core/csv.h"
#include "core/path_text.h"
#include "tests/unit/text_support.h"
#include "uninstall/uninstall_data.h"

namespace {

std::u16string U(const String &wide) { return std::u16string(wide.Wide(), size_t(wide.WideLength())); }
std::string B(const String &bytes) { return std::string(bytes.Bytes(), size_t(bytes.Length())); }
String S(const std::string &bytes) { return String(bytes.data(), int32_t(bytes.size())); }
String W(const std::u16string &wide) { return String(wide.data(), int32_t(wide.size())); }

std::vector<std::string> Strs(const std::vector<String> &lines)
{
    std::vector<std::string> out;
    for (const String &l : lines)
        out.push_back(B(l));
    return out;
}

// A file as an older installation or a person with an editor leaves it, built byte by byte: LF and
// lone CR line ends, blanks around headers, a header in the wrong case, malformed records of each
// kind, a string over two lines, a section that comes twice. Association lines are split by their
// own reader (install/association_rules.h); here they are only kept.
const std::string kHandFile =
    "C:\\Prog\\App\\app.exe\r\n"
    "~C:\\Prog\\App\r\n"
    "\r\n"
    "!\\HKLM\\Software\\App\\Value\n"
    "^\\HKCU\\Software\\App\r"
    "*\\HKLM\\Software\\App64\r\n"
    "|C:\\Prog\\App\\\xC3\xA9t\xC3\xA9.txt\r\n"
    "\r\n\r\n"
    "  [Strings]\t\r\n"
    "~10\r\n"
    "Failed:\r\n"
    "%s  \r\n"
    "~15\r\n"
    "Done\r\n"
    "~\r\n"            // no number: ignored
    "lost\r\n"
    "~0\r\n"
    "zero\r\n"
    "~1001\r\n"
    "too big\r\n"
    "~1000\r\n"
    "last \xE2\x82\xAC\r\n"
    "~999\r\n"
    "Headline\r\n"
    "\r\n\r\n"
    "[AutoClose]\r\n"
    "Notepad,,\"Note, pad\",2\r\n"
    "OnlyThree,a,b\r\n"
    "*Cls,*Tit,Prog,0\r\n"
    "[Associations]\r\n"
    ".kst~!~Kst.File~!~open~!~C:\\a.ico~!~more\r\n"
    ".bad~!~Bad.File~!~ \t~!~icon\r\n"
    ".two~!~Two.File\r\n"
    "[Firewall]\r\n"
    "8080;Server;3;x\r\n"
    "[inf]\r\n"       // wrong case: no header, a line of the current section
    "[INF]\r\n"
    "C:\\Windows\\INF\\oem1.inf\r\n"
    "[MSI]\r\n"
    "\"C:\\Prog\\App\\rt.msi\",2\r\n"
    "[Registry2]\r\n"
    "\\HKLM\\Software\\\xC3\x9C" "ber\r\n"
    "\\HKLM\\Software\\App,Name,,text,3\r\n"
    "[ConditionalDelete]\r\n"
    "\"%InstallDir%\\a,b.txt\",4,100,9\r\n"
    "three,fields,only\r\n"
    "[Firewall]\r\n"
    "C:\\Prog\\App\\app.exe;App;0;y\r\n"
    "\r\n";

TEST(UninstallDataRead, HandBuiltFileGivesEveryRecordAndSkipsMalformedOnes)
{
    UninstallDataContent c;
    ParseUninstallData(S(kHandFile), c);

    EXPECT_EQ(Strs(c.uninstallList),
              (std::vector<std::string>{"C:\\Prog\\App\\app.exe", "~C:\\Prog\\App", "", "!\\HKLM\\Software\\App\\Value",
                                        "^\\HKCU\\Software\\App", "*\\HKLM\\Software\\App64",
                                        "|C:\\Prog\\App\\\xC3\xA9t\xC3\xA9.txt"}));
    EXPECT_EQ(UninstallRecordKindOf(c.uninstallList[0]), kUninstallFile);
    EXPECT_EQ(UninstallRecordKindOf(c.uninstallList[1]), kUninstallFolder);
    EXPECT_EQ(UninstallRecordKindOf(c.uninstallList[3]), kUninstallRegistryValue);
    EXPECT_EQ(UninstallRecordKindOf(c.uninstallList[4]), kUninstallRegistryKey);
    EXPECT_EQ(UninstallRecordKindOf(c.uninstallList[5]), kUninstallRegistryKey64);
    EXPECT_EQ(B(UninstallRecordItem(c.uninstallList[3])), "\\HKLM\\Software\\App\\Value");
    EXPECT_EQ(U(PathTextToWide(c.uninstallList[6])), u"C:\\Prog\\App\\\u00E9t\u00E9.txt");

    ASSERT_EQ(c.strings.size(), 3u);
    EXPECT_EQ(c.strings[0].number, 10);
    EXPECT_EQ(U(c.strings[0].text), u"Failed:\r\n%s");
    EXPECT_EQ(c.strings[1].number, 15);
    EXPECT_EQ(U(c.strings[1].text), u"Done");
    EXPECT_EQ(c.strings[2].number, 1000);
    EXPECT_EQ(U(c.strings[2].text), u"last \u20AC");
    EXPECT_EQ(U(c.headline), u"Headline");

    ASSERT_EQ(c.autoClose.size(), 2u);
    EXPECT_EQ(B(c.autoClose[0].windowClass), "Notepad");
    EXPECT_EQ(B(c.autoClose[0].windowTitle), "");
    EXPECT_EQ(B(c.autoClose[0].programName), "Note, pad");
    EXPECT_EQ(c.autoClose[0].mode, 2);
    EXPECT_EQ(c.autoClose[0].phase, 4);
    EXPECT_EQ(c.autoClose[1].mode, 0);
    EXPECT_EQ(c.autoClose[1].phase, 2);

    EXPECT_EQ(Strs(c.associations), (std::vector<std::string>{".kst~!~Kst.File~!~open~!~C:\\a.ico~!~more",
                                                               ".bad~!~Bad.File~!~ \t~!~icon", ".two~!~Two.File"}));

    EXPECT_EQ(Strs(c.firewall), (std::vector<std::string>{"8080;Server;3;x", "[inf]", "C:\\Prog\\App\\app.exe;App;0;y"}));
    EXPECT_EQ(Strs(c.drivers), (std::vector<std::string>{"C:\\Windows\\INF\\oem1.inf"}));
    EXPECT_EQ(Strs(c.msi), (std::vector<std::string>{"\"C:\\Prog\\App\\rt.msi\",2"}));
    EXPECT_EQ(U(c.registryText), u"\\HKLM\\Software\\\u00DCber\r\n\\HKLM\\Software\\App,Name,,text,3\r\n");

    ASSERT_EQ(c.conditionalDeletions.size(), 1u);
    EXPECT_EQ(B(c.conditionalDeletions[0].path), "%InstallDir%\\a,b.txt");
    EXPECT_EQ(c.conditionalDeletions[0].condition, 4);
    EXPECT_EQ(B(c.conditionalDeletions[0].value), "100");
    EXPECT_EQ(c.conditionalDeletions[0].flags, 9);
}

TEST(UninstallDataRead, StringTextEndsAtTildeLineOrSectionNameAndEmptyFileIsEmpty)
{
    UninstallDataContent c;
    ParseUninstallData(S("[Strings]\r\n~53\r\nfirst\r\n~ends here\r\n~55\r\ntext\r\n[MSI]x\r\n"), c);
    ASSERT_EQ(c.strings.size(), 2u);
    EXPECT_EQ(U(c.strings[0].text), u"first");
    EXPECT_EQ(U(c.strings[1].text), u"text");
    EXPECT_TRUE(c.msi.empty());   // "[MSI]x" is no header: a string-section line, ignored

    ParseUninstallData(String(), c);
    EXPECT_TRUE(c.uninstallList.empty());
    EXPECT_TRUE(c.strings.empty());
}

UninstallDataContent FullContent()
{
    UninstallDataContent c;
    c.uninstallList = {S("C:\\P\\a.txt"), S("~C:\\P"), S("!\\HKLM\\Software\\P\\v")};
    c.strings = {{10, W(u"Fail %s")}, {15, W(u"Two\r\nlines")}};
    c.headline = W(u"Caf\u00E9");
    AutoCloseEntry e;
    e.windowClass = S("#Cls");
    e.windowTitle = S("a\"b");
    e.programName = S("App");
    e.mode = 3;
    c.autoClose = {e};
    c.associations = {S(".k~!~K.F~!~open~!~")};
    c.firewall = {S("80;Web;1;")};
    c.drivers = {S("C:\\W\\oem2.inf")};
    c.msi = {MsiUninstallLine(S("C:\\P\\r.msi"), 3)};
    c.registryText = W(u"  \\HKLM\\Software\\P  \r\n\r\n");
    FileDeletion keep;
    keep.path = S("%InstallDir%\\*.tmp");
    keep.flags = 0x8 | 0x2;
    FileDeletion installOnly;
    installOnly.path = S("x.tmp");
    installOnly.flags = 0x4;
    c.conditionalDeletions = {keep, installOnly};
    return c;
}

TEST(UninstallDataWrite, WritesSectionsInOrderWithQuotingAndOnlyUninstallDeletions)
{
    const std::string expected =
        "C:\\P\\a.txt\r\n~C:\\P\r\n!\\HKLM\\Software\\P\\v\r\n"
        "\r\n\r\n[Strings]\r\n~10\r\nFail %s\r\n~15\r\nTwo\r\nlines\r\n~999\r\nCaf\xC3\xA9\r\n"
        "\r\n\r\n[AutoClose]\r\n\"#Cls\",\"a\"\"b\",App,3\r\n"
        "\r\n\r\n[Associations]\r\n.k~!~K.F~!~open~!~\r\n"
        "\r\n\r\n[Firewall]\r\n80;Web;1;\r\n"
        "\r\n\r\n[INF]\r\nC:\\W\\oem2.inf\r\n"
        "\r\n\r\n[MSI]\r\n\"C:\\P\\r.msi\",3\r\n"
        "\r\n\r\n[Registry2]\r\n\\HKLM\\Software\\P\r\n"
        "\r\n\r\n[ConditionalDelete]\r\n%InstallDir%\\*.tmp,0,,10\r\n";
    EXPECT_EQ(B(FormatUninstallData(FullContent())), expected);
}

TEST(UninstallDataWrite, WithoutOptionalListsOnlyTheListAndStringsAreWritten)
{
    UninstallDataContent c;
    c.uninstallList = {S("C:\\P\\a.txt")};
    c.strings = {{10, String()}};
    FileDeletion installOnly;
    installOnly.path = S("x.tmp");
    installOnly.flags = 0x4;
    c.conditionalDeletions = {installOnly};
    EXPECT_EQ(B(FormatUninstallData(c)), "C:\\P\\a.txt\r\n\r\n\r\n[Strings]\r\n~10\r\n\r\n~999\r\n\r\n");
}

TEST(UninstallDataWrite, RewritesAreByteIdenticalAndKeepWhatWasRead)
{
    const String first = FormatUninstallData(FullContent());
    UninstallDataContent read;
    ParseUninstallData(first, read);
    EXPECT_EQ(B(FormatUninstallData(read)), B(first));

    // A hand-made file settles after one rewrite.
    UninstallDataContent hand;
    ParseUninstallData(S(kHandFile), hand);
    const String once = FormatUninstallData(hand);
    UninstallDataContent again;
    ParseUninstallData(once, again);
    EXPECT_EQ(B(FormatUninstallData(again)), B(once));
    EXPECT_EQ(Strs(again.uninstallList), Strs(hand.uninstallList));
    EXPECT_EQ(U(again.registryText), U(hand.registryText));
}

TEST(UninstallDataWrite, CsvRecordWithLineBreakIsRefusedAndNamed)
{
    UninstallDataContent c;
    AutoCloseEntry e;
    e.windowClass = S("Cls");
    e.windowTitle = S("two\r\nlines");
    c.autoClose = {e};
    FileDeletion d;
    d.path = S("a\nb");
    d.flags = 0x8;
    c.conditionalDeletions = {d};
    std::vector<String> refused;
    const std::string text = B(FormatUninstallData(c, &refused));
    EXPECT_EQ(text.find("two"), std::string::npos);
    EXPECT_EQ(text.find("[ConditionalDelete]"), std::string::npos);
    EXPECT_NE(text.find("[AutoClose]"), std::string::npos);
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_NE(B(refused[0]).find("auto-close record"), std::string::npos);
    EXPECT_NE(B(refused[1]).find("conditional deletion record"), std::string::npos);
}

TEST(Csv, QuotesExactlyWhereTheReaderNeedsIt)
{
    struct Case {
        std::string field;
        std::string written;
    } cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"tab\there", "\"tab\there\""},
        {"semi;colon", "\"semi;colon\""},
        {"pi|pe", "\"pi|pe\""},
        {" lead", "\" lead\""},
        {"trail ", "\"trail \""},
        {"'apos", "\"'apos\""},
        {"#hash", "\"#hash\""},
        {"mid #'", "mid #'"},
    };
    for (const Case &k : cases) {
        EXPECT_EQ(B(CsvField(S(k.field))), k.written) << k.field;
        const std::vector<String> back = CsvSplit(CsvRecord({S(k.field), S("next")}));
        ASSERT_EQ(back.size(), 2u) << k.field;
        EXPECT_EQ(B(back[0]), k.field);
        EXPECT_EQ(B(back[1]), "next");
    }
}

TEST(Csv, SplitSkipsLeadingBlanksAndCountsEmptyFields)
{
    struct Case {
        std::string record;
        std::vector<std::string> fields;
    } cases[] = {
        {"", {""}},
        {"a,,b", {"a", "", "b"}},
        {"  a, \t\"b,c\" ,d", {"a", "b,c ", "d"}},
        {"\"open", {"open"}},
        {"x,", {"x", ""}},
    };
    for (const Case &k : cases)
        EXPECT_EQ(Strs(CsvSplit(S(k.record))), k.fields) << k.record;
}

TEST(UninstallList, RecordsWithMarkersOnceEachFolderAndNeverShortOrBrokenItems)
{
    struct Case {
        std::string item;
        int kind;
        bool added;
    } cases[] = {
        {"C:\\", kUninstallFolder, false},
        {"C:\\a", kUninstallFile, true},
        {"C:\\Prog\\App", kUninstallFolder, true},
        {"c:\\prog\\app", kUninstallFolder, false},       // the same folder in other case
        {"c:\\prog\\app", kUninstallFile, true},          // only folders are kept once
        {"\\HKLM\\Software\\A\\v", kUninstallRegistryValue, true},
        {"\\HKLM\\Software\\A", kUninstallRegistryKey, true},
        {"\\HKLM\\Software\\B", kUninstallRegistryKey64, true},
        {"C:\\a\r\n~C:\\Windows", kUninstallFile, false},
        {"\\HKLM\\Software\\A\\v\n", kUninstallRegistryValue, false},
        {"C:\\bad kind", 5, false},
        {"C:\\bad kind", -1, false},
        {"|C:\\\xC3\xA9", kUninstallFolder, true},
        {"|C:\\\xC3\x89", kUninstallFolder, false},       // upper-cased wide form is the same
    };
    UninstallList list;
    for (const Case &k : cases)
        EXPECT_EQ(list.Add(S(k.item), k.kind), k.added) << k.item << " kind " << k.kind;
    EXPECT_EQ(Strs(list.Records()),
              (std::vector<std::string>{"C:\\a", "~C:\\Prog\\App", "c:\\prog\\app", "!\\HKLM\\Software\\A\\v",
                                        "^\\HKLM\\Software\\A", "*\\HKLM\\Software\\B", "~|C:\\\xC3\xA9"}));
    list.Clear();
    EXPECT_TRUE(list.Empty());
    EXPECT_TRUE(list.Add(S("C:\\Prog\\App"), kUninstallFolder));
}

TEST(UninstallDataState, MsiBlockLinesBecomeMsiRecords)
{
    g_uninstall.msi.clear();
    const String block(u"\"C:\\Packages\\runtime.msi\",3\r\n\r\n"
                       u"  tools.msi , 5\n"
                       u"C:\\Pak\u00e9te\\x.msi,-1\r"
                       u"no level here\r\nbad.msi,high\r\n,2\r\na.msi,1,extra");
    EXPECT_EQ(AddMsiBlock(block), 3);
    EXPECT_EQ(Strs(g_uninstall.msi),
              (std::vector<std::string>{"\"C:\\Packages\\runtime.msi\",3", "\"tools.msi\",5",
                                        "\"|C:\\Pak\xC3\xA9te\\x.msi\",-1"}));
    g_uninstall.msi.clear();
    EXPECT_EQ(AddMsiBlock(String()), 0);
}

TEST(UninstallDataState, ReadStringsBecomeTheActiveLanguageAndRegistryTextIsKept)
{
    Settings settings;
    settings.Languages.names = {W(u"English"), W(u"Deutsch")};
    settings.Languages.active = 1;
    settings.RegistryText = S("\\HKLM\\Software\\FromSettings\r\n");
    UninstallState state;
    UninstallDataContent c;
    ParseUninstallData(S(kHandFile), c);
    ApplyUninstallData(c, settings, state);

    EXPECT_EQ(settings.Languages.active, 0);
    ASSERT_GT(settings.Languages.rows.size(), 1000u);
    EXPECT_EQ(U(settings.Languages.rows[15][0]), u"Done");
    EXPECT_EQ(U(settings.BannerHeadline), u"Headline");
    EXPECT_EQ(settings.ProgramsToClose.size(), 2u);
    EXPECT_EQ(settings.ConditionalDeletions.size(), 1u);

    const UninstallDataContent collected = CollectUninstallData(settings, state);
    EXPECT_EQ(U(collected.registryText), U(c.registryText));
    ASSERT_EQ(collected.strings.size(), std::size(kUninstallStringIds));
    EXPECT_EQ(collected.strings[1].number, 15);
    EXPECT_EQ(U(collected.strings[1].text), u"Done");
    EXPECT_EQ(U(collected.strings[0].text), u"Failed:\r\n%s");
    EXPECT_TRUE(collected.strings[2].text.Empty());   // 20 was not in the file
}

} // namespace
