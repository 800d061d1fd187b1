// The packer's project files: errors with their lines, defaults, the language table and the
// [[files]] entries.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/format.h"
#include "pack/default_language.h"
#include "pack/glob.h"
#include "pack/pack_error.h"
#include "pack/project.h"
#include "pack/project_files.h"
#include "pack/project_table.h"
#include "setupdata/language.h"
#include "setupdata/settings_flags.h"
#include "setupdata/shell_settings.h"

namespace fs = std::filesystem;

namespace {

// A scratch folder with a few payload files, removed afterwards.
class ProjectFolder {
public:
    ProjectFolder()
    {
        char pattern[] = "/tmp/ks-pack-project-XXXXXX";
        path_ = mkdtemp(pattern);
        Write("payload/a.txt", "alpha");
        Write("payload/sub/b.dll", "beta");
        Write("payload/sub/c.tmp", "gamma");
        Write("licence.txt", "line one\nline two\n");
        Write("icon.ico", std::string("\0\0\1\0\1\0", 6) + std::string(16, '\x10'));
        Write("settings.reg", "REGEDIT4\r\n");
        Write("empty.reg", "");
    }
    ~ProjectFolder() { fs::remove_all(path_); }

    void Write(const std::string &name, const std::string &bytes) const
    {
        fs::create_directories(fs::path(path_ / name).parent_path());
        std::ofstream(path_ / name, std::ios::binary) << bytes;
    }
    std::string Path() const { return path_.string(); }

    Project Read(const std::string &text) const { return ReadProjectText(text, "p.toml", Path()); }

    // The message of the PackError that reading `text` throws ("" when it reads).
    std::string Error(const std::string &text) const
    {
        try {
            Read(text);
        } catch (const PackError &e) {
            return e.what();
        }
        return "";
    }

private:
    fs::path path_;
};

String Wide(const char16_t *text) { return String(text); }

} // namespace

TEST(PackProjectErrors, NameTheLineAndWhatIsWrong)
{
    const ProjectFolder folder;
    const std::string product = "[product]\nname = \"P\"\n";
    struct Case {
        std::string text;
        int line;
        const char *says;
    } cases[] = {
        {"[product]\nname = \n", 2, "missing value"},
        {"[product]\nnam = \"P\"\n", 2, "unknown key \"nam\" in [product] (did you mean \"name\"?)"},
        {"[produkt]\nname = \"P\"\n", 1, "unknown key \"produkt\" at the top level (did you mean \"product\"?)"},
        {product + "[produkt]\nx = 1\n", 3, "unknown key \"produkt\" at the top level"},
        {product + "version = 3\n", 3, "\"version\" must be a text, not an integer"},
        {product + "[wizard]\nstatus_time = 10000\n", 4, "\"status_time\" must be from 0 to 9999"},
        {product + "bitness = \"128-bit\"\n", 3, "\"bitness\" must be one of \"any\", \"64-bit\", \"32-bit\""},
        {product + "publisher = \"\xCE\xA9mega\"\n", 3, "Windows-1252 cannot hold"},
        {product + "[window]\ntitle_color = \"red\"\n", 4, "\"#rrggbb\""},
        {product + "[[language]]\nname = \"English\"\n[language.text]\nnonsense = \"x\"\n", 6,
         "unknown language row \"nonsense\""},
        {product + "[[files]]\nfrom = \"missing\"\n", 4, "\"missing\" does not exist"},
        {product + "[[files]]\nfrom = \"payload\"\nversion = \"1.0\"\n", 5,
         "\"version\" applies only to types system, com, typelib and versioned, not to type \"file\""},
        {product + "[[files]]\nfrom = \"payload\"\nmsi_uninstall_list = true\n", 5,
         "\"msi_uninstall_list\" applies only to type msi, not to type \"file\""},
        {product + "[[files]]\nfrom = \"payload\"\ntype = \"font\"\ndesktop_shortcut = true\n", 6,
         "\"desktop_shortcut\" applies only to types file and startup, not to type \"font\""},
        {product + "[[files]]\nfrom = \"payload/a.txt\"\nshortcut_icon = \"x.ico\"\n", 5,
         "\"shortcut_icon\" needs desktop_shortcut or start_menu_shortcut"},
        {product + "[[files]]\nfrom = \"payload/a.txt\"\ntype = \"control-panel\"\n", 3,
         "needs a \"class_id\""},
        {product + "[[files]]\nfrom = \"payload/a.txt\"\nto = \"../outside\"\n", 4,
         "leaves the installation folder"},
        {product + "[[files]]\nfrom = \"payload\"\n[[files]]\nfrom = \"payload/a.txt\"\n", 5,
         "\"a.txt\" is installed twice to the same place (first by the entry at p.toml:3)"},
        {product + "[[files]]\nfrom = \"payload\"\ninclude = [\"*.none\"]\n", 4, "no file of \"payload\" matches"},
        {product + "[package]\nkey = \"0011223344556677\"\n", 4, "\"encrypt\" is not true"},
        {product + "[uninstall]\ndate = \"yesterday\"\n", 4, "a date must be written"},
        {product + "[[shortcut]]\ntarget = \"x.exe\"\n", 3, "must be placed somewhere"},
        {product + "[wizard]\nlicence = \"no-such-licence.txt\"\n", 4, "cannot read \"no-such-licence.txt\""},
        // Numbers outside what their item can hold; toml11 alone would clamp 2^63 and beyond.
        {product + "extra_space = 99999999999999999999\n", 3, "\"extra_space\" must be from 0 to"},
        {product + "extra_space = 9223372036854775808\n", 3, "not 9223372036854775808"},
        {product + "[advanced]\nproduct_flags = -1\n", 4, "\"product_flags\" must be from 0 to"},
        {product + "[advanced]\nproduct_flags = -9223372036854775809\n", 4, "not -9223372036854775809"},
        {product + "[window]\ntitle_size = 1e300\n", 4, "\"title_size\" must be a number above 0 and at most 20"},
        {product + "[window]\ntitle_size = 0\n", 4, "must be a number above 0 and at most 20, not 0"},
        {product + "[window]\ntitle_size = -1.0\n", 4, "must be a number above 0"},
        {product + "[window]\ntitle_size = nan\n", 4, "must be a number above 0"},
        {product + "[window]\n[window.copyright]\nsize = inf\n", 5, "\"size\" must be a number above 0"},
        {product + "[window]\ntitle_size = \"big\"\n", 4, "\"title_size\" must be a number, not a text"},
        // Files of the wrong kind, or folders, where the wizard and the window need a file.
        {product + "[wizard]\nlicence = \"payload\"\n", 4, "\"payload\" is a folder, not a file"},
        {product + "[wizard]\nreadme = [\"licence.txt\", \"payload/sub\"]\n", 4, "is a folder"},
        {product + "icon = \"licence.txt\"\n", 3, "\"licence.txt\" is not an icon (an ICO file)"},
        {product + "[window]\nbackground = \"licence.txt\"\n", 4, "is not a bitmap (a BMP file)"},
        {product + "[wizard]\nstart_sound = \"payload/a.txt\"\n", 4, "is not a sound (a RIFF/WAVE file)"},
        // The shell settings: entries that the setup program would take for damaged data, and the
        // raw [advanced] texts that would be overwritten.
        {product + "[[firewall]]\nname = \"x\"\n", 3, "needs either a \"port\" or a \"program\""},
        {product + "[[firewall]]\nport = 80\nprogram = \"a.exe\"\n", 3, "needs either a \"port\" or a \"program\""},
        {product + "[[firewall]]\nport = 70000\n", 4, "\"port\" must be from 1 to 65535"},
        {product + "[[firewall]]\nport = 80\nprotocols = [\"icmp\"]\n", 5, "is \"tcp\" or \"udp\""},
        {product + "[[firewall]]\nprogram = \"a.exe\"\nprotocols = [\"tcp\"]\n", 5, "belong to a port"},
        {product + "[[firewall]]\nport = 80\nname = \"a;b\"\n", 5, "cannot hold \";\" or a line break"},
        {product + "[[firewall]]\nport = 80\nkept = true\n", 5, "unknown key \"kept\""},
        {product + "[taskbar]\npin_name = \"Tool\"\n", 4, "\"pin_name\" needs a \"pin_command\""},
        {product + "[advanced]\nshortcut_step_texts = [\"a\", \"b\"]\n[taskbar]\npin_command = \"t.exe\"\n", 6,
         "[taskbar] cannot be given together with [advanced] shortcut_step_texts"},
        {product + "[shortcuts]\nroot_name = \"Go\"\n", 4, "needs both \"root_name\" and \"root_command\""},
        {product + "[shortcuts]\ndesktop_folder_icon = \"icon.ico\"\n", 4, "needs a desktop folder"},
        {product + "[folders]\ndesktop = \"D\"\n[shortcuts]\ndesktop_folder_icon = \"licence.txt\"\n", 6,
         "\"licence.txt\" is not an icon"},
        {product + "[registry]\nmerge = \"empty.reg\"\n", 4, "the registry merge file is empty"},
        {product + "[advanced]\nfile_step_block = \"licence.txt\"\n[registry]\nmerge = \"settings.reg\"\n", 6,
         "file_step_block cannot be given together with"},
        {product + "[taskbar]\npin_comand = \"t.exe\"\n", 4, "unknown key \"pin_comand\" in [taskbar]"},
    };
    for (const Case &c : cases) {
        const std::string message = folder.Error(c.text);
        EXPECT_EQ(message.find("must be a number, not a number"), std::string::npos) << message;
        EXPECT_EQ(message.rfind("p.toml:" + std::to_string(c.line) + ":", 0), 0u)
            << "project:\n" << c.text << "\nmessage: " << message;
        EXPECT_NE(message.find(c.says), std::string::npos) << "project:\n" << c.text << "\nmessage: " << message;
    }
}

// The shell settings without a record item of their own reach the file-step block in the form the
// setup program reads; the pin is the two shortcut-step texts.
TEST(PackProjectShellSettings, TheKeysBuildTheBlockTheProgramReads)
{
    const ProjectFolder folder;
    const Project p = folder.Read("[product]\nname = \"P\"\n[folders]\ndesktop = \"P Folder\"\n"
                                  "[taskbar]\npin_command = \"%InstallDir%\\\\p.exe\"\npin_name = \"P \u00e9\"\n"
                                  "[shortcuts]\nroot_name = \"Start <product>\"\nroot_command = \"p.exe -x\"\n"
                                  "desktop_folder_icon = \"icon.ico\"\n"
                                  "[[firewall]]\nport = 8080\nprotocols = [\"tcp\", \"udp\"]\nname = \"Web\"\n"
                                  "[[firewall]]\nport = 53\nprotocols = [\"udp\"]\nkeep = true\n"
                                  "[[firewall]]\nprogram = \"bin\\\\caf\u00e9.exe\"\n"
                                  "[registry]\nmerge = \"settings.reg\"\n");
    EXPECT_EQ(p.settings.ShortcutStepTexts[kPinCommandText], Wide(u"%InstallDir%\\p.exe"));
    EXPECT_EQ(p.settings.ShortcutStepTexts[kPinNameText], Wide(u"P \u00e9"));
    ShellSettings shell;
    ASSERT_TRUE(ReadShellSettings(p.settings.FileStepBlock, shell));
    // Ports default to their protocols' bits, programs to 0; "1" keeps the exception. One line is
    // not ASCII, so the whole list is UTF-8 path text.
    EXPECT_EQ(std::string(shell.firewallList.Bytes(), size_t(shell.firewallList.Length())),
              "|8080;Web;3;0\r\n53;;2;1\r\nbin\\caf\xc3\xa9.exe;;0;0\r\n");
    EXPECT_EQ(shell.registryMerge, String("REGEDIT4\r\n"));
    EXPECT_EQ(shell.rootShortcutName, Wide(u"Start <product>"));
    EXPECT_EQ(shell.rootShortcutCommand, Wide(u"p.exe -x"));
    EXPECT_EQ(shell.desktopFolderIcon.Length(), 22);

    const Project none = folder.Read("[product]\nname = \"P\"\n");
    EXPECT_TRUE(none.settings.FileStepBlock.Empty()) << "no shell settings, no block";
    EXPECT_TRUE(none.settings.ShortcutStepTexts[kPinCommandText].Empty());
    const Project port = folder.Read("[product]\nname = \"P\"\n[[firewall]]\nport = 80\n");
    ASSERT_TRUE(ReadShellSettings(port.settings.FileStepBlock, shell));
    EXPECT_EQ(shell.firewallList, String("80;;1;0\r\n")) << "a port without protocols is a TCP port";
}

TEST(PackProjectErrors, AProjectWithoutAProductNameIsRefused)
{
    const ProjectFolder folder;
    EXPECT_NE(folder.Error("[folders]\ninstall = \"x\"\n").find("no [product] table"), std::string::npos);
    EXPECT_NE(folder.Error("[product]\nversion = \"1\"\n").find("needs a \"name\""), std::string::npos);
}

TEST(PackProjectDefaults, AMinimalProjectGetsAWorkingInstallation)
{
    const ProjectFolder folder;
    const Project p = folder.Read("[product]\nname = \"Hello\"\n[[files]]\nfrom = \"payload\"\n");
    const Settings &s = p.settings;

    EXPECT_EQ(s.DisplayName, Wide(u"Hello"));
    EXPECT_EQ(s.TaskbarText, Wide(u"Hello Setup"));
    EXPECT_EQ(s.UninstallerFileName, String("Uninstall.exe"));
    EXPECT_EQ(s.ShortcutMode, 1);
    EXPECT_TRUE(s.InstallFolderSetting.Empty());   // the program makes it Program Files\Hello
    EXPECT_EQ(s.ProgressWindowPosition, 3 | 24);
    for (int32_t variant : s.DialogVariants)
        EXPECT_EQ(variant, 1);

    const uint64_t on = ProductFlag::UninstallSupport | ProductFlag::CompressedChunks |
                        ProductFlag::FolderPage | ProductFlag::StartMenuPage |
                        ProductFlag::ProgressWindow | ProductFlag::CompareVersions | 0x40 /* log */ |
                        0x2 /* uninstall shortcut */ | ProductFlag::PreInstallBatchRunOption;
    const uint64_t off = ProductFlag::NoGreetingPage | ProductFlag::NoInstallerWindow |
                         ProductFlag::NoEarlierVersionQuestion | ProductFlag::RequiredProduct |
                         ProductFlag::BackgroundBitmap | ProductFlag::CheckImageChecksum |
                         0x200000 /* cancel disabled */ | 0x400000 /* no finish message */;
    EXPECT_EQ(s.ProductFlags & on, on);
    EXPECT_EQ(s.ProductFlags & off, 0u);
    EXPECT_EQ(s.ProductFlags2, ProductFlag2::SeparateUninstaller | 0x40000u /* completion message */);
    EXPECT_FALSE(p.package.encrypt);
    EXPECT_EQ(p.package.level, 6);

    ASSERT_EQ(s.Languages.names.size(), 1u);
    EXPECT_EQ(s.Languages.names[0], Wide(u"English"));
    EXPECT_EQ(s.Languages.rows.size(), 114u);

    ASSERT_EQ(p.files.size(), 3u);   // in the order of their paths
    EXPECT_EQ(p.files[0].record.name, String("a.txt"));
    EXPECT_EQ(p.files[1].record.name, String("sub\\b.dll"));
    EXPECT_EQ(p.files[2].record.name, String("sub\\c.tmp"));
    const FileRecord &r = p.files[1].record;
    EXPECT_EQ(r.type, kFileTypeProgram);
    EXPECT_EQ(r.flags, 0);
    EXPECT_EQ(r.attributes, kNoAttributes);
    EXPECT_TRUE(r.destination.Empty());
    EXPECT_EQ(p.files[1].size, 4u);
    EXPECT_GE(r.time.year, 2020);   // the file's modification time
    EXPECT_GE(r.time.hour, 0);
}

// Rows that are filled by printf must carry exactly the conversions their users pass; anything
// else shows garbage or crashes the program that shows the row.
TEST(PackProjectDefaults, BuiltInRowsCarryTheConversionsTheirUsersPass)
{
    struct Expect {
        int row;
        const char *conversions;
    } const expected[] = {
        {3, "ssss"}, {4, "ssss"}, {5, "ssss"}, {6, "ssss"}, {10, "s"}, {12, "s"}, {13, "d"},
        {16, "c"}, {18, "s"}, {38, "s"}, {40, "s"}, {56, "s"}, {59, "s"}, {61, "s"}, {96, "c"},
        {99, "s"}, {106, "s"}, {107, "s"},
    };
    int count = 0;
    const LanguageRowText *rows = DefaultLanguageRows(&count);
    for (int i = 0; i < count; ++i) {
        std::string conversions;
        for (const char *p = rows[i].text; *p; ++p)
            if (*p == '%' && p[1])
                conversions += *++p;
        std::string want;
        for (const Expect &e : expected)
            if (e.row == rows[i].row)
                want = e.conversions;
        EXPECT_EQ(conversions, want) << "row " << rows[i].row << " (" << rows[i].name << ")";
        EXPECT_EQ(LanguageRowByName(rows[i].name), rows[i].row);
        if (i > 0) {
            EXPECT_LT(rows[i - 1].row, rows[i].row);
        }
    }
    EXPECT_TRUE(IsSingleIntFormat(String(DefaultLanguageText(13).c_str())));
}

TEST(PackProjectLanguages, ProjectRowsOverrideTheBuiltInTextsPerLanguage)
{
    const ProjectFolder folder;
    const Project p = folder.Read(
        "[product]\nname = \"P\"\n"
        "[[language]]\nname = \"Deutsch\"\n[language.text]\nnext_button = \"&Weiter >\"\n"
        "300 = \"extra\"\n"
        "[[language]]\nname = \"English\"\n[language.text]\n1 = \"Hi\\nthere\"\n");
    const LanguageTable &t = p.settings.Languages;
    ASSERT_EQ(t.names.size(), 2u);
    EXPECT_EQ(t.names[0], Wide(u"Deutsch"));
    ASSERT_EQ(t.rows.size(), 301u);
    EXPECT_EQ(t.rows[48][0], Wide(u"&Weiter >"));
    EXPECT_EQ(t.rows[48][1], Wide(u"&Next >"));
    EXPECT_EQ(t.rows[1][1], Wide(u"Hi\r\nthere"));
    EXPECT_EQ(t.rows[1][0].Length(), String(DefaultLanguageText(1).c_str()).Length() * 2);
    EXPECT_EQ(t.rows[300][0], Wide(u"extra"));
    EXPECT_TRUE(t.rows[300][1].Empty());
    EXPECT_TRUE(t.rows[200][0].Empty());
}

TEST(PackProjectFiles, RulesApplyInOrderToTheFilesTheyMatch)
{
    const ProjectFolder folder;
    folder.Write("payload/sub/d.txt", "delta");
    const Project p = folder.Read(
        "[product]\nname = \"P\"\n"
        "[[files]]\nfrom = \"payload\"\nto = \"app\"\nexclude = \"*.tmp\"\nattributes = [\"archive\"]\n"
        "date = 2021-03-04T05:06:07\n"
        "[[files.rule]]\nmatch = \"*.dll\"\ntype = \"system\"\nversion = \"2.0\"\npermanent = true\n"
        "[[files.rule]]\nmatch = \"sub/**\"\nreplace = \"unless-newer\"\ndate = 2022-01-02\n"
        "[[files.rule]]\nmatch = \"sub/d.txt\"\ndate = \"modified\"\n"
        "[[files]]\nfrom = \"licence.txt\"\nname = \"Licence.txt\"\nstart_menu_shortcut = true\n"
        "shortcut_icon = \"%InstallDir%\\\\icon.ico\"\n");
    ASSERT_EQ(p.files.size(), 4u);

    const FileRecord &a = p.files[0].record;
    EXPECT_EQ(a.name, String("app\\a.txt"));
    EXPECT_EQ(a.type, kFileTypeProgram);
    EXPECT_EQ(a.attributes, 0x20);
    EXPECT_EQ(a.time, (DateTime{2021, 3, 4, 5, 6, 7}));

    const FileRecord &b = p.files[1].record;
    EXPECT_EQ(b.name, String("app\\sub\\b.dll"));
    EXPECT_EQ(b.type, kFileTypeSystem);
    EXPECT_EQ(b.version, String("2.0"));
    EXPECT_EQ(b.flags, kFileFlagPermanent | 0x10);
    EXPECT_EQ(b.time, (DateTime{2022, 1, 2, -1, 0, 0}));

    // A later rule gives d.txt its modification time back.
    EXPECT_EQ(p.files[2].record.time, FileModificationDate(p.files[2].source));

    const FileRecord &l = p.files[3].record;
    EXPECT_EQ(l.name, String("Licence.txt"));
    EXPECT_EQ(l.flags, kFileFlagStartMenuShortcut);
    EXPECT_EQ(l.shortcutIcon, String("%InstallDir%\\icon.ico"));
}

TEST(PackProjectFiles, NamesOutsideAsciiAreStoredAsUtf8PathText)
{
    const ProjectFolder folder;
    folder.Write("payload/caf\xC3\xA9.txt", "x");
    const Project p = folder.Read("[product]\nname = \"P\"\n[[files]]\nfrom = \"payload\"\n"
                                  "include = \"caf*\"\n");
    ASSERT_EQ(p.files.size(), 1u);
    EXPECT_EQ(p.files[0].record.name, String("|caf\xC3\xA9.txt"));
}

TEST(PackGlob, MatchesNamesFoldersAndDepths)
{
    struct Case {
        const char *pattern;
        const char *path;
        bool matches;
    } cases[] = {
        {"*.dll", "a.dll", true},          {"*.dll", "sub/deep/a.DLL", true},
        {"*.dll", "a.dll.bak", false},     {"sub/*.txt", "sub/a.txt", true},
        {"sub/*.txt", "sub/x/a.txt", false}, {"sub/**", "sub/x/a.txt", true},
        {"**/*.txt", "a.txt", true},       {"**/*.txt", "x/y/a.txt", true},
        {"a?c", "abc", true},              {"a?c", "a/c", false},
        {"[ab]x", "bx", true},             {"[!ab]x", "bx", false},
        {"[a-c]x", "Cx", true},            {"docs/readme.txt", "docs/readme.txt", true},
        {"[x", "[x", true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(GlobMatch(c.pattern, c.path), c.matches) << c.pattern << " on " << c.path;
}

TEST(PackProjectFiles, LinksKeepTheirNamesAndLinksToNothingAreErrors)
{
    const ProjectFolder folder;
    fs::create_symlink("a.txt", fs::path(folder.Path()) / "payload/link-to-a.txt");
    const Project p = folder.Read("[product]\nname = \"P\"\n[[files]]\nfrom = \"payload\"\n");
    std::vector<std::string> names;
    for (const ProjectFile &f : p.files)
        names.push_back(std::string(f.record.name.Bytes(), f.record.name.Length()));
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "link-to-a.txt", "sub\\b.dll", "sub\\c.tmp"}));
    EXPECT_EQ(p.files[1].size, 5u);   // the target's content

    fs::create_symlink("gone.txt", fs::path(folder.Path()) / "payload/sub/dangling.txt");
    const std::string message = folder.Error("[product]\nname = \"P\"\n[[files]]\nfrom = \"payload\"\n");
    EXPECT_EQ(message.rfind("p.toml:4:", 0), 0u) << message;
    EXPECT_NE(message.find("dangling.txt leads to nothing"), std::string::npos) << message;
}
