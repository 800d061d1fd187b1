// The shortcut and firewall steps against the real shell and firewall interfaces (Wine): shortcut
// files read back through IShellLinkW, the desktop folder's Desktop.ini, the uninstall records, and
// what Wine's firewall manager allows.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <string>

#include "core/failure_summary.h"
#include "core/file_win.h"
#include "core/folders_win.h"
#include "core/path_parts.h"
#include "core/path_text.h"
#include "core/shell_link_win.h"
#include "core/wide_win.h"
#include "install/firewall_rules_win.h"
#include "install/install_log.h"
#include "install/shortcuts_win.h"
#include "setupdata/corruption.h"
#include "setupdata/path_variables.h"
#include "uninstall/uninstall_data.h"
#include "step_test_support.h"

namespace {

std::string &g_log = CapturedLog();

String TempFolder(const char16_t *name)
{
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    return WidePathJoin(String(FromWide(temp)), W(name));
}

bool Recorded(const String &widePath)
{
    const std::vector<String> &records = g_uninstall.list.Records();
    const String item = PathTextFromWide(widePath);
    return std::find(records.begin(), records.end(), item) != records.end();
}

bool RecordedFolder(const String &widePath)
{
    const std::vector<String> &records = g_uninstall.list.Records();
    String item("~");
    item.Append(PathTextFromWide(widePath));
    return std::find(records.begin(), records.end(), item) != records.end();
}

// The show command as the link file stores it (the header's ShowCommand field at 0x3C), which is
// what Explorer reads.
int StoredShowCommand(const String &linkPath)
{
    String bytes;
    if (ReadWholeFile(linkPath, bytes) != 0 || bytes.Length() < 0x40)
        return -1;
    const uint8_t *b = bytes.Data() + 0x3C;
    return b[0] | (b[1] << 8) | (b[2] << 16) | (b[3] << 24);
}

bool Exists(const String &path) { return GetFileAttributesW(AsWide(path)) != INVALID_FILE_ATTRIBUTES; }

class ShortcutSteps : public StepTest {
protected:
    void SetUp() override
    {
        StepTest::SetUp();
        install_ = TempFolder(u"Kestrival Shortcuts");
        ASSERT_TRUE(CreateFolderPath(install_));
        in_.resolve.installFolder = install_;
        in_.resolve.uninstallFolder = WidePathJoin(install_, W(u"uninstall"));
        ASSERT_TRUE(CreateFolderPath(in_.resolve.uninstallFolder));
        in_.resolve.unnamedTemplate = W(u"Run %s");
        in_.productFlags = 0x100000;   // detailed log
        in_.startMenuFolder = W(u"Kestrival Test");
        in_.failureLead = W(u"Failed:");
        in_.productName = W(u"Kestrival Test");
    }
    String install_;
    ShortcutStepInput in_;
};

String ShellFolderPath(int csidl) { return DefaultPathValueSource().ShellFolder(csidl); }

TEST_F(ShortcutSteps, EveryPlaceReadsBackAndIsRecorded)
{
    ShortcutRecord app;
    app.startMenu = 1;
    app.desktop = 1;
    app.startup = 1;
    app.show = 2;
    app.target = String("app.exe");
    app.name = W(u"Tools\\Kestrival App");
    app.arguments = W(u"--start \"x y\"");
    app.icon = String("app.ico");
    app.workingFolder = String("C:");
    app.folder = PathTextFromWide(WidePathJoin(install_, W(u"links")));
    ShortcutRecord kept;
    kept.startMenu = 1;
    kept.permanent = 1;
    kept.target = String("C:\\windows\\notepad.exe");
    kept.name = W(u"Kept");
    ShortcutRecord quiet;
    quiet.startMenu = 1;
    quiet.quiet = 1;
    quiet.name = W(u"No target");
    ShortcutRecord loud = quiet;
    loud.quiet = 0;
    loud.name = W(u"Loud");
    // A chosen folder that the shortcut makes goes at removal; one that was there stays.
    ShortcutRecord made;
    made.target = String("app.exe");
    made.name = W(u"Made");
    made.folder = PathTextFromWide(WidePathJoin(install_, W(u"made")));
    ShortcutRecord existing = made;
    existing.folder = PathTextFromWide(install_);
    CreateShortcuts(in_, {app, kept, quiet, loud, made, existing});
    EXPECT_TRUE(RecordedFolder(WidePathJoin(install_, W(u"made"))));
    EXPECT_TRUE(Recorded(WidePathJoin(install_, W(u"Made.lnk"))));
    EXPECT_FALSE(RecordedFolder(install_));

    const String programs = WidePathJoin(ShellFolderPath(CSIDL_PROGRAMS), W(u"Kestrival Test"));
    const String startMenuLink = WidePathJoin(programs, W(u"Tools\\Kestrival App.lnk"));
    const String places[] = {
        startMenuLink,
        WidePathJoin(ShellFolderPath(CSIDL_DESKTOPDIRECTORY), W(u"Tools\\Kestrival App.lnk")),
        WidePathJoin(ShellFolderPath(CSIDL_STARTUP), W(u"Tools\\Kestrival App.lnk")),
        WidePathJoin(install_, W(u"links\\Tools\\Kestrival App.lnk")),
    };
    for (const String &place : places) {
        ShellLinkData link;
        ASSERT_EQ(LoadShellLink(place, link), S_OK) << U8(place);
        EXPECT_EQ(U8(link.target), U8(WidePathJoin(install_, W(u"app.exe")))) << U8(place);
        EXPECT_EQ(U8(link.arguments), "--start \"x y\"");
        EXPECT_EQ(U8(link.workingFolder), "C:\\");
        EXPECT_EQ(U8(link.iconPath), U8(WidePathJoin(in_.resolve.uninstallFolder, W(u"app.ico"))));
        EXPECT_EQ(StoredShowCommand(place), SW_SHOWMAXIMIZED) << U8(place);
        EXPECT_TRUE(Recorded(place)) << U8(place);
        EXPECT_TRUE(RecordedFolder(WidePathFolder(place))) << U8(place);   // the "Tools" subfolder
    }
    EXPECT_NE(g_log.find("Start Menu Shortcut(Tools\\Kestrival App) >>> "), std::string::npos) << g_log;
    EXPECT_NE(g_log.find("Desktop Shortcut(Tools\\Kestrival App) >>> "), std::string::npos);
    EXPECT_NE(g_log.find("Startup Shortcut(Tools\\Kestrival App) >>> "), std::string::npos);

    const String keptLink = WidePathJoin(programs, W(u"Kept.lnk"));
    EXPECT_TRUE(Exists(keptLink));
    EXPECT_FALSE(Recorded(keptLink));
    // The quiet one fails silently, the other names its path in the failure summary.
    const std::string summary(FailureSummary().Bytes(), FailureSummary().Length());
    EXPECT_EQ(summary.find("No target"), std::string::npos) << summary;
    EXPECT_NE(summary.find("Failed: " + U8(WidePathJoin(programs, W(u"Loud.lnk"))) + "\r\n"), std::string::npos) << summary;
}

TEST_F(ShortcutSteps, DesktopFolderGetsItsIconAndDesktopIni)
{
    in_.desktopFolder = WidePathJoin(ShellFolderPath(CSIDL_DESKTOPDIRECTORY), W(u"Kestrival Folder"));
    in_.desktopFolderIcon = String("\0\0\1\0fake icon", 13);
    ShortcutRecord a;
    a.desktop = 1;
    a.target = String("C:\\windows\\notepad.exe");
    a.name = W(u"Editor");
    ShortcutRecord b = a;
    b.name = W(u"Second");
    CreateShortcuts(in_, {a, b});

    const String ini = WidePathJoin(in_.desktopFolder, W(u"Desktop.ini"));
    const String icon = WidePathJoin(in_.resolve.uninstallFolder, W(u"Desktop Icon.ico"));
    EXPECT_TRUE(Exists(WidePathJoin(in_.desktopFolder, W(u"Editor.lnk"))));
    EXPECT_TRUE(Exists(WidePathJoin(in_.desktopFolder, W(u"Second.lnk"))));
    wchar_t value[MAX_PATH + 1] = {};
    GetPrivateProfileStringW(L".ShellClassInfo", L"IconFile", L"", value, MAX_PATH, AsWide(ini));
    EXPECT_EQ(U8(String(FromWide(value))), U8(icon));
    GetPrivateProfileStringW(L".ShellClassInfo", L"IconIndex", L"", value, MAX_PATH, AsWide(ini));
    EXPECT_EQ(U8(String(FromWide(value))), "0");
    EXPECT_TRUE(GetFileAttributesW(AsWide(ini)) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(GetFileAttributesW(AsWide(in_.desktopFolder)) & FILE_ATTRIBUTE_SYSTEM);
    EXPECT_TRUE(Recorded(ini));
    EXPECT_TRUE(Recorded(icon));
    EXPECT_TRUE(RecordedFolder(in_.desktopFolder));
    EXPECT_NE(g_log.find("Desktop Folder Shortcut(Editor) >>> "), std::string::npos) << g_log;
    // The folder is made and recorded once, whatever the number of its shortcuts.
    const std::vector<String> &records = g_uninstall.list.Records();
    EXPECT_EQ(std::count(records.begin(), records.end(), PathTextFromWide(ini)), 1);
}

TEST_F(ShortcutSteps, RootShortcutOnlyOnRemovableTargetsAndNoPinOnWindows10)
{
    in_.rootShortcutName = W(u"Kestrival Root");
    in_.rootCommand = W(u"\"C:\\windows\\notepad.exe\" readme.txt");
    CreateRootShortcut(in_);   // not removable: nothing
    EXPECT_FALSE(Exists(W(u"C:\\Kestrival Root.lnk")));

    in_.removableTarget = true;
    CreateRootShortcut(in_);
    ShellLinkData link;
    ASSERT_EQ(LoadShellLink(W(u"C:\\Kestrival Root.lnk"), link), S_OK);
    EXPECT_EQ(U8(link.target), "C:\\windows\\notepad.exe");
    EXPECT_EQ(U8(link.arguments), "readme.txt");
    EXPECT_TRUE(Recorded(W(u"C:\\Kestrival Root.lnk")));
    EXPECT_NE(g_log.find("Root Shortcut(Kestrival Root) >>> C:\\Kestrival Root.lnk\r\n"), std::string::npos) << g_log;
    DeleteFileW(L"C:\\Kestrival Root.lnk");

    in_.removableTarget = false;
    in_.pinCommand = W(u"C:\\windows\\notepad.exe");
    in_.windows.major = 10;
    g_log.clear();
    g_uninstall.list.Clear();
    PinToTaskbar(in_);
    EXPECT_EQ(g_log, "");
    EXPECT_TRUE(g_uninstall.list.Empty());
}

// Wine's firewall manager (hnetcfg) keeps its ports and applications in memory only; what it
// accepts is what the step records. A program that does not exist is never added.
TEST_F(ShortcutSteps, FirewallEntriesAreLoggedAndRecordedWhenAdded)
{
    FirewallStepInput in;
    in.list = W(u"28080;Kestrival web;3;0\r\nmissing.exe;Missing;0;0\r\nC:\\windows\\notepad.exe;;0;1\n");
    in.productName = W(u"Kestrival Test");
    in.installFolder = install_;
    AddFirewallExceptions(in);
    if (g_log.find("Failed to connect to the firewall service") != std::string::npos)
        GTEST_SKIP() << "no firewall manager in this prefix: " << g_log;
    EXPECT_NE(g_log.find("Failed to add firewall exception for \"" + U8(WidePathJoin(install_, W(u"missing.exe"))) +
                         "\": file does not exist\r\n"),
              std::string::npos) << g_log;
    const bool tcp = g_log.find("Added firewall exception: TCP port 28080\r\n") != std::string::npos;
    const bool udp = g_log.find("Added firewall exception: UDP port 28080\r\n") != std::string::npos;
    EXPECT_TRUE(tcp || g_log.find("Failed to open firewall port 28080, code ") != std::string::npos) << g_log;
    // The port entry is recorded when its last operation (UDP) succeeded; the program entry stays.
    ASSERT_EQ(g_uninstall.firewall.size(), udp ? 1u : 0u) << g_log;
    if (udp) {
        EXPECT_EQ(std::string(g_uninstall.firewall[0].Bytes()), "28080;Kestrival web;3;0");
    }
    RemoveFirewallExceptions(g_uninstall.firewall, install_, nullptr);
    std::printf("firewall log under this Wine:\n%s", g_log.c_str());
}

struct Corruption {
    int code;
};
void ThrowCorruption(int code) { throw Corruption{code}; }

// An entry without exactly four fields is corruption of the setup data: the run ends with code 90
// before anything of that entry is done.
TEST_F(ShortcutSteps, MalformedFirewallEntryEndsTheRunWithCode90)
{
    FirewallStepInput in;
    in.list = W(u"28081;Three fields;1\r\n");
    in.productName = W(u"Kestrival Test");
    in.installFolder = install_;
    SetCorruptionHandler(ThrowCorruption);
    int code = 0;
    try {
        AddFirewallExceptions(in);
    } catch (const Corruption &c) {
        code = c.code;
    }
    SetCorruptionHandler(nullptr);
    if (g_log.find("Failed to connect to the firewall service") != std::string::npos)
        GTEST_SKIP() << g_log;
    EXPECT_EQ(code, 90);
    EXPECT_TRUE(g_uninstall.firewall.empty());
}

} // namespace
