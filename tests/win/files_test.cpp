// The file layer against a real Windows API (run under Wine in a fresh prefix).
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/array.h"
#include "core/codepage.h"
#include "core/failure_summary.h"
#include "core/fatal.h"
#include "core/file_errors.h"
#include "core/file_ops_win.h"
#include "core/file_win.h"
#include "core/folders_win.h"
#include "core/path_parts.h"
#include "core/pending_renames.h"
#include "core/registry_win.h"
#include "core/restart_ops_win.h"
#include "core/step_failure.h"
#include "core/system_error.h"
#include "core/wide_win.h"

namespace {

String S(const char16_t *text) { return String(text); }
std::u16string U(const String &text) { return std::u16string(text.Wide(), static_cast<size_t>(text.WideLength())); }

const char16_t kSessionManager[] = u"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char16_t kPendingValue[] = u"PendingFileRenameOperations";

// A fresh folder under the temporary folder for each test.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH + 1];
        ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
        const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("ks-") + info->test_suite_name() + "-" + info->name();
        dir_ = String(FromWide(temp));
        for (char c : name)
            dir_.AppendWideChar(static_cast<char16_t>(c));
        ASSERT_TRUE(CreateFolderPath(dir_));
    }

    String Path(const char16_t *name) const { return WidePathJoin(dir_, S(name)); }

    void Write(const String &path, const char *text)
    {
        ASSERT_EQ(WriteWholeFile(path, text, static_cast<int32_t>(std::strlen(text))), FileSuccess);
    }
    std::string Read(const String &path)
    {
        String bytes;
        EXPECT_EQ(ReadWholeFile(path, bytes), FileSuccess);
        return std::string(bytes.Bytes(), static_cast<size_t>(bytes.Length()));
    }

    String dir_;
};

bool Exists(const String &path) { return GetFileAttributesW(AsWide(path)) != INVALID_FILE_ATTRIBUTES; }

void SetReadOnly(const String &path) { ASSERT_TRUE(SetFileAttributesW(AsWide(path), FILE_ATTRIBUTE_READONLY)); }

bool IsReadOnly(const String &path)
{
    const DWORD attributes = GetFileAttributesW(AsWide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// The entries of the pending rename list, one string per element (the list terminator dropped).
std::vector<std::u16string> PendingRenames()
{
    std::vector<std::u16string> entries;
    RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, S(kSessionManager), KEY_READ) != ERROR_SUCCESS)
        return entries;
    String raw;
    if (key.ReadMultiString(S(kPendingValue), raw) != ERROR_SUCCESS)
        return entries;
    const char16_t *w = raw.Wide();
    int32_t units = raw.WideLength();
    if (units > 0 && w[units - 1] == 0)
        --units;   // the terminator of the last string
    std::u16string current;
    for (int32_t i = 0; i < units; ++i) {
        if (w[i] == 0) {
            entries.push_back(current);
            current.clear();
        } else {
            current.push_back(w[i]);
        }
    }
    if (!current.empty())
        entries.push_back(current);
    if (!entries.empty() && entries.back().empty())
        entries.pop_back();   // the terminator of the list
    return entries;
}

void ClearPendingRenames()
{
    RegistryKey key;
    ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, S(kSessionManager), KEY_READ | KEY_WRITE), ERROR_SUCCESS);
    key.DeleteValue(S(kPendingValue));
}

bool PendingListHas(const std::u16string &source, const std::u16string &target)
{
    auto strip = [](const std::u16string &s) {
        size_t k = 0;
        while (k < s.size() && (s[k] == u'\\' || s[k] == u'?' || s[k] == u'!'))
            ++k;
        return s.substr(k);
    };
    const std::vector<std::u16string> entries = PendingRenames();
    for (size_t i = 0; i < entries.size(); i += 2) {
        const std::u16string t = i + 1 < entries.size() ? entries[i + 1] : std::u16string();
        if (strip(entries[i]) == source && strip(t) == target)
            return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------

TEST_F(FilesTest, WholeFileLoadAndStore)
{
    const String empty = Path(u"empty.bin");
    Write(empty, "");
    String out("stale");
    EXPECT_EQ(ReadWholeFile(empty, out), FileSuccess);
    EXPECT_EQ(out.Length(), 0);

    // More than one 1 MiB piece, with a tail.
    String big;
    big.Resize(0x280003);
    for (int32_t i = 0; i < big.Length(); ++i)
        big.MutableBytes()[i] = static_cast<char>(i * 7 + (i >> 12));
    const String path = Path(u"big.bin");
    ASSERT_EQ(WriteWholeFile(path, big.Bytes(), big.Length()), FileSuccess);
    String back;
    ASSERT_EQ(ReadWholeFile(path, back), FileSuccess);
    EXPECT_TRUE(back == big);

    out.Assign("stale");
    EXPECT_EQ(ReadWholeFile(Path(u"missing.bin"), out), FileNotFound);
    EXPECT_EQ(out.Length(), 0);
    EXPECT_EQ(ReadWholeFile(Path(u"no-folder\\x.bin"), out), FileFolderMissing);
    EXPECT_EQ(WriteWholeFile(String(), "x", 1), FileInvalidName);
    EXPECT_EQ(ReadWholeFile(String(), out), FileInvalidName);
}

TEST_F(FilesTest, WholeFileOfTwoGigabytesIsTooLarge)
{
    // A sparse file: its size is set, no data is written.
    const String path = Path(u"huge.bin");
    {
        File file;
        ASSERT_EQ(file.Open(path, FileCreation::CreateAlways, FileWriteAccess), FileSuccess);
        ASSERT_TRUE(file.Seek(0x80000000LL));
        ASSERT_TRUE(file.SetEnd());
    }
    String out("stale");
    EXPECT_EQ(ReadWholeFile(path, out), FileTooLarge);
    EXPECT_EQ(out.Length(), 0);
}

TEST_F(FilesTest, OpenErrorsMapToCodes)
{
    File file;
    const String path = Path(u"ro.txt");
    Write(path, "x");
    SetReadOnly(path);
    // Wine run as root opens a read-only file for writing anyway, so the attribute question of the
    // mapping is asked directly.
    EXPECT_EQ(FileErrorForOpen(ERROR_ACCESS_DENIED, path, true), FileReadOnly);
    EXPECT_EQ(FileErrorForOpen(ERROR_ACCESS_DENIED, path, false), FileAccessDenied);
    EXPECT_EQ(FileErrorForOpen(ERROR_ACCESS_DENIED, Path(u"plain.txt"), true), FileAccessDenied);
    EXPECT_EQ(file.Open(path, FileCreation::OpenExisting, FileReadAccess), FileSuccess);
    EXPECT_EQ(file.Open(path, FileCreation::CreateNew, FileReadAccess), FileAlreadyExists);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.ErrorText().Empty());

    // A drive letter that no drive has.
    const DWORD drives = GetLogicalDrives();
    char16_t letter = 0;
    for (int i = 25; i >= 3 && !letter; --i)
        if (!(drives & (1u << i)))
            letter = static_cast<char16_t>(u'A' + i);
    ASSERT_NE(letter, 0);
    const char16_t missing[] = {letter, u':', u'\\', u'a', u'\\', u'b', u'.', u't', u'x', u't', 0};
    EXPECT_EQ(file.Open(String(missing), FileCreation::OpenExisting, FileReadAccess), FileDriveMissing);
}

TEST_F(FilesTest, ReadAndWriteChecksSetTheFixedTexts)
{
    File file;
    char buffer[8];
    EXPECT_FALSE(file.Read(buffer, 1));
    EXPECT_EQ(U(file.ErrorText()), u"File not open");
    EXPECT_FALSE(file.Write("x", 1));
    EXPECT_EQ(U(file.ErrorText()), u"File not open");

    const String path = Path(u"three.txt");
    Write(path, "abc");
    ASSERT_EQ(file.Open(path, FileCreation::OpenExisting, FileReadAccess), FileSuccess);
    EXPECT_EQ(file.Size(), 3);
    EXPECT_FALSE(file.Read(buffer, -1));
    EXPECT_EQ(U(file.ErrorText()), u"Illegal block size -1");
    EXPECT_FALSE(file.Read(nullptr, 1));
    EXPECT_EQ(U(file.ErrorText()), u"read(NULL)");
    EXPECT_FALSE(file.Write("x", 1));
    EXPECT_EQ(U(file.ErrorText()), u"Write access denied");
    ASSERT_TRUE(file.Read(buffer, 2));
    EXPECT_EQ(file.Position(), 2);
    EXPECT_FALSE(file.Read(buffer, 2));
    EXPECT_EQ(U(file.ErrorText()), u"Read past end of file");

    ASSERT_EQ(file.Open(path, FileCreation::OpenExisting, FileWriteAccess), FileSuccess);
    EXPECT_FALSE(file.Read(buffer, 1));
    EXPECT_EQ(U(file.ErrorText()), u"Read access denied");
    EXPECT_FALSE(file.Write(nullptr, 1));
    EXPECT_EQ(U(file.ErrorText()), u"NULL block pointer");
    EXPECT_FALSE(file.Write("x", -2));
    EXPECT_EQ(U(file.ErrorText()), u"Illegal write size");
}

// The file and registry wrappers give their failures to StepFailed in the one SystemError shape: the
// system's number with its text, or the wrapper's fixed text with no number.
TEST_F(FilesTest, FailuresReachTheStepFailureAsOneSystemError)
{
    static std::vector<String> lines;
    lines.clear();
    SetStepLogSink([](const String &line) { lines.push_back(line); });
    ClearFailureSummary();

    File file;
    const String missing = Path(u"missing.txt");
    EXPECT_EQ(file.Open(missing, FileCreation::OpenExisting, FileReadAccess), FileNotFound);
    EXPECT_EQ(file.LastError().number, DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(file.LastError().Describe(), SystemErrorText(ERROR_FILE_NOT_FOUND));
    StepFailed(u"Failed to open file", missing, file.LastError(), S(u"Not opened:"));

    const String path = Path(u"one.txt");
    Write(path, "a");
    ASSERT_EQ(file.Open(path, FileCreation::OpenExisting, FileWriteAccess), FileSuccess);
    EXPECT_FALSE(file.LastError().Failed());
    char buffer[1];
    EXPECT_FALSE(file.Read(buffer, 1));
    EXPECT_EQ(file.LastError().number, 0u);
    StepFailed(u"Failed to read file", path, file.LastError());

    RegistryKey key;
    const LONG error = key.Open(HKEY_CURRENT_USER, S(u"Software\\ks-no-such-key\\x"), KEY_READ);
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
    StepFailed(u"Failed to open registry key", S(u"x"), error);

    ASSERT_EQ(lines.size(), 3u);
    const String notFound = SystemErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(lines[0], StepFailureLine(u"Failed to open file", missing, notFound));
    EXPECT_EQ(lines[1], StepFailureLine(u"Failed to read file", path, S(u"Read access denied")));
    EXPECT_EQ(lines[2], StepFailureLine(u"Failed to open registry key", S(u"x"), notFound));
    String entry(u"Not opened: ");
    entry.Append(missing).AppendWide(u"\r\n").Append(notFound).AppendWide(u"\r\n\r\n");
    EXPECT_EQ(FailureSummary(), NarrowInCodePage(entry, kCodePageAnsi));
    SetStepLogSink(nullptr);
    ClearFailureSummary();
}

struct HeldFile {
    HANDLE handle;
    DWORD delayMs;
};

DWORD WINAPI CloseLater(void *parameter)
{
    HeldFile *held = static_cast<HeldFile *>(parameter);
    Sleep(held->delayMs);
    CloseHandle(held->handle);
    return 0;
}

TEST_F(FilesTest, SharingViolationIsWaitedForUnlessForbidden)
{
    const String path = Path(u"held.txt");
    Write(path, "held");
    HeldFile held = {CreateFileW(AsWide(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), 150};
    ASSERT_NE(held.handle, INVALID_HANDLE_VALUE);

    File file;
    EXPECT_EQ(file.Open(path, FileCreation::OpenExisting, FileReadAccess | FileNoSharingRetry), FileLocked);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));

    // Released while the open waits (retries at 100 ms steps for half a second).
    HANDLE closer = CreateThread(nullptr, 0, CloseLater, &held, 0, nullptr);
    ASSERT_NE(closer, nullptr);
    EXPECT_EQ(file.Open(path, FileCreation::OpenExisting, FileReadAccess), FileSuccess);
    WaitForSingleObject(closer, INFINITE);
    CloseHandle(closer);
}

DWORD WINAPI WriteLater(void *parameter)
{
    Sleep(30);
    return WriteWholeFile(*static_cast<const String *>(parameter), "x", 1) == FileSuccess ? 0 : 1;
}

TEST_F(FilesTest, RetryOptionRetriesAnyFirstFailureOnce)
{
    // The file appears while the first failed attempt waits.
    const String path = Path(u"late.txt");
    HANDLE writer = CreateThread(nullptr, 0, WriteLater, const_cast<String *>(&path), 0, nullptr);
    ASSERT_NE(writer, nullptr);
    File file;
    EXPECT_EQ(file.Open(path, FileCreation::OpenExisting, FileReadAccess | FileShareRead | FileShareWrite | FileRetryOnce),
              FileSuccess);
    WaitForSingleObject(writer, INFINITE);
    CloseHandle(writer);
    file.Close();
    EXPECT_EQ(file.Open(Path(u"never.txt"), FileCreation::OpenExisting, FileReadAccess | FileRetryOnce), FileNotFound);
}

std::string g_fatalMessage;

struct FatalEnded {
    int code;
};

void CaptureFatal(const char *message) { g_fatalMessage = message; }
void ThrowInsteadOfExit(int code) { throw FatalEnded{code}; }

// Last test of the program that uses the fatal path: it runs only once per process.
TEST_F(FilesTest, RequiredFileThatCannotBeOpenedIsFatal)
{
    SetFatalDisplay(CaptureFatal);
    SetProcessEnd(ThrowInsteadOfExit);
    const String path = Path(u"required.dat");
    File file;
    int code = -1;
    try {
        file.Open(path, FileCreation::OpenExisting, FileReadAccess | FileRequired);
    } catch (const FatalEnded &ended) {
        code = ended.code;
    }
    SetFatalDisplay(nullptr);
    SetProcessEnd(nullptr);
    EXPECT_EQ(code, 1);
    std::string expectedPath;
    for (int32_t i = 0; i < path.WideLength(); ++i)
        expectedPath.push_back(static_cast<char>(path.Wide()[i]));
    const std::string prefix = "Failed to open required file:\r\n" + expectedPath + "\r\n\r\n";
    ASSERT_EQ(g_fatalMessage.compare(0, prefix.size(), prefix), 0) << g_fatalMessage;
    EXPECT_GT(g_fatalMessage.size(), prefix.size());   // the system's text follows
}

// ---------------------------------------------------------------------------------------------

TEST_F(FilesTest, RemoveFileOptions)
{
    ClearPendingRenames();
    const String missing = Path(u"missing.txt");
    EXPECT_TRUE(RemoveFile(missing, RemoveMissingIsDeleted));
    EXPECT_FALSE(RemoveFile(missing, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(RemoveFile(missing, RemoveAtRestartOnFailure));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(RemoveFile(Path(u"no-folder\\x.txt"), RemoveMissingIsDeleted));
    EXPECT_TRUE(PendingRenames().empty());

    const String readOnly = Path(u"ro.txt");
    Write(readOnly, "x");
    SetReadOnly(readOnly);
    EXPECT_FALSE(RemoveFile(readOnly, RemoveKeepReadOnly));
    EXPECT_TRUE(IsReadOnly(readOnly));
    EXPECT_TRUE(RemoveFile(readOnly, 0));
    EXPECT_FALSE(Exists(readOnly));

    const String full = Path(u"full.txt");
    const String empty = Path(u"empty.txt");
    Write(full, "data");
    Write(empty, "");
    EXPECT_FALSE(RemoveFile(full, RemoveOnlyIfEmpty));
    EXPECT_TRUE(Exists(full));
    EXPECT_TRUE(RemoveFile(empty, RemoveOnlyIfEmpty));
    EXPECT_FALSE(Exists(empty));

    const String later = Path(u"later.txt");
    Write(later, "x");
    EXPECT_TRUE(RemoveFile(later, RemoveAtRestart));
    EXPECT_TRUE(Exists(later));
    EXPECT_TRUE(PendingListHas(U(later), u""));
}

// Where Wine's Recycle Bin keeps a deleted file: the XDG trash of the data folder the test harness
// sets for each prefix. Empty when the program does not run that way.
String WineRecycleBinFile(const char16_t *name)
{
    wchar_t unixPath[1024];
    const DWORD units = GetEnvironmentVariableW(L"XDG_DATA_HOME", unixPath, 1024);
    if (units == 0 || units >= 1024 || unixPath[0] != L'/')
        return String();
    String path(u"Z:");
    for (DWORD i = 0; i < units; ++i)
        path.AppendWideChar(unixPath[i] == L'/' ? u'\\' : static_cast<char16_t>(unixPath[i]));
    return WidePathJoin(WidePathJoin(path, S(u"Trash\\files")), S(name));
}

// Whether Wine's Recycle Bin takes files here at all: Wine deletes a file for good when its trash
// sits on another device than the file (as on some container file systems), as Windows does on a
// drive without a Recycle Bin. Probed once with the shell's own call, so that the checks below hold
// the program to the bin wherever the bin works.
bool WineRecycleBinWorks()
{
    static const bool works = [] {
        wchar_t temp[MAX_PATH + 1];
        if (GetTempPathW(MAX_PATH + 1, temp) == 0)
            return false;
        const String probe = WidePathJoin(String(FromWide(temp)), S(u"ks-recycle-probe.txt"));
        if (WriteWholeFile(probe, "p", 1) != FileSuccess)
            return false;
        std::wstring from(AsWide(probe));
        from.push_back(L'\0');   // pFrom is a list: a second terminator ends it
        SHFILEOPSTRUCTW op = {};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI;
        if (SHFileOperationW(&op) != 0)
            return false;
        const String binned = WineRecycleBinFile(u"ks-recycle-probe.txt");
        return !binned.Empty() && GetFileAttributesW(AsWide(binned)) != INVALID_FILE_ATTRIBUTES;
    }();
    return works;
}

TEST_F(FilesTest, RemoveFileToRecycleBin)
{
    const String path = Path(u"recycled.txt");
    Write(path, "x");
    SetReadOnly(path);
    EXPECT_TRUE(RemoveFile(path, RemoveToRecycleBin));
    EXPECT_FALSE(Exists(path));
    const String binned = WineRecycleBinFile(u"recycled.txt");
    if (WineRecycleBinWorks()) {
        EXPECT_TRUE(Exists(binned));
    }
    EXPECT_TRUE(RemoveFile(path, RemoveToRecycleBin | RemoveMissingIsDeleted));
    EXPECT_FALSE(RemoveFile(path, RemoveToRecycleBin));
}

TEST_F(FilesTest, RelocateFileOptions)
{
    const String source = Path(u"source.txt");
    const String target = Path(u"target.txt");
    EXPECT_FALSE(RelocateFile(source, target, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    Write(source, "new");
    EXPECT_FALSE(RelocateFile(source, target, RelocateDestinationMustExist));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    Write(target, "old");
    EXPECT_FALSE(RelocateFile(source, target, RelocateDestinationMustNotExist));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    SetReadOnly(target);
    EXPECT_FALSE(RelocateFile(source, target, RelocateRefuseReadOnly));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Read(target), "old");

    // The same file under another letter case: nothing to do.
    EXPECT_TRUE(RelocateFile(source, Path(u"SOURCE.TXT"), 0));
    EXPECT_EQ(Read(source), "new");

    // A read-only destination is replaced by default.
    EXPECT_TRUE(RelocateFile(source, target, RelocateDestinationMustExist));
    EXPECT_FALSE(Exists(source));
    EXPECT_EQ(Read(target), "new");

    // Into a folder that does not exist yet, named relative to the source's folder.
    EXPECT_TRUE(RelocateFile(target, S(u"made\\deeper"), RelocateRelativeToSource | RelocateIntoFolder |
                                                              RelocateCreateFolders));
    EXPECT_EQ(Read(Path(u"made\\deeper\\target.txt")), "new");
    EXPECT_FALSE(RelocateFile(Path(u"made\\deeper\\target.txt"), Path(u"none\\x.txt"), 0));
}

TEST_F(FilesTest, DeferredReplacementReportsBusy)
{
    ClearPendingRenames();
    const String source = Path(u"new.tmp");
    const String target = Path(u"locked.dll");
    Write(source, "new");
    Write(target, "old");
    SetLastError(0);
    EXPECT_TRUE(RelocateFile(source, target, RelocateAtRestart));
    EXPECT_EQ(GetLastError(), kDeferredMoveError);
    EXPECT_EQ(GetLastError(), 170u);
    EXPECT_EQ(Read(target), "old");
    EXPECT_TRUE(Exists(source));
    EXPECT_TRUE(PendingListHas(U(source), U(target)));
}

TEST_F(FilesTest, WininitRenameFile)
{
    Write(Path(u"wininit.ini"), "[Settings]\r\nx=1\r\n[Rename]\r\nNUL=C:\\OLD.TMP\r\n");
    EXPECT_TRUE(AddWininitRenameToFile(dir_, String("C:\\DEST.DLL"), String("C:\\NEW.TMP")));
    EXPECT_EQ(Read(Path(u"wininit.ini")),
              "[Settings]\r\nx=1\r\n[Rename]\r\nC:\\DEST.DLL=C:\\NEW.TMP\r\nNUL=C:\\OLD.TMP\r\n");

    const String fresh = Path(u"fresh");
    ASSERT_TRUE(CreateFolderPath(fresh));
    EXPECT_TRUE(AddWininitRenameToFile(fresh, String("NUL"), String("C:\\GONE.TMP")));
    EXPECT_EQ(Read(WidePathJoin(fresh, S(u"wininit.ini"))), "[rename]\r\nNUL=C:\\GONE.TMP");
    EXPECT_FALSE(AddWininitRenameToFile(fresh, String(""), String("C:\\GONE.TMP")));
}

// ---------------------------------------------------------------------------------------------

TEST_F(FilesTest, RemoveEmptyFolderRules)
{
    EXPECT_FALSE(RemoveEmptyFolder(S(u"C:\\"), 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_PATHNAME));

    const String shown = Path(u"shown");
    ASSERT_TRUE(CreateFolderPath(shown));
    Write(WidePathJoin(shown, S(u"Thumbs.db")), "t");
    Write(WidePathJoin(shown, S(u"desktop.ini")), "d");
    SetReadOnly(WidePathJoin(shown, S(u"desktop.ini")));
    EXPECT_FALSE(RemoveEmptyFolder(shown, RemoveFolderKeepShellFiles));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    EXPECT_TRUE(RemoveEmptyFolder(WidePathJoin(shown, S(u"")), 0));   // with a trailing backslash
    EXPECT_FALSE(Exists(shown));

    EXPECT_FALSE(RemoveEmptyFolder(shown, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    // A folder that stays keeps its desktop.ini.
    const String used = Path(u"used");
    ASSERT_TRUE(CreateFolderPath(used));
    Write(WidePathJoin(used, S(u"desktop.ini")), "d");
    Write(WidePathJoin(used, S(u"user.doc")), "u");
    EXPECT_FALSE(RemoveEmptyFolder(used, 0));
    EXPECT_TRUE(Exists(WidePathJoin(used, S(u"desktop.ini"))));
}

String WindowsFolder()
{
    wchar_t buffer[MAX_PATH + 1];
    EXPECT_GT(GetWindowsDirectoryW(buffer, MAX_PATH + 1), 0u);
    return String(FromWide(buffer));
}

TEST_F(FilesTest, DeleteFolderTreeRefusesSystemFolders)
{
    const String windows = WindowsFolder();
    EXPECT_FALSE(DeleteFolderTree(windows, 0));
    String upperWithSlash;
    for (int32_t i = 0; i < windows.WideLength(); ++i) {
        char16_t c = windows.Wide()[i];
        upperWithSlash.AppendWideChar(c >= u'a' && c <= u'z' ? char16_t(c - 32) : c);
    }
    upperWithSlash.AppendWideChar(u'\\');
    EXPECT_FALSE(DeleteFolderTree(upperWithSlash, 0));
    EXPECT_FALSE(DeleteFolderTree(WidePathJoin(windows, S(u"system32")), 0));
    EXPECT_FALSE(DeleteFolderTree(S(u"C:\\"), 0));
    EXPECT_FALSE(DeleteFolderTree(S(u"C:"), 0));
    EXPECT_FALSE(DeleteFolderTree(S(u"C:\\Program Files"), 0));
    EXPECT_FALSE(DeleteFolderTree(S(u"C:\\Program Files (x86)\\Common Files"), 0));
    EXPECT_TRUE(Exists(WidePathJoin(windows, S(u"system32"))));
}

TEST_F(FilesTest, DeleteFolderTreeRemovesEverything)
{
    const String tree = Path(u"tree");
    ASSERT_TRUE(CreateFolderPath(Path(u"tree\\a\\b\\c")));
    Write(Path(u"tree\\top.txt"), "1");
    Write(Path(u"tree\\a\\b\\deep.txt"), "2");
    SetReadOnly(Path(u"tree\\a\\b\\deep.txt"));
    Write(Path(u"tree\\a\\b\\c\\deeper.txt"), "3");
    EXPECT_TRUE(DeleteFolderTree(tree, DeleteTreePumpMessages));
    EXPECT_FALSE(Exists(tree));
    EXPECT_TRUE(DeleteFolderTree(tree, 0));   // already gone
}

TEST_F(FilesTest, DeleteFolderTreeGoesOnPastALockedFile)
{
    const String tree = Path(u"locked");
    ASSERT_TRUE(CreateFolderPath(Path(u"locked\\a")));
    ASSERT_TRUE(CreateFolderPath(Path(u"locked\\b")));
    Write(Path(u"locked\\a\\held.txt"), "1");
    Write(Path(u"locked\\b\\free.txt"), "2");
    HANDLE held = CreateFileW(AsWide(Path(u"locked\\a\\held.txt")), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DeleteFolderTree(tree, 0));
    const DWORD error = GetLastError();
    CloseHandle(held);
    EXPECT_NE(error, 0u);
    EXPECT_FALSE(Exists(Path(u"locked\\b")));
    EXPECT_TRUE(Exists(Path(u"locked\\a\\held.txt")));
}

// ---------------------------------------------------------------------------------------------

std::vector<std::u16string> Sorted(const Array<String> &found, const String &dir)
{
    std::vector<std::u16string> names;
    for (int32_t i = 0; i < found.Count(); ++i) {
        std::u16string text = U(found[i]);
        const std::u16string prefix = U(dir) + u"\\";
        names.push_back(text.compare(0, prefix.size(), prefix) == 0 ? text.substr(prefix.size()) : u"<" + text + u">");
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(FilesTest, FindFilesPatterns)
{
    ASSERT_TRUE(CreateFolderPath(Path(u"sub\\deeper")));
    Write(Path(u"a.txt"), "");
    Write(Path(u"b.log"), "");
    Write(Path(u"sub\\c.txt"), "");
    Write(Path(u"sub\\deeper\\d.txt"), "");
    ASSERT_TRUE(CreateFolderPath(Path(u"folder.txt")));   // a folder matching the mask is not a file

    const struct {
        const char16_t *patterns;
        std::vector<std::u16string> found;
    } cases[] = {
        {u"*.txt", {u"a.txt"}},
        {u"*.txt /s", {u"a.txt", u"sub\\c.txt", u"sub\\deeper\\d.txt"}},
        {u"*.txt /S", {u"a.txt", u"sub\\c.txt", u"sub\\deeper\\d.txt"}},
        {u"*.txt; *.log", {u"a.txt", u"b.log"}},
        {u"sub\\*.txt", {u"sub\\c.txt"}},
        {u"sub\\*.* /s", {u"sub\\c.txt", u"sub\\deeper\\d.txt"}},
        {u"b.log;;missing.txt", {u"b.log"}},
        {u"", {}},
    };
    for (const auto &c : cases) {
        Array<String> found;
        FindFiles(S(c.patterns), dir_, found);
        EXPECT_EQ(Sorted(found, dir_), c.found);
    }
    // An absolute pattern ignores the base folder.
    Array<String> found;
    FindFiles(WidePathJoin(dir_, S(u"*.log")), S(u"C:\\nowhere"), found);
    EXPECT_EQ(Sorted(found, dir_), std::vector<std::u16string>{u"b.log"});
}

// ---------------------------------------------------------------------------------------------

void WritePendingRaw(const std::u16string &raw)
{
    RegistryKey key;
    ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, S(kSessionManager), KEY_READ | KEY_WRITE), ERROR_SUCCESS);
    ASSERT_EQ(key.WriteMultiString(S(kPendingValue), String(raw.data(), static_cast<int32_t>(raw.size()))),
              ERROR_SUCCESS);
}

std::u16string ReadPendingRaw()
{
    RegistryKey key;
    String raw;
    if (key.Open(HKEY_LOCAL_MACHINE, S(kSessionManager), KEY_READ) != ERROR_SUCCESS ||
        key.ReadMultiString(S(kPendingValue), raw) != ERROR_SUCCESS)
        return u"<missing>";
    return U(raw);
}

std::string g_cleanLog;
void CollectCleanLog(const char *text) { g_cleanLog += text; }

TEST_F(FilesTest, CleanPendingOperationsDropsMovesOntoInstalledFiles)
{
    using namespace std::string_literals;
    const String temporary = Path(u"Replace1.tmp");
    const String installed = Path(u"Product.DLL");
    Write(temporary, "older copy");
    Write(installed, "just installed");

    // A move onto the installed file (as registered by an earlier run), another program's move, and
    // another program's deletion.
    const std::u16string raw = u"\\??\\"s + U(temporary) + u"\0"s + u"!\\??\\"s + U(installed) + u"\0"s +
                               u"\\??\\C:\\Other\\a.tmp\0!\\??\\C:\\Other\\a.dll\0"s +
                               u"\\??\\C:\\Other\\old.log\0\0\0"s;
    WritePendingRaw(raw);

    PathTextSet set(4);
    const String key = PendingRenameKey(installed);   // the installed file, as the install step records it
    set.Set(key, true);

    g_cleanLog.clear();
    EXPECT_TRUE(CleanPendingOperations(set, CollectCleanLog));
    EXPECT_EQ(ReadPendingRaw(), u"\\??\\C:\\Other\\a.tmp\0!\\??\\C:\\Other\\a.dll\0"s
                                u"\\??\\C:\\Other\\old.log\0\0\0"s);
    EXPECT_FALSE(Exists(temporary));
    const String binned = WineRecycleBinFile(u"Replace1.tmp");
    if (WineRecycleBinWorks()) {
        EXPECT_TRUE(Exists(binned));
    }
    EXPECT_EQ(Read(installed), "just installed");
    EXPECT_EQ(g_cleanLog, "\r\nFile \"" + std::string(key.Bytes()) + "\" was removed from the list of pending moves.\r\n");

    // Nothing concerns the set any more: the value is left exactly as it is (here without the
    // list's own terminator, which a rewrite would add).
    const std::u16string untouched = u"\\??\\C:\\Other\\a.tmp\0!\\??\\C:\\Other\\a.dll\0"s;
    WritePendingRaw(untouched);
    g_cleanLog.clear();
    EXPECT_TRUE(CleanPendingOperations(set, CollectCleanLog));
    EXPECT_EQ(ReadPendingRaw(), untouched);
    EXPECT_EQ(g_cleanLog, "");

    ClearPendingRenames();
    EXPECT_TRUE(CleanPendingOperations(set, CollectCleanLog));
    EXPECT_EQ(ReadPendingRaw(), u"<missing>");
}

} // namespace
