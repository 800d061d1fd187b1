// The file step against the real file system and registry (run under Wine in a fresh prefix):
// records packed by the packer's writer, installed, installed again, locked, damaged, large.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../unit/corruption_capture.h"
#include "core/file_win.h"
#include "core/folders_win.h"
#include "core/path_parts.h"
#include "core/path_text.h"
#include "core/path_win.h"
#include "core/registry_win.h"
#include "core/version_resource.h"
#include "install/file_write_win.h"
#include "install/files_win.h"
#include "setupdata/checksum.h"
#include "setupdata/container.h"
#include "setupdata/file_record.h"

namespace {

const wchar_t *W(const String &text) { return reinterpret_cast<const wchar_t *>(text.Wide()); }

std::string Utf8(const String &wide)
{
    std::string out;
    for (int32_t i = 0; i < wide.WideLength(); ++i)
        out.push_back(wide.Wide()[i] < 0x80 ? char(wide.Wide()[i]) : '?');
    return out;
}

// What the hooks received.
std::string g_log;
std::string g_failures;
std::vector<std::string> g_uninstall;

void LogText(const char *text) { g_log += text; }
void LogWide(const String &wide) { g_log += Utf8(wide); }
void Failure(const String &wide) { g_failures += Utf8(wide); }
void Uninstall(const String &wide, UninstallRecordKind kind)
{
    g_uninstall.push_back((kind == kUninstallFolder ? "~" : kind == kUninstallFile ? "" : "?") + Utf8(wide));
}

struct Packed {
    String block;
    std::vector<int32_t> sizes;
    SetupContainer container;
};

struct Item {
    FileRecord record;
    std::string content;
    uint32_t checksumDelta = 0;   // a damaged content checksum
};

FileRecord Record(const char *name, int32_t type = kFileTypeProgram, int32_t flags = 0)
{
    FileRecord r;
    r.name = name;
    r.type = type;
    r.flags = flags;
    r.time = DateTime{2024, 5, 1, 12, 0, 10};
    return r;
}

Packed Pack(const std::vector<Item> &items)
{
    FileDataWriter writer(1 << 20, true, 1, nullptr);
    for (const Item &item : items) {
        BeginFileRecord(writer, item.record, int32_t(item.content.size()));
        writer.Write(item.content.data(), int64_t(item.content.size()));
        EndFileRecord(writer, SetupChecksum(item.content.data(), int64_t(item.content.size())) + item.checksumDelta);
    }
    EXPECT_TRUE(writer.Finish());
    Packed packed;
    packed.block = writer.Block();
    packed.sizes = writer.FileSizes();
    packed.container.header.dataSize = packed.block.Length();
    packed.container.header.dataChecksum = writer.DataChecksum();
    return packed;
}

class FileStepTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH + 1];
        ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
        const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = String(reinterpret_cast<const char16_t *>(temp));
        for (char c : std::string("ks-files-") + info->name())
            folder_.AppendWideChar(char16_t(c));
        ASSERT_TRUE(CreateFolderPath(folder_));
        g_log.clear(), g_failures.clear(), g_uninstall.clear();
    }

    // Installs `items` into the folder; the corruption code reported (0: none).
    int Install(const std::vector<Item> &items, uint64_t flags = 0x4)
    {
        Packed packed = Pack(items);
        productFlags_ = flags | ProductFlag::CompressedChunks;
        lists_ = FileStepLists();
        return CorruptionCodeOf([&] {
            FileData data;
            OpenFileData(data, packed.container, productFlags_, packed.block.Data(), FileDataHooks());
            FileStepInput input;
            input.productFlags = &productFlags_;
            input.installFolder = folder_;
            input.sharedFolder = Path(u"shared");
            input.uninstallDataFolder = Path(u"uninstall");
            input.fileSizes = &packed.sizes;
            input.data = &data;
            input.hooks.logText = LogText;
            input.hooks.logWide = LogWide;
            input.hooks.failure = Failure;
            input.hooks.uninstallRecord = Uninstall;
            InstallFiles(input, lists_);
        });
    }

    String Path(const char16_t *name) const { return WidePathJoin(folder_, String(name)); }
    std::string Read(const char16_t *name) const
    {
        String bytes;
        if (ReadWholeFile(Path(name), bytes) != 0)
            return "<missing>";
        return std::string(bytes.Bytes(), size_t(bytes.Length()));
    }
    void Put(const char16_t *name, const std::string &bytes, const DateTime &time)
    {
        ASSERT_EQ(WriteWholeFile(Path(name), bytes.data(), int32_t(bytes.size())), 0);
        ASSERT_TRUE(SetFileTimes(Path(name), time));
    }
    bool Logged(const std::string &text) const { return g_log.find(text) != std::string::npos; }

    String folder_;
    uint64_t productFlags_ = 0;
    FileStepLists lists_;
};

TEST_F(FileStepTest, WritesBytesTimesAttributesAndRecordsThem)
{
    Item nested{Record("docs\\deep\\a.txt"), "alpha"};
    nested.record.attributes = FILE_ATTRIBUTE_READONLY;
    Item empty{Record("empty.dat"), ""};
    Item undated{Record("undated.txt", kFileTypeProgram, kFileFlagPermanent), "keep"};
    undated.record.time = DateTime{};
    ASSERT_EQ(Install({nested, empty, undated}, 0x4 | FileStepFlag::DetailedLog | FileStepFlag::VerifyWrites), 0);

    EXPECT_EQ(Read(u"docs\\deep\\a.txt"), "alpha");
    EXPECT_EQ(Read(u"empty.dat"), "");
    EXPECT_EQ(Read(u"undated.txt"), "keep");
    DateTime written;
    ASSERT_TRUE(ReadLastWriteTime(Path(u"docs\\deep\\a.txt"), written));
    EXPECT_TRUE(written == nested.record.time);
    EXPECT_TRUE(GetFileAttributesW(W(Path(u"docs\\deep\\a.txt"))) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(W(Path(u"docs\\deep\\a.txt")), FILE_ATTRIBUTE_NORMAL);

    const std::string base = Utf8(folder_);
    const std::vector<std::string> expected = {"~" + base + "\\docs\\deep", base + "\\docs\\deep\\a.txt",
                                               base + "\\empty.dat"};   // the permanent file is not there
    EXPECT_EQ(g_uninstall, expected);
    EXPECT_TRUE(Logged("a.txt >>> " + base + "\\docs\\deep\\a.txt\r\n"));
    EXPECT_EQ(lists_.installedFiles.Count(), 3);
    EXPECT_TRUE(lists_.installedFiles.Contains(PendingRenameKey(Path(u"EMPTY.DAT"))));
    EXPECT_EQ(g_failures, "");
}

TEST_F(FileStepTest, ReinstallFollowsModeAndDate)
{
    const DateTime recordTime{2024, 5, 1, 12, 0, 10};
    struct Case {
        const char16_t *file;
        int32_t type;
        int32_t flags;
        DateTime existingTime;
        bool replaced;
        const char *logText;
    };
    const Case cases[] = {
        {u"s1.dat", kFileTypeVersioned, 0, {2024, 5, 1, 12, 0, 9}, false, " was not installed because its date"},
        {u"s3.dat", kFileTypeVersioned, 0, {2024, 5, 1, 12, 0, 7}, true, " needs replacement because its date"},
        {u"m0c.dat", kFileTypeProgram, 0x0C, {2024, 5, 1, 12, 0, 7}, false, " was not installed because it already exists."},
        {u"m10.dat", kFileTypeProgram, 0x10, {2024, 5, 1, 12, 0, 13}, false, " was not installed because the existing file is newer."},
        {u"m00.dat", kFileTypeProgram, 0x00, {2024, 5, 1, 12, 0, 13}, true, ""},
    };
    std::vector<Item> items;
    for (const Case &c : cases) {
        Put(c.file, "old", c.existingTime);
        items.push_back({Record(PathTextFromWide(String(c.file)).Bytes(), c.type, c.flags), "new"});
        items.back().record.time = recordTime;
    }
    items.push_back({Record("m08.dat", kFileTypeProgram, 0x08), "new"});
    ASSERT_EQ(Install(items), 0);
    for (const Case &c : cases) {
        EXPECT_EQ(Read(c.file), c.replaced ? "new" : "old") << Utf8(String(c.file));
        if (*c.logText) {
            EXPECT_TRUE(Logged(Utf8(Path(c.file)) + c.logText)) << g_log;
        }
    }
    EXPECT_EQ(Read(u"m08.dat"), "<missing>");
    EXPECT_TRUE(Logged(Utf8(Path(u"m08.dat")) + " was not installed because it does not already exist.")) << g_log;
}

TEST_F(FileStepTest, ALockedFileIsReplacedAtRestart)
{
    Put(u"locked.dll", "old", DateTime{2020, 1, 1, 0, 0, 0});
    HANDLE lock = CreateFileW(W(Path(u"locked.dll")), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    ASSERT_EQ(Install({{Record("locked.dll"), "new"}}), 0);
    CloseHandle(lock);

    EXPECT_TRUE(productFlags_ & FileStepFlag::RestartNeeded);
    EXPECT_TRUE(Logged("\"" + Utf8(Path(u"locked.dll")) + "\" was successfully registered for replacement.\r\n"))
        << g_log;
    EXPECT_EQ(g_failures, "");
    EXPECT_EQ(lists_.installedFiles.Count(), 0);   // only registered, not written
    RegistryKey key;
    ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, String(u"SYSTEM\\CurrentControlSet\\Control\\Session Manager"), KEY_READ), 0);
    String raw;
    ASSERT_EQ(key.ReadMultiString(String(u"PendingFileRenameOperations"), raw), 0);
    std::string pending;
    for (int32_t i = 0; i < raw.WideLength(); ++i)
        pending.push_back(raw.Wide()[i] ? char(raw.Wide()[i] < 0x80 ? raw.Wide()[i] : '?') : '|');
    EXPECT_NE(pending.find("locked.dll"), std::string::npos) << pending;
    EXPECT_NE(pending.find("~ks"), std::string::npos) << pending;
}

TEST_F(FileStepTest, DamagedContentLeavesTheExistingFileAlone)
{
    const std::vector<std::string> contents = {"small new", std::string(5 << 20, 'L')};   // the second is streamed
    for (const std::string &text : contents) {
        const std::string *content = &text;
        Put(u"victim.dat", "old bytes", DateTime{2020, 1, 1, 0, 0, 0});
        Item damaged{Record("victim.dat"), *content, 1};
        EXPECT_EQ(Install({damaged}), 100) << content->size();
        EXPECT_EQ(Read(u"victim.dat"), "old bytes");
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(W(Path(u"~ks*")), &found);
        EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "no temporary file is left";
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
    }
}

TEST_F(FileStepTest, ALargeRecordIsStreamedIntoPlace)
{
    std::string large(9 << 20, '\0');
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = char((i * 7) >> 12);
    Put(u"big.bin", "old", DateTime{2020, 1, 1, 0, 0, 0});
    ASSERT_EQ(Install({{Record("a.txt"), "before"}, {Record("big.bin"), large}, {Record("z.txt"), "after"}},
                      0x4 | FileStepFlag::VerifyWrites),
              0);
    EXPECT_TRUE(Read(u"big.bin") == large);
    EXPECT_EQ(Read(u"a.txt"), "before");
    EXPECT_EQ(Read(u"z.txt"), "after");
    DateTime written;
    ASSERT_TRUE(ReadLastWriteTime(Path(u"big.bin"), written));
    EXPECT_TRUE(written == (DateTime{2024, 5, 1, 12, 0, 10}));
    EXPECT_EQ(g_failures, "");
}

// The bytes of a library built beside this program (cmake/win32.cmake) with that version.
std::string VersionedLibrary(const char *version)
{
    wchar_t self[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH + 1);
    String path = WidePathFolder(String(reinterpret_cast<const char16_t *>(self), int32_t(n)));
    path = WidePathJoin(path, PathTextToWide(String::Format("versioned-%s.dll", version)));
    String bytes;
    EXPECT_EQ(ReadWholeFile(path, bytes), 0) << version;
    return std::string(bytes.Bytes(), size_t(bytes.Length()));
}

TEST_F(FileStepTest, VersionedFilesFollowTheVersionRules)
{
    const std::string existing = VersionedLibrary("2.0.0.0");
    String version;
    ASSERT_TRUE(FileVersionFromPeImage(reinterpret_cast<const uint8_t *>(existing.data()), existing.size(), version));
    EXPECT_STREQ(version.Bytes(), "2.0.0.0");

    const DateTime older{2024, 5, 1, 12, 0, 0}, newer{2024, 5, 1, 12, 0, 30};
    struct Case {
        const char16_t *file;
        const char *recordVersion;
        const char *content;
        bool replaced;
        const char *logText;
    };
    const Case cases[] = {
        {u"older.dll", "1.5.0.0", "1.5.0.0", false,
         " was not installed because its version (1.5.0.0) is not newer than 2.0.0.0\r\n"},
        {u"equal.dll", "2.0.0.0", "2.0.0.0", false,
         " was not installed because its version (2.0.0.0) is not newer than 2.0.0.0\r\n"},
        {u"newer.dll", "2.0.0.1", "2.0.0.1", true,
         " needs replacement because its version (2.0.0.1) is newer than 2.0.0.0 and its date (2024/05/01 "
         "12:00:30) is newer than 2024/05/01 12:00:00\r\n"},
    };
    std::vector<Item> items;
    for (const Case &c : cases) {
        Put(c.file, existing, older);
        items.push_back({Record(PathTextFromWide(String(c.file)).Bytes(), kFileTypeVersioned), VersionedLibrary(c.content)});
        items.back().record.version = c.recordVersion;
        items.back().record.time = newer;
    }
    ASSERT_EQ(Install(items), 0);
    for (const Case &c : cases) {
        EXPECT_EQ(Read(c.file) == existing, !c.replaced) << Utf8(String(c.file));
        EXPECT_TRUE(Logged(Utf8(Path(c.file)) + c.logText)) << g_log;
    }
    // Kept type 9 files still belong to the product.
    EXPECT_EQ(std::count(g_uninstall.begin(), g_uninstall.end(), Utf8(Path(u"older.dll"))), 1);
}

TEST_F(FileStepTest, SharedFilesKeepTheirFolderAndSystemFilesTheirPlace)
{
    // A shared file below the shared folder: its folder is recorded, so that the last removal
    // takes it away. A system file taken from a folder of the project lands directly in the
    // system folder, where Windows looks for it.
    Item shared{Record("share\\s.dat", kFileTypeShared), "shared"};
    Item system{Record("bin\\ks-system-place.dll", kFileTypeSystem), "system"};
    ASSERT_EQ(Install({shared, system}), 0);

    EXPECT_EQ(Read(u"shared\\share\\s.dat"), "shared");
    const std::string base = Utf8(folder_);
    EXPECT_EQ(g_uninstall, std::vector<std::string>{"~" + base + "\\shared\\share"});
    const String placed = WidePathJoin(SystemFolderPath(), String(u"ks-system-place.dll"));
    EXPECT_NE(GetFileAttributesW(W(placed)), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(W(placed));
    ASSERT_EQ(lists_.sharedFiles.size(), 2u);
    EXPECT_EQ(Utf8(lists_.sharedFiles[1]), Utf8(placed) + " ");   // the system file's own marker
    EXPECT_EQ(g_failures, "");
}

} // namespace
