// Path variables on a real system (run under Wine in a 64-bit prefix, where this 32-bit program's
// native Program Files folder is "Program Files (x86)").
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/registry_win.h"
#include "core/wide_win.h"
#include "setupdata/path_variables.h"

namespace {

std::wstring ToStd(const String &text)
{
    return std::wstring(AsWide(text), static_cast<size_t>(text.WideLength()));
}

String FromStd(const std::wstring &text)
{
    return String(FromWide(text.c_str()), static_cast<int32_t>(text.size()));
}

std::string Utf8(const std::wstring &text)
{
    std::string out;
    for (wchar_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

bool SameIgnoringCase(const std::wstring &a, const std::wstring &b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

#define EXPECT_SAME_PATH(actual, expected)                                                        \
    EXPECT_PRED2(SameIgnoringCase, actual, expected) << Utf8(actual) << " vs " << Utf8(expected)

template <typename Call>
std::wstring SystemText(Call call)
{
    wchar_t buffer[4096] = {};
    const DWORD n = call(buffer, 4096);
    return n > 0 && n < 4096 ? std::wstring(buffer, n) : std::wstring();
}

bool Windows64()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

class RealPathVariables : public ::testing::Test {
protected:
    void SetUp() override { saved = InstallationPathState(); }
    void TearDown() override { InstallationPathState() = saved; }

    static std::wstring Expand(const std::wstring &text)
    {
        String s = FromStd(text);
        ExpandPathVariables(s);
        return ToStd(s);
    }

    PathVariableState saved;
};

TEST_F(RealPathVariables, ProgramFoldersByInstallationWidth)
{
    const bool windows64 = Windows64();
    const std::wstring programs32 = windows64 ? L"C:\\Program Files (x86)" : L"C:\\Program Files";
    const std::wstring programs64 = L"C:\\Program Files";

    EXPECT_SAME_PATH(Expand(L"%ProgramsDir32%"), programs32);
    EXPECT_SAME_PATH(Expand(L"%ProgramsDir64%"), programs64);
    EXPECT_SAME_PATH(Expand(L"%CommonDir32%"), programs32 + L"\\Common Files");
    EXPECT_SAME_PATH(Expand(L"%CommonDir64%"), programs64 + L"\\Common Files");

    InstallationPathState().bitness = 1;
    EXPECT_SAME_PATH(Expand(L"%ProgramsDir%"), programs64);
    EXPECT_SAME_PATH(Expand(L"%CommonDir%"), programs64 + L"\\Common Files");
    InstallationPathState().bitness = 0;
    EXPECT_SAME_PATH(Expand(L"%ProgramsDir%"), programs32);
    EXPECT_SAME_PATH(Expand(L"%CommonDir%"), programs32 + L"\\Common Files");

    EXPECT_EQ(Expand(L"%Bits%"), windows64 ? L"64" : L"32");
}

TEST_F(RealPathVariables, SystemFolders)
{
    const std::wstring windows = SystemText([](wchar_t *b, UINT n) { return GetWindowsDirectoryW(b, n); });
    ASSERT_FALSE(windows.empty());
    EXPECT_SAME_PATH(Expand(L"%WinDir%"), windows);
    EXPECT_SAME_PATH(Expand(L"%SystemDir%"),
                     SystemText([](wchar_t *b, UINT n) { return GetSystemDirectoryW(b, n); }));
    EXPECT_SAME_PATH(Expand(L"%FontDir%"), windows + L"\\Fonts");

    String os(u"<os>");
    ExpandProductPlaceholders(os);
    EXPECT_SAME_PATH(ToStd(os), windows);

    std::wstring temp = SystemText([](wchar_t *b, DWORD n) { return GetTempPathW(n, b); });
    ASSERT_FALSE(temp.empty());
    if (temp.back() == L'\\')
        temp.pop_back();
    const std::wstring expanded = Expand(L"%Temp%");
    EXPECT_SAME_PATH(expanded, temp);
    EXPECT_NE(expanded.back(), L'\\');
}

TEST_F(RealPathVariables, ShellFolders)
{
    const std::wstring appData = SystemText([](wchar_t *b, DWORD n) {
        return GetEnvironmentVariableW(L"APPDATA", b, n);
    });
    ASSERT_FALSE(appData.empty());
    EXPECT_SAME_PATH(Expand(L"%AppDataDir%"), appData);
    // The all-users folders exist as well and differ from the user's.
    EXPECT_FALSE(Expand(L"%DesktopAllDir%").empty());
    EXPECT_FALSE(SameIgnoringCase(Expand(L"%StartMenuAllDir%"), Expand(L"%StartMenuDir%")));
}

TEST_F(RealPathVariables, TheProgramsOwnFile)
{
    const std::wstring module = SystemText([](wchar_t *b, DWORD n) { return GetModuleFileNameW(nullptr, b, n); });
    ASSERT_FALSE(module.empty());
    const size_t slash = module.rfind(L'\\');
    EXPECT_EQ(Expand(L"%InstallerFilepath%"), module);
    EXPECT_EQ(Expand(L"%InstallerFilename%"), module.substr(slash + 1));
    EXPECT_EQ(Expand(L"%InstallerDir%"), module.substr(0, slash));
    EXPECT_EQ(Expand(L"%InstallerDrive%"), std::wstring(1, static_cast<wchar_t>(towupper(module[0]))));
}

TEST_F(RealPathVariables, EnvironmentVariablesAreReadOnEveryCall)
{
    ASSERT_TRUE(SetEnvironmentVariableW(L"KS_PATHVAR", L"first"));
    InstallationPathState().installFolder = FromStd(L"C:\\%KS_PATHVAR%");
    EXPECT_EQ(Expand(L"%InstallDir%\\%ks_pathvar%"), L"C:\\first\\first");

    ASSERT_TRUE(SetEnvironmentVariableW(L"KS_PATHVAR", L"second"));
    EXPECT_EQ(Expand(L"%KS_PATHVAR%"), L"second");

    ASSERT_TRUE(SetEnvironmentVariableW(L"KS_PATHVAR", nullptr));
    EXPECT_EQ(Expand(L"%KS_PATHVAR%|%KS_NOT_SET%"), L"%KS_PATHVAR%|%KS_NOT_SET%");
}

TEST_F(RealPathVariables, EnvironmentExpansionUsesAtMost31999Characters)
{
    ASSERT_TRUE(SetEnvironmentVariableW(L"KS_PATHVAR", L"xyz"));
    // 31,995 + 3 characters and the terminator fit; one more does not, and the text stays.
    const std::wstring fits = std::wstring(31995, L'a') + L"%KS_PATHVAR%";
    // Compared with == so that a failure does not print 32,000 characters.
    EXPECT_TRUE(Expand(fits) == std::wstring(31995, L'a') + L"xyz");
    const std::wstring tooLong = std::wstring(31996, L'a') + L"%KS_PATHVAR%";
    EXPECT_TRUE(Expand(tooLong) == tooLong);
    ASSERT_TRUE(SetEnvironmentVariableW(L"KS_PATHVAR", nullptr));
}


TEST_F(RealPathVariables, SystemRegistryValuesAreReadFromTheSystemView)
{
    const std::wstring systemRoot = SystemText([](wchar_t *b, DWORD n) {
        return GetEnvironmentVariableW(L"SystemRoot", b, n);
    });
    const String currentVersion(u"Software\\Microsoft\\Windows\\CurrentVersion");
    struct Case {
        String key;
        const char16_t *name, *value;
        DWORD type;
        const wchar_t *variable;
        std::wstring expected;
    } cases[] = {
        {String(u"Software\\Microsoft\\Windows\\CurrentVersion\\Setup"), u"BootDir", u"d:\\", REG_SZ,
         L"%BootDrive%", L"D:"},
        {currentVersion, u"DevicePath", u"%SystemRoot%\\inf;C:\\Drivers", REG_EXPAND_SZ, L"%DeviceDir%",
         systemRoot + L"\\inf"},
        {currentVersion, u"MediaPath", u"C:\\Sounds\\", REG_SZ, L"%MediaDir%", L"C:\\Sounds"},
        {String(u"SOFTWARE\\Microsoft\\INetStp"), u"PathWWWRoot", u"%SystemDrive%\\web\\wwwroot",
         REG_EXPAND_SZ, L"%Inetpub%", L"C:\\web"},
    };
    // Written into the 64-bit view only, where Windows keeps them (the prefix is thrown away).
    for (const auto &c : cases) {
        RegistryKey key;
        ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, c.key, KEY_SET_VALUE, RegistryView::Bits64), ERROR_SUCCESS);
        ASSERT_EQ(key.WriteString(String(c.name), String(c.value), c.type), ERROR_SUCCESS);
    }
    for (const auto &c : cases)
        EXPECT_SAME_PATH(Expand(c.variable), c.expected);
}

} // namespace
