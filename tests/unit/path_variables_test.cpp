#include <gtest/gtest.h>

#include <map>
#include <string>

#include "setupdata/path_variables.h"

namespace {

// Test texts are ASCII: widened unit by unit, and narrowed back for readable failures.
String Wide(const std::string &text)
{
    String wide;
    for (char c : text)
        wide.AppendWideChar(static_cast<char16_t>(c));
    return wide;
}

std::string Narrow(const String &text)
{
    std::string narrow;
    for (int32_t i = 0; i < text.WideLength(); ++i)
        narrow += static_cast<char>(text.Wide()[i]);
    return narrow;
}

std::string Narrow(const char16_t *text) { return Narrow(String(text)); }

using KnownFolder = PathValueSource::KnownFolder;

// A machine made of maps; a missing entry is an empty answer.
class FakeMachine : public PathValueSource {
public:
    std::map<int, std::string> csidl;
    std::map<KnownFolder, std::string> known;
    std::map<std::string, std::string> machineShellFolders, userShellFolders, currentVersion, environment;
    std::string bootDir, devicePath, mediaPath, webRoot;
    std::string windows = "C:\\Windows", system = "C:\\Windows\\system32", temp = "C:\\Users\\me\\Temp\\";
    std::string module = "D:\\setup\\setup.exe";
    bool is64 = true, nt = true, expansionFails = false;

    String ShellFolder(int id) override { return Lookup(csidl, id); }
    String KnownFolderPath(KnownFolder folder) override { return Lookup(known, folder); }
    String ShellFoldersValue(bool allUsers, const char16_t *name) override
    {
        return Lookup(allUsers ? machineShellFolders : userShellFolders, Narrow(name));
    }
    String CurrentVersionValue(const char16_t *name) override { return Lookup(currentVersion, Narrow(name)); }
    String BootDir() override { return Wide(bootDir); }
    String DevicePath() override { return Wide(devicePath); }
    String MediaPath() override { return Wide(mediaPath); }
    String WebRootPath() override { return Wide(webRoot); }
    String WindowsFolder() override { return Wide(windows); }
    String SystemFolder() override { return Wide(system); }
    String TempFolder() override { return Wide(temp); }
    String ModuleFileName() override { return Wide(module); }
    String EnvironmentVariable(const char16_t *name) override { return Lookup(environment, Narrow(name)); }
    bool Is64BitWindows() override { return is64; }
    bool IsWindowsNT() override { return nt; }

    // As Windows does it: %name% of a defined variable is replaced, anything else is copied.
    bool ExpandEnvironment(String &text) override
    {
        if (expansionFails)
            return false;
        const std::string in = Narrow(text);
        std::string out;
        size_t i = 0;
        while (i < in.size()) {
            const size_t close = in[i] == '%' ? in.find('%', i + 1) : std::string::npos;
            if (close != std::string::npos && environment.count(in.substr(i + 1, close - i - 1))) {
                out += environment[in.substr(i + 1, close - i - 1)];
                i = close + 1;
            } else if (close != std::string::npos) {
                out += in.substr(i, close - i);   // the closing % may open the next name
                i = close;
            } else {
                out += in[i++];
            }
        }
        text = Wide(out);
        return true;
    }

private:
    template <typename Map, typename Key>
    static String Lookup(const Map &map, const Key &key)
    {
        auto it = map.find(key);
        return it == map.end() ? String() : Wide(it->second);
    }
};

// A 64-bit Windows as a 32-bit program sees it, with an installation under way.
class PathVariables : public ::testing::Test {
protected:
    void SetUp() override
    {
        machine.csidl = {
            {2, "C:\\Users\\me\\Start Menu\\Programs"},  {5, "C:\\Users\\me\\Documents"},
            {7, "C:\\Users\\me\\Start Menu\\Programs\\Startup"}, {11, "C:\\Users\\me\\Start Menu"},
            {16, "C:\\Users\\me\\Desktop"},              {23, "C:\\ProgramData\\Start Menu\\Programs"},
            {25, "C:\\Users\\Public\\Desktop"},          {26, "C:\\Users\\me\\AppData\\Roaming"},
            {35, "C:\\ProgramData"},                     {38, "C:\\Program Files (x86)"},
            {43, "C:\\Program Files (x86)\\Common Files"},
        };
        machine.environment = {
            {"ProgramW6432", "C:\\Program Files"},
            {"CommonProgramW6432", "C:\\Program Files\\Common Files"},
            {"PATH", "C:\\Windows;C:\\Tools"},
            {"SystemRoot", "C:\\Windows"},
            {"SystemDrive", "C:"},
        };
        state.installFolder = Wide("C:\\Program Files\\X");
        state.productName = Wide("Product X");
        state.version = Wide("3.1");
        state.oldVersion = Wide("2.10.3");
        state.sharedFolder = Wide("C:\\ProgramData\\Acme");
        state.startMenuFolderName = Wide("Product X");
        state.uninstallSubfolder = Wide("uninstall");
    }

    std::string Expand(const std::string &text)
    {
        String s = Wide(text);
        ExpandPathVariables(s, machine, state);
        return Narrow(s);
    }

    std::string Value(PathVariable variable) { return Narrow(PathVariableValue(variable, machine, state)); }

    FakeMachine machine;
    PathVariableState state;
};

struct ExpansionCase {
    const char *text;
    const char *expected;
};

TEST_F(PathVariables, ExpandsTheTableThenTheEnvironment)
{
    const ExpansionCase cases[] = {
        {"%InstallDir%\\bin", "C:\\Program Files\\X\\bin"},
        {"%installdir%\\bin", "C:\\Program Files\\X\\bin"},
        {"%INSTALLDIR%%InstallDir%", "C:\\Program Files\\XC:\\Program Files\\X"},
        {"%OldVersionMajor%.%OldVersionMinor%", "2.10"},
        {"%oldversionmajor% %OLDVERSIONMINOR%", "%oldversionmajor% %OLDVERSIONMINOR%"},
        {"%OldVersion%", "2.10.3"},
        {"%InstallerDrive%", "D"},
        {"%installerdrive%:\\x", "D:\\x"},
        {"%InstallDrive%", "C:"},
        {"%InstallerDir%|%InstallerFilename%|%InstallerFilepath%", "D:\\setup|setup.exe|D:\\setup\\setup.exe"},
        {"%Temp%\\a", "C:\\Users\\me\\Temp\\a"},
        {"%Bits%%Bits%", "6464"},
        {"%WinDir%\\notepad.exe", "C:\\Windows\\notepad.exe"},
        {"%UninstallDir%", "C:\\Program Files\\X\\uninstall"},
        {"%SharedDir%|%ProductName%|%Version%", "C:\\ProgramData\\Acme|Product X|3.1"},
        {"%StartMenuChosen%", "C:\\Users\\me\\Start Menu\\Programs\\Product X"},
        {"%PATH%", "C:\\Windows;C:\\Tools"},
        {"%PATH%;%InstallDir%", "C:\\Windows;C:\\Tools;C:\\Program Files\\X"},
        {"%NoSuchName%\\%InstallDir", "%NoSuchName%\\%InstallDir"},
        {"100% sure", "100% sure"},
        {"no variables", "no variables"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Expand(c.text), c.expected) << c.text;
}

TEST_F(PathVariables, ValuesInsertedByARowAreExpandedOnlyByLaterRows)
{
    const ExpansionCase installFolders[] = {
        // %Temp% comes after %InstallDir% in the table, %AppDataDir% before it.
        {"C:\\%Temp%\\X", "C:\\C:\\Users\\me\\Temp\\X"},
        {"%AppDataDir%\\X", "%AppDataDir%\\X"},
        // Not searched again for its own row, so it cannot recurse.
        {"%InstallDir%\\X", "%InstallDir%\\X"},
        // Environment variables are expanded after the table, in inserted values too.
        {"%SystemDrive%\\X", "C:\\X"},
    };
    for (const auto &c : installFolders) {
        state.installFolder = Wide(c.text);
        EXPECT_EQ(Expand("%InstallDir%"), c.expected) << c.text;
    }
}

TEST_F(PathVariables, NewInstallationHasEmptyOldVersionParts)
{
    state.oldVersion = String();
    EXPECT_EQ(Expand("[%OldVersion%|%OldVersionMajor%|%OldVersionMinor%]"), "[||]");
    state.oldVersion = Wide("7");
    EXPECT_EQ(Expand("[%OldVersionMajor%|%OldVersionMinor%]"), "[7|]");
}

TEST_F(PathVariables, DrivesOfTheInstallationAndOfTheProgram)
{
    struct Case {
        const char *installFolder, *module;
        const char *installDrive, *installerDrive, *installerDir;
    } cases[] = {
        {"C:\\Program Files\\X", "D:\\setup\\setup.exe", "C:", "D", "D:\\setup"},
        {"\\\\server\\share\\X", "d:\\setup.exe", "", "D", "d:\\"},
        {"e:", "\\\\server\\share\\setup.exe", "e:", "", "\\\\server\\share"},
        {"", "setup.exe", "", "", ""},
    };
    for (const auto &c : cases) {
        state.installFolder = Wide(c.installFolder);
        machine.module = c.module;
        EXPECT_EQ(Value(PathVariable::InstallDrive), c.installDrive) << c.installFolder;
        EXPECT_EQ(Value(PathVariable::InstallerDrive), c.installerDrive) << c.module;
        EXPECT_EQ(Value(PathVariable::InstallerDir), c.installerDir) << c.module;
    }
}

TEST_F(PathVariables, ProgramFolderViewsFollowWindowsAndInstallationWidth)
{
    struct Case {
        bool windows64;
        int bitness;
        const char *programs, *programs32, *programs64, *common;
    } cases[] = {
        {true, 1, "C:\\Program Files", "C:\\Program Files (x86)", "C:\\Program Files",
         "C:\\Program Files\\Common Files"},
        {true, 0, "C:\\Program Files (x86)", "C:\\Program Files (x86)", "C:\\Program Files",
         "C:\\Program Files (x86)\\Common Files"},
        {true, 2, "C:\\Program Files (x86)", "C:\\Program Files (x86)", "C:\\Program Files",
         "C:\\Program Files (x86)\\Common Files"},
        // On 32-bit Windows every view is the one folder there is.
        {false, 1, "C:\\Program Files (x86)", "C:\\Program Files (x86)", "C:\\Program Files (x86)",
         "C:\\Program Files (x86)\\Common Files"},
    };
    for (const auto &c : cases) {
        machine.is64 = c.windows64;
        state.bitness = c.bitness;
        EXPECT_EQ(Expand("%ProgramsDir%|%ProgramsDir32%|%ProgramsDir64%"),
                  std::string(c.programs) + "|" + c.programs32 + "|" + c.programs64)
            << c.windows64 << " " << c.bitness;
        EXPECT_EQ(Value(PathVariable::CommonDir), c.common) << c.windows64 << " " << c.bitness;
        EXPECT_EQ(Value(PathVariable::Bits), c.windows64 ? "64" : "32");
    }
}

TEST_F(PathVariables, FilesFolderViewsAreNormalised)
{
    struct Case {
        bool windows64;
        int view;
        const char *expected;
    } cases[] = {
        {true, kFilesView32, "C:\\Program Files (x86)"},
        {true, kFilesView64, "C:\\Program Files"},
        {true, kFilesViewNative, "C:\\Program Files (x86)"},
        {true, kFilesView64WhereAny, "C:\\Program Files"},
        {false, kFilesView64, "C:\\Program Files (x86)"},
        {false, kFilesView64WhereAny, "C:\\Program Files (x86)"},
    };
    for (const auto &c : cases) {
        machine.is64 = c.windows64;
        EXPECT_EQ(Narrow(ProgramFilesFolder(machine, c.view)), c.expected) << c.windows64 << " " << c.view;
    }
}

TEST_F(PathVariables, ProgramFilesChains)
{
    machine.csidl.clear();
    machine.environment.clear();
    machine.known = {{KnownFolder::ProgramFiles, "K:\\PF"}, {KnownFolder::ProgramFilesX64, "K:\\PF64"}};
    machine.currentVersion = {{"ProgramFilesDir", "R:\\PF\\"}};
    EXPECT_EQ(Narrow(ProgramFilesFolder(machine, kFilesViewNative)), "K:\\PF");
    EXPECT_EQ(Narrow(ProgramFilesFolder(machine, kFilesView64)), "K:\\PF64");

    machine.known.clear();
    machine.environment = {{"ProgramW6432", "E:\\PF64"}};
    EXPECT_EQ(Narrow(ProgramFilesFolder(machine, kFilesViewNative)), "R:\\PF");
    EXPECT_EQ(Narrow(ProgramFilesFolder(machine, kFilesView64)), "E:\\PF64");

    // Without a 64-bit source: the native folder without its first " (x86)", exact case only.
    machine.environment.clear();
    machine.currentVersion = {{"ProgramFilesDir", "C:\\Program Files (x86)\\ (x86)"}};
    EXPECT_EQ(Narrow(ProgramFilesFolder(machine, kFilesView64)), "C:\\Program Files\\ (x86)");
    machine.currentVersion = {{"ProgramFilesDir", "C:\\Program Files (X86)"}};
    EXPECT_EQ(Narrow(ProgramFilesFolder(machine, kFilesView64)), "C:\\Program Files (X86)");

    machine.currentVersion.clear();
    EXPECT_EQ(Narrow(ProgramFilesFolder(machine, kFilesViewNative)), "c:\\Program Files");
}

TEST_F(PathVariables, CommonFilesChains)
{
    machine.csidl.clear();
    machine.environment.clear();
    machine.known = {{KnownFolder::CommonFiles, "K:\\CF"}, {KnownFolder::CommonFilesX64, "K:\\CF64"}};
    machine.currentVersion = {{"CommonFilesDir", "R:\\CF\\"}, {"ProgramFilesDir", "R:\\PF (x86)"}};
    EXPECT_EQ(Narrow(CommonFilesFolder(machine, kFilesViewNative)), "K:\\CF");
    EXPECT_EQ(Narrow(CommonFilesFolder(machine, kFilesView64)), "K:\\CF64");

    machine.known.clear();
    machine.environment = {{"CommonProgramW6432", "E:\\CF64"}};
    EXPECT_EQ(Narrow(CommonFilesFolder(machine, kFilesViewNative)), "R:\\CF");
    EXPECT_EQ(Narrow(CommonFilesFolder(machine, kFilesView64)), "E:\\CF64");

    machine.environment.clear();
    machine.currentVersion.erase("CommonFilesDir");
    EXPECT_EQ(Narrow(CommonFilesFolder(machine, kFilesViewNative)), "R:\\PF (x86)\\Common Files");
    EXPECT_EQ(Narrow(CommonFilesFolder(machine, kFilesView64)), "R:\\PF\\Common Files");
}

// Each shell folder: the shell's answer, else the "Shell Folders" value (one trailing backslash
// dropped), else the row's own fallback.
TEST_F(PathVariables, ShellFolderChains)
{
    machine.csidl.clear();
    machine.csidl[43] = "C:\\CF";
    struct Case {
        PathVariable variable;
        int csidl;
        bool allUsers;
        const char *registryName;
        const char *fallback;
    } cases[] = {
        {PathVariable::AppDataAllDir, 35, true, "Common AppData", "C:\\CF"},
        {PathVariable::AppDataDir, 26, false, "AppData", "C:\\CF"},
        {PathVariable::DesktopDir, 16, false, "Desktop", "C:\\Windows\\Desktop"},
        {PathVariable::DesktopAllDir, 25, true, "Common Desktop", "C:\\Windows\\Desktop"},
        {PathVariable::DocumentDir, 5, false, "Personal", "c:\\My Documents"},
        {PathVariable::DocumentAllDir, 46, true, "Common Documents", "c:\\My Documents"},
        {PathVariable::FavoritesDir, 6, false, "Favorites", "C:\\Windows\\Favorites"},
        {PathVariable::FavoritesAllDir, 31, true, "Common Favorites", "C:\\Windows\\Favorites"},
        {PathVariable::FontDir, 20, false, "Fonts", "C:\\Windows\\Fonts"},
        {PathVariable::StartMenuDir, 11, false, "Start Menu", "C:\\Windows\\Start Menu"},
        {PathVariable::StartMenuAllDir, 22, true, "Common Start Menu", "C:\\Windows\\Start Menu"},
        {PathVariable::SMProgramsDir, 2, false, "Programs", "C:\\Windows\\Start Menu\\Programs"},
        {PathVariable::SMProgramsAllDir, 23, true, "Common Programs", "C:\\Windows\\Start Menu\\Programs"},
        {PathVariable::StartupDir, 7, false, "Startup", "C:\\Windows\\Start Menu\\Programs\\StartUp"},
        {PathVariable::StartupAllDir, 24, true, "Common Startup", "C:\\Windows\\Start Menu\\Programs\\StartUp"},
    };
    for (const auto &c : cases) {
        const std::string name = Narrow(PathVariableName(c.variable));
        auto &registry = c.allUsers ? machine.machineShellFolders : machine.userShellFolders;
        machine.csidl[c.csidl] = "S:\\shell";
        registry[c.registryName] = "R:\\registry\\";
        EXPECT_EQ(Value(c.variable), "S:\\shell") << name;
        machine.csidl.erase(c.csidl);
        EXPECT_EQ(Value(c.variable), "R:\\registry") << name;
        registry[c.registryName] = "R:\\";   // a drive root keeps its backslash
        EXPECT_EQ(Value(c.variable), "R:\\") << name;
        registry.erase(c.registryName);
        EXPECT_EQ(Value(c.variable), c.fallback) << name;
    }
}

TEST_F(PathVariables, AllUsersStartMenuFoldersFallBackToCommonStartup)
{
    machine.csidl.clear();
    machine.machineShellFolders["Common Startup"] = "C:\\All\\Start Menu\\Programs\\Startup\\";
    EXPECT_EQ(Value(PathVariable::SMProgramsAllDir), "C:\\All\\Start Menu\\Programs");
    EXPECT_EQ(Value(PathVariable::StartMenuAllDir), "C:\\All\\Start Menu");
    EXPECT_EQ(Value(PathVariable::StartupAllDir), "C:\\All\\Start Menu\\Programs\\Startup");
}

TEST_F(PathVariables, InstallationChoicesOfShortcutFolders)
{
    state.shortcutMode = 1;
    EXPECT_EQ(Value(PathVariable::StartMenuChosen), "C:\\ProgramData\\Start Menu\\Programs\\Product X");
    state.shortcutMode = 0;
    EXPECT_EQ(Value(PathVariable::StartMenuChosen), "C:\\Users\\me\\Start Menu\\Programs\\Product X");
    state.startMenuFolderName = String();
    EXPECT_EQ(Value(PathVariable::StartMenuChosen), "C:\\Users\\me\\Start Menu\\Programs");

    EXPECT_EQ(Narrow(DesktopShortcutsFolder(machine, 1, Wide("X"))), "C:\\Users\\Public\\Desktop\\X");
    EXPECT_EQ(Narrow(DesktopShortcutsFolder(machine, 0, Wide("X"))), "C:\\Users\\me\\Desktop\\X");
    EXPECT_EQ(Narrow(DesktopShortcutsFolder(machine, 0, String())), "C:\\Users\\me\\Desktop");
    state.desktopShortcuts = Wide("C:\\Users\\me\\Desktop\\X");
    EXPECT_EQ(Expand("%DesktopShortcuts%\\a.lnk"), "C:\\Users\\me\\Desktop\\X\\a.lnk");
}

TEST_F(PathVariables, RegistryBackedFolders)
{
    struct Case {
        const char *bootDir, *devicePath, *mediaPath, *webRoot;
        const char *bootDrive, *deviceDir, *mediaDir, *inetpub;
    } cases[] = {
        {"", "", "", "", "C:", "C:\\Windows\\INF", "C:\\Windows\\Media", "c:\\Inetpub"},
        {"d:\\", "%SystemRoot%\\inf;C:\\Drivers", "M:\\Media\\", "%SystemDrive%\\inetpub\\wwwroot\\",
         "D:", "C:\\Windows\\inf", "M:\\Media", "C:\\inetpub"},
        {"1:", "%systemroot%\\INF\\%SystemRoot%", "M:\\", "W:\\web\\root", "C:", "C:\\Windows\\INF\\%SystemRoot%",
         "M:\\", "W:\\web"},
        {"E", "C:\\Drivers\\", "", "root", "C:", "C:\\Drivers", "C:\\Windows\\Media", ""},
        {"", ";C:\\Drivers", "", "", "C:", "C:\\Windows\\INF", "C:\\Windows\\Media", "c:\\Inetpub"},
    };
    for (const auto &c : cases) {
        machine.bootDir = c.bootDir;
        machine.devicePath = c.devicePath;
        machine.mediaPath = c.mediaPath;
        machine.webRoot = c.webRoot;
        EXPECT_EQ(Value(PathVariable::BootDrive), c.bootDrive) << c.bootDir;
        EXPECT_EQ(Value(PathVariable::DeviceDir), c.deviceDir) << c.devicePath;
        EXPECT_EQ(Value(PathVariable::MediaDir), c.mediaDir) << c.mediaPath;
        EXPECT_EQ(Value(PathVariable::Inetpub), c.inetpub) << c.webRoot;
    }
    // Without SystemRoot in the environment the name stays for the final expansion.
    machine.environment.erase("SystemRoot");
    machine.devicePath = "%SystemRoot%\\inf";
    EXPECT_EQ(Value(PathVariable::DeviceDir), "%SystemRoot%\\inf");
}

TEST_F(PathVariables, SystemAndTemporaryFolders)
{
    struct Case {
        const char *system, *temp;
        bool nt;
        const char *systemDir, *tempDir;
    } cases[] = {
        {"C:\\Windows\\system32", "C:\\T\\", true, "C:\\Windows\\system32", "C:\\T"},
        {"", "C:\\T", true, "C:\\Windows\\System32", "C:\\T"},
        {"", "", false, "C:\\Windows\\System", "c:\\temp"},
        {"S:\\", "C:\\", true, "S:\\", "C:"},
    };
    for (const auto &c : cases) {
        machine.system = c.system;
        machine.temp = c.temp;
        machine.nt = c.nt;
        EXPECT_EQ(Value(PathVariable::SystemDir), c.systemDir) << c.system;
        EXPECT_EQ(Value(PathVariable::Temp), c.tempDir) << c.temp;
    }
}

TEST_F(PathVariables, FailedEnvironmentExpansionKeepsTheTableResult)
{
    machine.expansionFails = true;
    EXPECT_EQ(Expand("%InstallDir%\\%PATH%"), "C:\\Program Files\\X\\%PATH%");
}

TEST_F(PathVariables, EveryCallReadsCurrentValues)
{
    EXPECT_EQ(Expand("%InstallDir%|%AppDataDir%|%PATH%"), "C:\\Program Files\\X|C:\\Users\\me\\AppData\\Roaming|C:\\Windows;C:\\Tools");
    state.installFolder = Wide("D:\\Y");
    machine.csidl[26] = "E:\\Roaming";
    machine.environment["PATH"] = "P";
    EXPECT_EQ(Expand("%InstallDir%|%AppDataDir%|%PATH%"), "D:\\Y|E:\\Roaming|P");
}

TEST_F(PathVariables, OneArgumentFormsUseTheProcessWideSourceAndState)
{
    PathValueSource *old = SetPathValueSource(&machine);
    PathVariableState saved = InstallationPathState();
    InstallationPathState().installFolder = Wide("Q:\\Installed");
    InstallationPathState().productName = Wide("Q");
    String text = Wide("%InstallDir%\\<product>");
    ExpandPathVariables(text);
    ExpandProductPlaceholders(text);
    EXPECT_EQ(Narrow(text), "Q:\\Installed\\Q");
    EXPECT_EQ(Narrow(ProgramFilesFolder(kFilesView64)), "C:\\Program Files");
    EXPECT_EQ(Narrow(CommonFilesFolder(kFilesView32)), "C:\\Program Files (x86)\\Common Files");
    InstallationPathState() = saved;
    SetPathValueSource(old);
}

TEST_F(PathVariables, ProductPlaceholders)
{
    state.productDescription = Wide("Desc <product>");
    const ExpansionCase cases[] = {
        {"<product>|<PRODUCT>|<Description>|<os>", "Product X|Product X|Desc <product>|C:\\Windows"},
        {"<product", "<product"},
        {"no placeholders", "no placeholders"},
    };
    for (const auto &c : cases) {
        String s = Wide(c.text);
        ExpandProductPlaceholders(s, machine, state);
        EXPECT_EQ(Narrow(s), c.expected) << c.text;
    }
    // The rows go in order: "<os>" inside the product name is replaced, "<product>" inside the
    // description is not; an empty description is the product name.
    state.productName = Wide("On <os>");
    state.productDescription = String();
    String s = Wide("<description>");
    ExpandProductPlaceholders(s, machine, state);
    EXPECT_EQ(Narrow(s), "On C:\\Windows");
}

TEST(PathText, JoinPath)
{
    const struct {
        const char *a, *b, *joined;
    } cases[] = {
        {"C:\\a", "b", "C:\\a\\b"},       {"C:\\a\\", "b", "C:\\a\\b"},     {"C:", "b", "C:b"},
        {"C:\\a\\", "\\b", "C:\\a\\b"},   {"C:\\a", "\\b", "C:\\a\\b"},     {"C:\\a\\\\", "\\b", "C:\\a\\\\b"},
        {"", "\\b", "\\b"},               {"C:\\a", "", "C:\\a"},           {"", "", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Narrow(JoinPath(Wide(c.a), Wide(c.b))), c.joined) << c.a << " + " << c.b;
}

TEST(PathText, ParentFolder)
{
    const struct {
        const char *path, *parent;
    } cases[] = {
        {"C:\\a\\b", "C:\\a"}, {"C:\\a", "C:"}, {"C:\\a\\", "C:\\a"}, {"C:", ""}, {"", ""},
        {"\\\\server\\share", "\\\\server"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Narrow(ParentFolder(Wide(c.path))), c.parent) << c.path;
}

} // namespace
