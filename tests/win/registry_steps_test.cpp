// The registry, PATH, association and folder-rights steps against a real registry (Wine), each
// with its removal: what the installation writes, with its types, and what the uninstaller leaves.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <string>

#include "core/failure_summary.h"
#include "core/folders_win.h"
#include "core/path_parts.h"
#include "core/path_text.h"
#include "core/registry_tree_win.h"
#include "core/wide_win.h"
#include "install/associations_win.h"
#include "install/folder_rights_win.h"
#include "install/install_log.h"
#include "install/path_env_win.h"
#include "install/registry_removal_win.h"
#include "install/registry_step_win.h"
#include "uninstall/uninstall_data.h"
#include "step_test_support.h"

namespace {

std::string &g_log = CapturedLog();

// Type and raw bytes of a value; type 0 when it is not there.
DWORD ValueType(HKEY root, const char16_t *key, const char16_t *name, String &bytes)
{
    RegistryKey k;
    DWORD type = 0;
    if (k.Open(root, W(key), KEY_QUERY_VALUE) != ERROR_SUCCESS ||
        RegistryReadValue(k.Handle(), W(name), type, bytes) != ERROR_SUCCESS)
        return 0;
    return type;
}

bool KeyExists(HKEY root, const char16_t *key)
{
    RegistryKey k;
    return k.Open(root, W(key), KEY_QUERY_VALUE) == ERROR_SUCCESS;
}

std::string Text(HKEY root, const char16_t *key, const char16_t *name)
{
    RegistryKey k;
    String value;
    if (k.Open(root, W(key), KEY_QUERY_VALUE) != ERROR_SUCCESS || k.ReadString(W(name), value) != ERROR_SUCCESS)
        return "<missing>";
    return U8(value);
}

class RegistrySteps : public StepTest {};

TEST_F(RegistrySteps, InstructionsOfEveryTypeInEveryUserHiveAndTheirRemoval)
{
    RegistryStepInput in;
    in.productRegistry = W(u"Kestrival Test\\Product");
    in.registryText = W(u"\\HKLM\\Software\\Kestrival Test\\Empty\r\n"
                        u"\\HKAU\\Software\\Kestrival Test\\Users\r\n"
                        u"\\HKAU\\Software\\Kestrival Test\\Users,Text,1,\"a, b\",3\r\n"
                        u"\\HKLM\\Software\\Kestrival Test\\Values,Expand,2,%SystemRoot%\\x,3\r\n"
                        u"\\HKLM\\Software\\Kestrival Test\\Values,Bytes,3,01 ff 7a,3\r\n"
                        u"\\HKLM\\Software\\Kestrival Test\\Values,Number,4,0x12345678,3\r\n"
                        u"\\HKLM\\Software\\Kestrival Test\\Values,Big,11,4294967296,3\r\n"
                        u"\\HKLM\\Software\\Kestrival Test\\Values,Kept,1,stays,1\r\n"
                        u"\\HKLM\\Software\\Kestrival Test\\Values,Old,1,gone,4\r\n"
                        u"\\HKLM\\Software\\Kestrival Test\\Values,BadNumber,4,twelve,3\r\n"
                        u"\\HKLM\\Software\\Kestrival Test\\Values,Two,Fields\r\n");
    {
        RegistryKey old;
        ASSERT_EQ(old.Create(HKEY_LOCAL_MACHINE, W(u"Software\\Kestrival Test\\Values"), KEY_WRITE), ERROR_SUCCESS);
        ASSERT_EQ(old.WriteString(W(u"Old"), W(u"before")), ERROR_SUCCESS);
    }
    WriteRegistryEntries(in);

    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, u"Software\\Kestrival Test\\Product"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Software\\Kestrival Test\\Product"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, u"Software\\Kestrival Test\\Empty"));
    String bytes;
    // \HKAU\ reaches the installing user's own hive through HKEY_USERS.
    EXPECT_EQ(ValueType(HKEY_CURRENT_USER, u"Software\\Kestrival Test\\Users", u"Text", bytes), DWORD(REG_SZ));
    EXPECT_EQ(Text(HKEY_CURRENT_USER, u"Software\\Kestrival Test\\Users", u"Text"), "a, b");
    const char16_t values[] = u"Software\\Kestrival Test\\Values";
    EXPECT_EQ(ValueType(HKEY_LOCAL_MACHINE, values, u"Expand", bytes), DWORD(REG_EXPAND_SZ));
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, values, u"Expand"), "%SystemRoot%\\x");
    EXPECT_EQ(ValueType(HKEY_LOCAL_MACHINE, values, u"Bytes", bytes), DWORD(REG_BINARY));
    EXPECT_EQ(std::string(bytes.Bytes(), bytes.Length()), std::string("\x01\xff\x7a", 3));
    EXPECT_EQ(ValueType(HKEY_LOCAL_MACHINE, values, u"Number", bytes), DWORD(REG_DWORD));
    EXPECT_EQ(std::string(bytes.Bytes(), bytes.Length()), std::string("\x78\x56\x34\x12", 4));
    EXPECT_EQ(ValueType(HKEY_LOCAL_MACHINE, values, u"Big", bytes), DWORD(REG_QWORD));
    EXPECT_EQ(std::string(bytes.Bytes(), bytes.Length()), std::string("\0\0\0\0\1\0\0\0", 8));
    EXPECT_EQ(ValueType(HKEY_LOCAL_MACHINE, values, u"Old", bytes), 0u);
    EXPECT_EQ(ValueType(HKEY_LOCAL_MACHINE, values, u"BadNumber", bytes), 0u);
    EXPECT_NE(Summary().find("Failed to create registry value \"BadNumber\": \"twelve\" is not a number\r\n"),
              std::string::npos) << Summary();
    EXPECT_NE(Summary().find("Illegal registry entry: \\HKLM\\Software\\Kestrival Test\\Values,Two,Fields\r\n"),
              std::string::npos) << Summary();

    // The uninstaller: values of operations 2, 3 and 5 go, keys go when empty, the product key goes
    // with its empty parents; "Kept" (operation 1) stays and so does its key.
    RemoveRegistryTextEntries(in.registryText, RegistryView::Native);
    RemoveProductRegistryKey(in.productRegistry, RegistryView::Native);
    EXPECT_EQ(ValueType(HKEY_LOCAL_MACHINE, values, u"Bytes", bytes), 0u);
    EXPECT_EQ(ValueType(HKEY_CURRENT_USER, u"Software\\Kestrival Test\\Users", u"Text", bytes), 0u);
    // A key listed before its values is empty once they are gone, and goes too.
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"Software\\Kestrival Test\\Users"));
    EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, values, u"Kept"), "stays");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, u"Software\\Kestrival Test\\Empty"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, u"Software\\Kestrival Test\\Product"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"Software\\Kestrival Test\\Product"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, u"Software\\Kestrival Test"));   // holds "Values"
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, u"Software"));
}

TEST_F(RegistrySteps, UninstallRecordsDeleteValuesAndKeysButNeverTheSystemsOwn)
{
    {
        RegistryKey key;
        ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, W(u"Software\\Kestrival Record\\Sub\\Deeper"), KEY_WRITE), ERROR_SUCCESS);
        ASSERT_EQ(key.WriteString(W(u"Name"), W(u"v")), ERROR_SUCCESS);
    }
    EXPECT_TRUE(DeleteRegistryValueRecord(String("\\HKLM\\Software\\Kestrival Record\\Sub\\Deeper\\Name"), RegistryView::Native));
    String bytes;
    EXPECT_EQ(ValueType(HKEY_LOCAL_MACHINE, u"Software\\Kestrival Record\\Sub\\Deeper", u"Name", bytes), 0u);
    EXPECT_TRUE(DeleteRegistryKeyRecord(String("HKLM\\Software\\Kestrival Record"), RegistryView::Native));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, u"Software\\Kestrival Record"));
    EXPECT_TRUE(DeleteRegistryKeyRecord(String("\\HKLM\\Software\\Kestrival Record"), RegistryView::Native));   // gone already

    const char *refused[] = {"\\HKLM\\Software", "\\HKLM\\Software\\Microsoft", "\\HKCR\\CLSID", "\\HKCU\\Software",
                             "\\HKLM", "\\HKAU\\Software"};
    for (const char *item : refused) {
        String why;
        EXPECT_FALSE(DeleteRegistryKeyRecord(String(item), RegistryView::Native, &why)) << item;
        EXPECT_NE(U8(why).find("Refused"), std::string::npos) << item;
    }
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, u"Software\\Microsoft"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, u"CLSID"));
}

const char16_t kEnvironment[] = u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

TEST_F(RegistrySteps, PathOfFiveThousandCharactersKeepsEveryEntryAndItsType)
{
    RegistryKey env;
    ASSERT_EQ(env.Open(HKEY_LOCAL_MACHINE, W(kEnvironment), KEY_QUERY_VALUE | KEY_SET_VALUE), ERROR_SUCCESS);
    String original;
    ASSERT_EQ(env.ReadString(W(u"Path"), original), ERROR_SUCCESS);
    String bytes;
    DWORD originalType = ValueType(HKEY_LOCAL_MACHINE, kEnvironment, u"Path", bytes);

    String longPath(u"%SystemRoot%\\system32");
    for (int i = 0; longPath.WideLength() < 5000; ++i)
        longPath.Append(String::FormatWide(u";C:\\Some Vendor\\Tool %d\\bin", i));
    ASSERT_EQ(env.WriteString(W(u"Path"), longPath, REG_EXPAND_SZ), ERROR_SUCCESS);

    wchar_t temp[MAX_PATH + 1];
    ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
    const String folder = WidePathJoin(String(FromWide(temp)), W(u"Kestrival PATH test"));
    ASSERT_TRUE(CreateFolderPath(folder));

    AddToSystemPath(folder);
    String now;
    ASSERT_EQ(env.ReadString(W(u"Path"), now), ERROR_SUCCESS);
    String expected(longPath);
    expected.AppendWideChar(u';');
    expected.Append(folder);
    EXPECT_EQ(U8(now), U8(expected));
    EXPECT_EQ(ValueType(HKEY_LOCAL_MACHINE, kEnvironment, u"Path", bytes), DWORD(REG_EXPAND_SZ));

    AddToSystemPath(folder);   // a second time: not added again
    ASSERT_EQ(env.ReadString(W(u"Path"), now), ERROR_SUCCESS);
    EXPECT_EQ(U8(now), U8(expected));

    const String missing = WidePathJoin(folder, W(u"not there"));
    AddToSystemPath(missing);
    EXPECT_NE(g_log.find("because it does not exist."), std::string::npos) << g_log;

    EXPECT_TRUE(RemoveFromSystemPath(folder));
    ASSERT_EQ(env.ReadString(W(u"Path"), now), ERROR_SUCCESS);
    EXPECT_EQ(U8(now), U8(longPath));
    EXPECT_EQ(ValueType(HKEY_LOCAL_MACHINE, kEnvironment, u"Path", bytes), DWORD(REG_EXPAND_SZ));

    // The folder alone in PATH is never taken out to leave it empty.
    ASSERT_EQ(env.WriteString(W(u"Path"), folder, REG_EXPAND_SZ), ERROR_SUCCESS);
    EXPECT_FALSE(RemoveFromSystemPath(folder));
    ASSERT_EQ(env.ReadString(W(u"Path"), now), ERROR_SUCCESS);
    EXPECT_EQ(U8(now), U8(folder));

    ASSERT_EQ(env.WriteString(W(u"Path"), original, originalType ? originalType : REG_EXPAND_SZ), ERROR_SUCCESS);
}

FileAssociation Association(int mode, const char *ext, const char *cls, const char *verb, const char *command)
{
    FileAssociation a;
    a.mode = mode;
    a.extension = String(ext);
    a.className = String(cls);
    a.description = String("Kestrival document");
    a.verb = String(verb);
    a.verbText = String("&Open with Kestrival");
    a.command = String(command);
    a.icon = String("kestrival.ico");
    return a;
}

TEST_F(RegistrySteps, AssociationsBackUpWhatTheyOverwriteAndRestoreIt)
{
    {
        RegistryKey ext, cls;
        ASSERT_EQ(ext.Create(HKEY_CLASSES_ROOT, W(u".kvt"), KEY_WRITE), ERROR_SUCCESS);
        ASSERT_EQ(ext.WriteString(String(), W(u"Old.Class")), ERROR_SUCCESS);
        ASSERT_EQ(ext.Create(HKEY_CLASSES_ROOT, W(u".kvr"), KEY_WRITE), ERROR_SUCCESS);
        ASSERT_EQ(ext.WriteString(String(), W(u"Registered.Class")), ERROR_SUCCESS);
        ASSERT_EQ(cls.Create(HKEY_CLASSES_ROOT, W(u"Registered.Class\\shell\\open\\command"), KEY_WRITE), ERROR_SUCCESS);
        ASSERT_EQ(cls.WriteString(String(), W(u"old.exe \"%1\"")), ERROR_SUCCESS);
        ASSERT_EQ(ext.Create(HKEY_CLASSES_ROOT, W(u".kvn"), KEY_WRITE), ERROR_SUCCESS);   // no class
    }
    std::vector<FileAssociation> list = {
        Association(1, "kvt", "Kestrival.Doc", "open", "\"C:\\App\\k.exe\" \"%1\""),    // over an existing class
        Association(1, ".kvr", "!Kestrival.Other", "edit", "C:\\App\\k.exe /e \"%1\""),  // '!': keeps the class
        Association(1, ".kvn", "", "open", "C:\\App\\k.exe"),                            // no class at all
        Association(1, ".kvm", "", "open", "C:\\App\\k.exe"),                            // no key at all
    };
    AssociationStepInput in;
    in.associations = &list;
    in.productName = W(u"Kestrival\\Test");
    in.installFolder = W(u"C:\\App");
    InstallAssociations(in);

    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, u".kvt", u""), "Kestrival.Doc");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, u".kvt", u"KestrivalTest Backup"), "Old.Class");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, u"Kestrival.Doc", u""), "Kestrival document");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, u"Kestrival.Doc\\DefaultIcon", u""), "C:\\App\\kestrival.ico");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, u"Kestrival.Doc\\shell", u""), "open");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, u"Kestrival.Doc\\shell\\open\\command", u""), "\"C:\\App\\k.exe\" \"%1\"");
    String bytes;
    EXPECT_EQ(ValueType(HKEY_CLASSES_ROOT, u".kvt\\OpenWithProgids", u"Kestrival.Doc", bytes), DWORD(REG_NONE));
    EXPECT_NE(g_log.find("Associated .kvt with \"C:\\App\\k.exe\" \"%1\"\r\n"), std::string::npos) << g_log;

    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, u".kvr", u""), "Registered.Class");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, u".kvr", u"KestrivalTest Backup"), "<missing>");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, u"Registered.Class\\shell\\edit\\command", u""), "C:\\App\\k.exe /e \"%1\"");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u"Kestrival.Other"));

    EXPECT_NE(g_log.find("Association failed/no label:  \".kvn\".\r\n\r\n"), std::string::npos) << g_log;
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, u".kvn", u""), "<missing>");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u".kvn\\OpenWithProgids"));
    EXPECT_NE(g_log.find("Association failed/key inaccessible:  \".kvm\".\r\n\r\n"), std::string::npos) << g_log;
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u".kvm"));
    ASSERT_EQ(g_uninstall.associations.size(), 2u);
    EXPECT_EQ(std::string(g_uninstall.associations[0].Bytes()), ".kvt~!~Kestrival.Doc~!~open~!~C:\\App\\kestrival.ico");

    // A second installation over the first keeps the user's original value as the backup.
    g_uninstall.associations.clear();
    InstallAssociations(in);
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, u".kvt", u"KestrivalTest Backup"), "Old.Class");

    for (const String &line : g_uninstall.associations) {
        AssociationRecord record;
        ASSERT_TRUE(ParseAssociationRecord(line, record));
        RestoreAssociation(record, in.productName, RegistryView::Native);
    }
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, u".kvt", u""), "Old.Class");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, u".kvt", u"KestrivalTest Backup"), "<missing>");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u".kvt\\OpenWithProgids"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u"Kestrival.Doc"));
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, u".kvr", u""), "Registered.Class");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u"Registered.Class\\shell\\edit"));
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, u"Registered.Class\\shell\\open\\command", u""), "old.exe \"%1\"");
}

// regedit runs on its own: the test waits for the key to appear.
TEST_F(RegistrySteps, MergeFileIsImportedByRegedit)
{
    MergeRegistryFile(String("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Kestrival Merge]\r\n\"Merged\"=\"yes\"\r\n"));
    EXPECT_EQ(g_log, "Merging registry file...OK\r\n");
    EXPECT_TRUE(Summary().empty()) << Summary();
    std::string value;
    for (int i = 0; i < 300 && (value = Text(HKEY_CURRENT_USER, u"Software\\Kestrival Merge", u"Merged")) != "yes"; ++i)
        Sleep(100);
    EXPECT_EQ(value, "yes");
}

TEST_F(RegistrySteps, FolderRightsGrantEveryoneAndNameAMissingFolder)
{
    wchar_t temp[MAX_PATH + 1];
    ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
    const String folder = WidePathJoin(String(FromWide(temp)), W(u"Kestrival rights"));
    ASSERT_TRUE(CreateFolderPath(folder));
    SetFileAttributesW(AsWide(folder), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(GrantFolderRights(folder), 0ul) << g_log;
    EXPECT_EQ(GetFileAttributesW(AsWide(folder)) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
    EXPECT_NE(g_log.find("Granting rights to directory \""), std::string::npos);
    EXPECT_NE(g_log.find("\"...OK\r\n"), std::string::npos) << g_log;

    g_log.clear();
    EXPECT_EQ(GrantFolderRights(WidePathJoin(folder, W(u"missing"))), 3ul);
    EXPECT_NE(g_log.find("FAILED code 3: "), std::string::npos) << g_log;
}

} // namespace
