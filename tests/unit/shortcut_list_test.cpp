#include <gtest/gtest.h>

#include "install/shortcut_list.h"
#include "wide_support.h"

namespace {

// Stands in for the path variables: "%InstallDir%" and "%Tools%" only.
void FakeExpand(String &text)
{
    struct Row {
        const char16_t *name, *value;
    } rows[] = {{u"%InstallDir%", u"C:\\App"}, {u"%Tools%", u"D:\\Tools"}};
    for (const Row &row : rows) {
        String name(row.name);
        for (;;) {
            int32_t at = -1;
            for (int32_t i = 0; i + name.WideLength() <= text.WideLength(); ++i) {
                if (String(text.Wide() + i, name.WideLength()) == name) {
                    at = i;
                    break;
                }
            }
            if (at < 0)
                break;
            String next(text.Wide(), at);
            next.AppendWide(row.value);
            next.AppendWide(text.Wide() + at + name.WideLength(), text.WideLength() - at - name.WideLength());
            text = next;
        }
    }
}

ShortcutResolveInput Input()
{
    ShortcutResolveInput in;
    in.installFolder = Wd(u"C:\\App");
    in.uninstallFolder = Wd(u"C:\\App\\uninstall");
    in.unnamedTemplate = Wd(u"Start %s now");
    in.expand = FakeExpand;
    return in;
}

TEST(ShortcutList, RecordsResolveTheirTargetFoldersAndNames)
{
    struct Case {
        const char *target;
        bool expandTarget;
        const char16_t *arguments;
        const char *icon;
        const char *workingFolder;
        const char16_t *name;
        const char *folder;
        const char *wantTarget;
        const char *wantArguments;
        const char *wantIcon;
        const char *wantWorking;
        const char *wantName;
        const char *wantFolder;
    } cases[] = {
        {"%InstallDir%\\app.exe", true, u"-x", "app.ico", "", u"App", "",
         "C:\\App\\app.exe", "-x", "C:\\App\\uninstall\\app.ico", "C:\\App", "App", ""},
        {"bin\\tool.exe", true, u"", "D:\\icons\\t.ico", "%Tools%", u"Sub\\Tool", "%Tools%\\links",
         "C:\\App\\bin\\tool.exe", "", "D:\\icons\\t.ico", "D:\\Tools", "Sub\\Tool", "D:\\Tools\\links"},
        {"%InstallDir%\\kept.exe", false, u"", "", "  ", u"", "",
         "C:\\App\\%InstallDir%\\kept.exe", "", "", "C:\\App", "Start kept now", ""},
        {"ignored.exe", true, u"~\"%Tools%\\run me.exe\" --flag \"a b\"", "", "", u"Run", "",
         "D:\\Tools\\run me.exe", "--flag \"a b\"", "", "C:\\App", "Run", ""},
        {"\\\\server\\share\\net.exe", true, u"", "", "", u"", "",
         "\\\\server\\share\\net.exe", "", "", "C:\\App", "Start net now", ""},
    };
    for (const auto &c : cases) {
        ShortcutRecord record;
        record.target = String(c.target);
        record.expandTarget = c.expandTarget;
        record.arguments = Wd(c.arguments);
        record.icon = String(c.icon);
        record.workingFolder = String(c.workingFolder);
        record.name = Wd(c.name);
        record.folder = String(c.folder);
        const ResolvedShortcut r = ResolveShortcut(record, Input());
        EXPECT_EQ(Utf8(r.target), c.wantTarget) << c.target;
        EXPECT_EQ(Utf8(r.arguments), c.wantArguments) << c.target;
        EXPECT_EQ(Utf8(r.icon), c.wantIcon) << c.target;
        EXPECT_EQ(Utf8(r.workingFolder), c.wantWorking) << c.target;
        EXPECT_EQ(Utf8(r.name), c.wantName) << c.target;
        EXPECT_EQ(Utf8(r.folder), c.wantFolder) << c.target;
    }
}

TEST(ShortcutList, ShowFlags)
{
    struct Case {
        int mode;
        uint8_t show;
        uint32_t flags;
    } cases[] = {{0, 0, 0}, {1, 0, kShortcutAllUsers}, {0, 1, kShortcutMinimised},
                 {1, 2, kShortcutAllUsers | kShortcutMaximised}, {0, 3, 0}};
    for (const auto &c : cases) {
        ShortcutRecord record;
        record.target = String("C:\\a.exe");
        record.show = c.show;
        ShortcutResolveInput in = Input();
        in.shortcutMode = c.mode;
        EXPECT_EQ(ResolveShortcut(record, in).showFlags, c.flags) << c.mode << " " << int(c.show);
    }
}

TEST(ShortcutList, WorkingFolderAndCommandSplitting)
{
    struct Folder {
        const char *in, *out;
    } folders[] = {{"C:", "C:\\"}, {"C:\\", "C:\\"}, {"C:\\\\", "C:\\"}, {" C:\\App\\ ", "C:\\App"},
                   {"C:\\App", "C:\\App"}, {"", ""}};
    for (const auto &f : folders)
        EXPECT_EQ(Utf8(NormaliseWorkingFolder(WideFrom(f.in))), f.out) << f.in;

    struct Command {
        const char *command, *program, *arguments;
    } commands[] = {
        {"\"C:\\Program Files\\App\\a.exe\" /x /y", "C:\\Program Files\\App\\a.exe", "/x /y"},
        {"C:\\App\\a.exe   -v", "C:\\App\\a.exe", "-v"},
        {"  a.exe", "a.exe", ""},
        {"\"unclosed path", "unclosed path", ""},
        {"", "", ""},
    };
    for (const auto &c : commands) {
        String program, arguments;
        SplitCommand(WideFrom(c.command), program, arguments);
        EXPECT_EQ(Utf8(program), c.program) << c.command;
        EXPECT_EQ(Utf8(arguments), c.arguments) << c.command;
    }
}

TEST(ShortcutList, UninstallLogAndFileRecords)
{
    ShortcutList list;
    UninstallShortcutInput in;
    in.uninstallerPath = Wd(u"C:\\App\\uninstall\\uninstall.exe");
    in.entryName = Wd(u"Sample");
    in.name = Wd(u"Uninstall Sample");
    in.uninstallFolder = Wd(u"C:\\App\\uninstall");
    in.productFlags = 0x2 | 0x200000000 | 0x4000000000;
    AddUninstallShortcuts(list, in);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_TRUE(list[0].startMenu && !list[0].desktop && list[0].folder.Empty());
    EXPECT_TRUE(list[1].desktop && !list[1].startMenu);
    EXPECT_EQ(std::string(list[2].folder.Bytes()), "C:\\App\\uninstall");
    for (const ShortcutRecord &r : list) {
        EXPECT_TRUE(r.quiet);
        EXPECT_FALSE(r.permanent);
        EXPECT_EQ(Utf8(r.arguments), "/u:\"Sample\"");
        EXPECT_EQ(std::string(r.icon.Bytes()), "C:\\App\\uninstall\\uninstall.ico");
        EXPECT_EQ(std::string(r.target.Bytes()), "C:\\App\\uninstall\\uninstall.exe");
    }

    list.clear();
    in.productFlags = 0x200000000;
    AddUninstallShortcuts(list, in);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_TRUE(list[0].desktop);

    list.clear();
    AddLogShortcut(list, 0, Wd(u"C:\\App\\Install.log"), Wd(u"Log"));
    EXPECT_TRUE(list.empty());
    AddLogShortcut(list, 0x800000000000000, Wd(u"C:\\App\\Install.log"), Wd(u"Log"));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_TRUE(list[0].startMenu);
    EXPECT_FALSE(list[0].quiet);

    FileRecord file;
    file.type = kFileTypeProgram;
    file.flags = kFileFlagDesktopShortcut | kFileFlagPermanent;
    file.version = String("D\xC3\xA9mo");
    file.arguments = String("-\xE9");   // code page 1252
    file.shortcutIcon = String("demo.ico");
    file.workingFolder = String("%InstallDir%");
    const ShortcutRecord r = ShortcutFromFileRecord(file, WideFrom("C:\\App\\d\xC3\xA9mo.exe"));
    EXPECT_TRUE(r.desktop && !r.startMenu && !r.startup && r.permanent && !r.expandTarget);
    EXPECT_EQ(std::string(r.target.Bytes()), "|C:\\App\\d\xC3\xA9mo.exe");
    EXPECT_EQ(Utf8(r.name), "D\xC3\xA9mo");
    EXPECT_EQ(Utf8(r.arguments), "-\xC3\xA9");
    file.type = kFileTypeStartup;
    file.flags = 0;
    EXPECT_TRUE(ShortcutFromFileRecord(file, Wd(u"C:\\App\\s.exe")).startup);
}

TEST(ShortcutList, TaskbarPinOnlyOnWindows7To81)
{
    struct Case {
        uint32_t major, minor;
        bool pin;
    } cases[] = {{6, 0, false}, {6, 1, true}, {6, 2, true}, {6, 3, true}, {6, 4, false}, {10, 0, false}, {5, 1, false}};
    for (const auto &c : cases) {
        WindowsVersion v;
        v.major = c.major;
        v.minor = c.minor;
        EXPECT_EQ(TaskbarPinSupported(v), c.pin) << c.major << "." << c.minor;
    }
    EXPECT_EQ(Utf8(PinnedShortcutPath(Wd(u"C:\\Users\\u\\AppData\\Roaming"), Wd(u"Sample"))),
              "C:\\Users\\u\\AppData\\Roaming\\Microsoft\\Internet Explorer\\Quick Launch\\User Pinned\\TaskBar\\Sample.lnk");
}

} // namespace
