#include "install/file_write_win.h"

#include <cstring>

#include "core/date_compare.h"
#include "core/file_win.h"
#include "core/folders_win.h"
#include "core/path_parts.h"
#include "core/restart_ops_win.h"
#include "core/system_error_win.h"
#include "core/wide_win.h"
#include "setupdata/checksum.h"
#include "setupdata/corruption.h"
#include "setupdata/language.h"

namespace {

constexpr int kWriteFailedRow = 31;
constexpr DWORD kStuckAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr int32_t kReadBackPiece = 1 << 20;


void Failure(FileStepInput &input, const String &wide)
{
    if (input.hooks.failure)
        input.hooks.failure(wide);
}

// Reads the file back and compares it with the content (in memory) or its checksum (streamed).
bool ReadBackMatches(const FileWriteRequest &request, const String &path)
{
    File file;
    if (file.Open(path, FileCreation::OpenExisting, FileReadAccess | FileShareRead | FileSequentialScan) != 0)
        return false;
    if (file.Size() != request.size)
        return false;
    String buffer;
    buffer.Resize(int32_t(request.size < kReadBackPiece ? request.size : kReadBackPiece));
    SetupChecksumAccumulator sum;
    for (int64_t done = 0; done < request.size;) {
        const int32_t n = int32_t(request.size - done < kReadBackPiece ? request.size - done : kReadBackPiece);
        if (!file.Read(buffer.MutableBytes(), n))
            return false;
        if (request.data) {
            if (memcmp(buffer.Bytes(), request.data + done, size_t(n)) != 0)
                return false;
        } else {
            sum.Add(buffer.Bytes(), size_t(n));
        }
        done += n;
    }
    return request.data || sum.Result() == request.contentChecksum;
}

bool HasDateAndTime(const DateTime &t) { return HasDate(t) && HasTime(t); }

// The creation and last-write times of an open file set to the local time `t`.
bool SetHandleTimes(HANDLE handle, const DateTime &t)
{
    SYSTEMTIME local = {};
    local.wYear = WORD(t.year), local.wMonth = WORD(t.month), local.wDay = WORD(t.day);
    local.wHour = WORD(t.hour), local.wMinute = WORD(t.minute), local.wSecond = WORD(t.second);
    FILETIME localTime, utc;
    if (!SystemTimeToFileTime(&local, &localTime) || !LocalFileTimeToFileTime(&localTime, &utc))
        return false;
    return SetFileTime(handle, &utc, nullptr, &utc) != 0;
}

// One attempt: the content written (or the temporary file moved) into place. Sets `error`;
// `timesSet` when the record's time stamp went onto the written file's handle (the file then need
// not be opened once more for it: for many small files that open is a good part of the cost).
bool Attempt(const FileWriteRequest &request, bool verify, bool &verifyFailed, bool &timesSet, DWORD &error)
{
    verifyFailed = false;
    timesSet = false;
    if (!request.tempFile.Empty()) {
        if (verify && !ReadBackMatches(request, request.tempFile)) {
            verifyFailed = true;
            error = GetLastError();
            return false;
        }
        if (!MoveFileExW(AsWide(request.tempFile), AsWide(request.path), MOVEFILE_REPLACE_EXISTING)) {
            error = GetLastError();
            return false;
        }
        return true;
    }
    File file;
    if (file.Open(request.path, FileCreation::CreateAlways, FileWriteAccess | FileNoSharingRetry) != 0) {
        error = GetLastError();
        return false;
    }
    if (!file.Write(request.data, int32_t(request.size))) {
        error = GetLastError();
        return false;
    }
    // Reading back below leaves the last-write time alone.
    timesSet = HasDateAndTime(request.time) && SetHandleTimes(file.Handle(), request.time);
    file.Close();
    if (verify && !ReadBackMatches(request, request.path)) {
        verifyFailed = true;
        error = GetLastError();
        return false;
    }
    return true;
}

bool DrivePresent(const String &path)
{
    if (path.WideLength() < 2 || path.Wide()[1] != u':')
        return true;
    const char16_t root[4] = {path.Wide()[0], u':', u'\\', 0};
    return GetDriveTypeW(reinterpret_cast<const wchar_t *>(root)) != DRIVE_NO_ROOT_DIR;
}

// After the attempts: the replacement at the next restart, where it is allowed.
bool RegisterForRestart(const FileWriteRequest &request, FileStepInput &input, DWORD error)
{
    String message = LanguageString(kWriteFailedRow);
    message.AppendWideChar(u' ').Append(request.path);
    const bool present = DrivePresent(request.path);
    if (!present) {
        message = String::FormatWide(u"Drive %c: is not present.\r\n", unsigned(request.path.Wide()[0]));
    } else if (error != 0) {
        message.AppendWide(u"\r\n").Append(SystemErrorText(error));
    }
    const bool allowed = present && error != ERROR_INVALID_NAME &&
                         (request.existedBefore || (*input.productFlags & FileStepFlag::ReplaceNewFilesAtRestart));
    if (!allowed) {
        Failure(input, message.AppendWide(u"\r\n\r\n"));
        if (!request.tempFile.Empty())
            DeleteFileW(AsWide(request.tempFile));
        return false;
    }

    String temp = request.tempFile;
    if (temp.Empty()) {
        temp = CreateTemporaryFileIn(WidePathFolder(request.path));
        const int code = temp.Empty() ? 1 : WriteWholeFile(temp, request.data, int32_t(request.size));
        if (code != 0) {
            const String why = SystemErrorText(GetLastError());
            if (!temp.Empty())
                DeleteFileW(AsWide(temp));
            Failure(input, message.AppendWide(u"\r\n\r\n"));
            Failure(input, String::FormatWide(u"Failed to register '%ls' for replacement because no temporary "
                                              u"file could be created.\r\n%ls\r\n\r\n",
                                              request.path.Wide(), why.Wide()));
            return false;
        }
    }
    // The session manager moves the file at boot; attributes a read-only copy would carry over are
    // cleared, and the record's time stamp travels with it.
    SetFileAttributesW(AsWide(temp), FILE_ATTRIBUTE_NORMAL);
    if (HasDateAndTime(request.time))
        SetFileTimes(temp, request.time);
    if (!RegisterReplacementAtRestart(temp, request.path)) {
        const String why = SystemErrorText(GetLastError());
        Failure(input, message.AppendWide(u"\r\n\r\n"));
        Failure(input, String::FormatWide(u"Failed to register '%ls' for replacement with temporary file "
                                          u"'%ls'\r\n%ls\r\n\r\n",
                                          request.path.Wide(), temp.Wide(), why.Wide()));
        DeleteFileW(AsWide(temp));
        return false;
    }
    *input.productFlags |= FileStepFlag::RestartNeeded;
    if (input.hooks.logWide)
        input.hooks.logWide(String::FormatWide(u"\"%ls\" was successfully registered for replacement.\r\n"
                                               u"Temporary file is \"%ls\"\r\nReboot will be required.\r\n\r\n",
                                               request.path.Wide(), temp.Wide()));
    return true;
}

} // namespace

bool SetFileTimes(const String &path, const DateTime &t)
{
    HANDLE handle = CreateFileW(AsWide(path), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = SetHandleTimes(handle, t);
    CloseHandle(handle);
    return ok;
}

bool ReadLastWriteTime(const String &path, DateTime &t)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    FILETIME local;
    SYSTEMTIME st;
    if (!GetFileAttributesExW(AsWide(path), GetFileExInfoStandard, &data) ||
        !FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &st))
        return false;
    t = DateTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
    return true;
}

bool ApplyRecordAttributes(const String &path, int32_t attributes)
{
    const DWORD now = GetFileAttributesW(AsWide(path));
    if (now == INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD wanted = (now & ~kRecordAttributeMask) | (DWORD(attributes) & kRecordAttributeMask);
    return wanted == now || SetFileAttributesW(AsWide(path), wanted) != 0;
}

String CreateTemporaryFileIn(const String &folder)
{
    // GetTempFileNameW takes a folder of at most MAX_PATH - 14 characters; the name is made here so
    // that a deep destination folder works too.
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        const unsigned stamp = (GetTickCount() + attempt * 7919u) & 0xFFFFFu;
        const String path = WidePathJoin(folder, String::FormatWide(u"~ks%05X.tmp", stamp));
        HANDLE handle = CreateFileW(AsWide(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
            return path;
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    return String();
}

bool WriteInstalledFile(const FileWriteRequest &request, FileStepInput &input, bool &registeredForRestart)
{
    registeredForRestart = false;
    if (request.size < 0)
        ReportCorruption(kCorruptionNegativeWriteSize);
    const bool verify = (*input.productFlags & FileStepFlag::VerifyWrites) != 0;
    DWORD error = 0;
    for (int attempt = 1; attempt <= kWriteAttempts; ++attempt) {
        bool verifyFailed = false, timesSet = false;
        if (Attempt(request, verify, verifyFailed, timesSet, error)) {
            if (!timesSet && HasDateAndTime(request.time))
                SetFileTimes(request.path, request.time);   // a failure leaves the file's own time
            if (request.attributes != -1)
                ApplyRecordAttributes(request.path, request.attributes);
            return true;
        }
        if (verifyFailed && attempt == kWriteAttempts) {
            Failure(input, String::FormatWide(u"%ls %ls\r\n%ls\r\n\r\n", LanguageString(kWriteFailedRow).Wide(),
                                              request.path.Wide(), SystemErrorText(error).Wide()));
            if (!request.tempFile.Empty())
                DeleteFileW(AsWide(request.tempFile));
            return false;
        }
        if (attempt == 1 && !verifyFailed) {
            if (error == ERROR_PATH_NOT_FOUND)
                CreateFolderPath(WidePathFolder(request.path));
            if (*input.productFlags & FileStepFlag::ClearAttributesOnFailure) {
                const DWORD now = GetFileAttributesW(AsWide(request.path));
                if (now != INVALID_FILE_ATTRIBUTES)
                    SetFileAttributesW(AsWide(request.path), now & ~kStuckAttributes);
            }
        }
        Sleep(kWriteAttemptPause);
    }
    registeredForRestart = RegisterForRestart(request, input, error);
    return false;
}
