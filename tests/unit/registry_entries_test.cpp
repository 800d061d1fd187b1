#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/registry_entries.h"
#include "install/registry_path.h"
#include "wide_support.h"

namespace {

TEST(RegistryPathSyntax, RootsAndSubkeys)
{
    struct Case {
        const char *path;
        bool ok;
        RegistryRoot root;
        const char *subkey;
    } cases[] = {
        {"\\HKLM\\Software\\Classes\\CLSID\\", true, RegistryRoot::LocalMachine, "Software\\Classes\\CLSID"},
        {"\\HKCU\\Software\\A", true, RegistryRoot::CurrentUser, "Software\\A"},
        {"\\hkcr\\.txt", true, RegistryRoot::ClassesRoot, ".txt"},
        {"\\HKU\\S-1-5-18\\Software", true, RegistryRoot::Users, "S-1-5-18\\Software"},
        {"\\HKCC\\System", true, RegistryRoot::CurrentConfig, "System"},
        {"\\HKAU\\Software\\Product", true, RegistryRoot::AllUsers, "Software\\Product"},
        {"HKLM\\Software\\No leading backslash", true, RegistryRoot::LocalMachine, "Software\\No leading backslash"},
        {"\\HKEY_LOCAL_MACHINE\\Software\\A", true, RegistryRoot::LocalMachine, "Software\\A"},
        {"HKEY_CURRENT_USER\\Software", true, RegistryRoot::CurrentUser, "Software"},
        {"\\HKLM", true, RegistryRoot::LocalMachine, ""},
        {"\\HKLM\\", true, RegistryRoot::LocalMachine, ""},
        {"\\HKLMX\\Software", false, RegistryRoot::LocalMachine, ""},
        {"\\Software\\A", false, RegistryRoot::LocalMachine, ""},
        {"", false, RegistryRoot::LocalMachine, ""},
    };
    for (const Case &c : cases) {
        RegistryPath path;
        EXPECT_EQ(ParseRegistryPath(WideFrom(c.path), path), c.ok) << c.path;
        if (!c.ok)
            continue;
        EXPECT_EQ(path.root, c.root) << c.path;
        EXPECT_EQ(Utf8(path.subkey), c.subkey) << c.path;
    }
}

TEST(RegistryPathSyntax, ValuePathSplitsAtTheLastBackslash)
{
    String key, value;
    ASSERT_TRUE(SplitRegistryValuePath(Wd(u"\\HKLM\\Software\\A\\Name"), key, value));
    EXPECT_EQ(Utf8(key), "\\HKLM\\Software\\A");
    EXPECT_EQ(Utf8(value), "Name");
    ASSERT_TRUE(SplitRegistryValuePath(Wd(u"\\HKCU\\Software\\A\\"), key, value));
    EXPECT_EQ(Utf8(value), "");   // the key's default value
    EXPECT_FALSE(SplitRegistryValuePath(Wd(u"NoBackslash"), key, value));
}

TEST(RegistryPathSyntax, ProtectedKeysAreRefusedForDeletion)
{
    struct Case {
        const char *path;
        bool isProtected;
    } cases[] = {
        {"\\HKLM", true},
        {"\\HKLM\\Software", true},
        {"\\HKLM\\SYSTEM", true},
        {"\\HKLM\\Software\\Microsoft", true},
        {"\\HKLM\\software\\microsoft\\windows\\currentversion", true},
        {"\\HKLM\\Software\\Classes", true},
        {"\\HKLM\\Software\\Classes\\CLSID", true},
        {"\\HKLM\\SYSTEM\\CurrentControlSet\\Services", true},
        {"\\HKCU\\Software", true},
        {"\\HKCU\\Environment", true},
        {"\\HKAU\\Software", true},
        {"\\HKAU\\Software\\Microsoft", true},
        {"\\HKU\\S-1-5-21-1", true},
        {"\\HKU\\S-1-5-21-1\\Software", true},
        {"\\HKU\\S-1-5-21-1\\Software\\Microsoft", true},
        {"\\HKCR", true},
        {"\\HKCR\\CLSID", true},
        {"\\HKCR\\*", true},
        {"\\HKLM\\Software\\Vendor", false},
        {"\\HKLM\\Software\\Classes\\CLSID\\{12345678-0000-0000-0000-000000000000}", false},
        {"\\HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Product", false},
        {"\\HKCU\\Software\\Vendor\\Product", false},
        {"\\HKAU\\Software\\Vendor", false},
        {"\\HKU\\S-1-5-21-1\\Software\\Vendor", false},
        {"\\HKCR\\Vendor.Document", false},
        {"\\HKCR\\.kvd", false},
    };
    for (const Case &c : cases) {
        RegistryPath path;
        ASSERT_TRUE(ParseRegistryPath(WideFrom(c.path), path)) << c.path;
        EXPECT_EQ(IsProtectedRegistryKey(path), c.isProtected) << c.path;
    }
}

TEST(RegistryEntries, LinesBecomeKeysValuesOrIllegalEntries)
{
    const String text = WideFrom(
        "\\HKLM\\Software\\Vendor\r\n"
        "\r\n"
        "   \r\n"
        "\\HKAU\\Software\\Vendor, Name ,1,\"a, b\",3\n"
        "\\HKCU\\Software\\Vendor,Count,4,17,5\r"
        "\\HKCU\\Software\\Vendor,Two,Fields\n\r"
        "\\HKLM\\Software\\Vendor,,1,default value,1");
    const std::vector<RegistryEntry> entries = ParseRegistryEntries(text);
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].kind, RegistryEntryKind::Key);
    EXPECT_EQ(Utf8(entries[0].keyPath), "\\HKLM\\Software\\Vendor");

    EXPECT_EQ(entries[1].kind, RegistryEntryKind::Value);
    EXPECT_EQ(Utf8(entries[1].keyPath), "\\HKAU\\Software\\Vendor");
    EXPECT_EQ(Utf8(entries[1].valueName), "Name ");
    EXPECT_EQ(entries[1].type, 1u);
    EXPECT_EQ(Utf8(entries[1].data), "a, b");
    EXPECT_EQ(entries[1].operation, 3);

    EXPECT_EQ(entries[2].type, 4u);
    EXPECT_EQ(entries[2].operation, 5);

    EXPECT_EQ(entries[3].kind, RegistryEntryKind::Illegal);
    EXPECT_EQ(Utf8(entries[3].line), "\\HKCU\\Software\\Vendor,Two,Fields");

    EXPECT_EQ(Utf8(entries[4].valueName), "");
    EXPECT_EQ(Utf8(entries[4].data), "default value");
}

TEST(RegistryEntries, OperationsAtInstallationAndUninstallation)
{
    struct Case {
        int operation;
        bool writes, deletes, deletesAtUninstall;
    } cases[] = {
        {0, false, false, false}, {1, true, false, false}, {2, false, false, true},
        {3, true, false, true},   {4, false, true, false}, {5, false, true, true},
        {6, false, false, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(RegistryOperationWrites(c.operation), c.writes) << c.operation;
        EXPECT_EQ(RegistryOperationDeletes(c.operation), c.deletes) << c.operation;
        EXPECT_EQ(RegistryOperationDeletesAtUninstall(c.operation), c.deletesAtUninstall) << c.operation;
    }
}

std::string Hex(const String &bytes)
{
    std::string out;
    char piece[4];
    for (int32_t i = 0; i < bytes.Length(); ++i) {
        std::snprintf(piece, sizeof piece, "%02x", static_cast<unsigned char>(bytes.Bytes()[i]));
        out += piece;
    }
    return out;
}

TEST(RegistryEntries, DataIsPreparedByType)
{
    struct Case {
        uint32_t type;
        const char *data;
        bool ok;
        const char *hex;
    } cases[] = {
        {1, "Hi", true, "480069000000"},
        {2, "%PATH%", true, "250050004100540048002500" "0000"},
        {3, "0a 1B ff", true, "0a1bff"},
        {3, "  0x01\t2 ", true, "0102"},
        {3, "", true, ""},
        {3, "100", false, ""},
        {3, "0g", false, ""},
        {3, "01,02", false, ""},
        {4, "17", true, "11000000"},
        {4, " 0x10 ", true, "10000000"},
        {4, "4294967295", true, "ffffffff"},
        {4, "-1", true, "ffffffff"},
        {4, "-2147483648", true, "00000080"},
        {4, "4294967296", false, ""},
        {4, "-2147483649", false, ""},
        {4, "12abc", false, ""},
        {4, "", false, ""},
        {11, "4294967296", true, "0000000001000000"},
        {11, "0xFFFFFFFFFFFFFFFF", true, "ffffffffffffffff"},
        {11, "18446744073709551616", false, ""},
        {7, "ignored", true, ""},
        {0, "ignored", true, ""},
    };
    for (const Case &c : cases) {
        String bytes, problem;
        EXPECT_EQ(PrepareRegistryData(c.type, WideFrom(c.data), bytes, problem), c.ok)
            << c.type << " " << c.data;
        if (c.ok)
            EXPECT_EQ(Hex(bytes), c.hex) << c.type << " " << c.data;
        else
            EXPECT_FALSE(problem.Empty()) << c.type << " " << c.data;
    }
}

TEST(RegistryEntries, SettingsTextReadsAsPathText)
{
    EXPECT_EQ(Utf8(RegistryTextWide(String("\\HKLM\\Software\\A"))), "\\HKLM\\Software\\A");
    EXPECT_EQ(Utf8(RegistryTextWide(String("|\\HKLM\\Software\\\xC3\xA9t\xC3\xA9"))),
              "\\HKLM\\Software\\\xC3\xA9t\xC3\xA9");
}

} // namespace
