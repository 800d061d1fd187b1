#include "core/file_win.h"

#include <cstdio>

#include "core/codepage.h"
#include "core/fatal.h"
#include "core/file_errors.h"
#include "core/system_error_win.h"
#include "core/wide_win.h"

namespace {

constexpr int kSharingRetries = 5;
constexpr DWORD kSharingPauseMs = 100;
constexpr DWORD kRetryPauseMs = 150;
constexpr DWORD kWritePiece = 0x100000;
constexpr int64_t kLoadLimit = 0x80000000LL;   // whole-file loads stop below 2 GiB

bool DriveExists(char16_t letter)
{
    const char16_t upper = (letter >= u'a' && letter <= u'z') ? char16_t(letter - u'a' + u'A') : letter;
    return (GetLogicalDrives() >> (upper - u'A')) & 1;
}

bool IsReadOnly(const char16_t *path)
{
    const DWORD attributes = GetFileAttributesW(AsWide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

DWORD CreationDisposition(FileCreation creation)
{
    switch (creation) {
    case FileCreation::OpenAlways:
        return OPEN_ALWAYS;
    case FileCreation::CreateNew:
        return CREATE_NEW;
    case FileCreation::CreateAlways:
        return CREATE_ALWAYS;
    default:
        return OPEN_EXISTING;
    }
}

// "Failed to open required file:\r\n%s\r\n\r\n%s" goes to the 8-bit fatal path in the ANSI code page,
// as every wide fatal message does.
[[noreturn]] void FailRequiredOpen(const String &path, const String &errorText)
{
    String message = WideFromAscii("Failed to open required file:\r\n");
    message.Append(path).Append(WideFromAscii("\r\n\r\n")).Append(errorText);
    String ansi;
    CodePageFromWide(message, kCodePageAnsi, "?", ansi);
    Fatal(ansi.Bytes());
}

} // namespace

int FileErrorForOpen(DWORD error, const String &path, bool writing)
{
    static const FileErrorProbe probe = {DriveExists, IsReadOnly};
    return FileErrorFromSystem(error, path.Wide(), writing, probe);
}

File::~File() { Close(); }

void File::Close()
{
    if (handle_ != INVALID_HANDLE_VALUE) {
        CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
    access_ = 0;
}

int File::Open(const String &path, FileCreation creation, uint32_t options)
{
    Close();
    errorNumber_ = 0;
    errorText_.Clear();
    const bool writing = (options & FileWriteAccess) != 0;
    if (path.Empty()) {
        errorNumber_ = ERROR_INVALID_NAME;
        errorText_ = WideFromAscii(FileErrorText(FileInvalidName));
        if (options & FileRequired)
            FailRequiredOpen(path, errorText_);
        SetLastError(ERROR_INVALID_NAME);
        return FileInvalidName;
    }

    DWORD access = 0;
    if (options & FileReadAccess)
        access |= GENERIC_READ;
    if (writing)
        access |= GENERIC_WRITE;
    DWORD share = 0;
    if (options & FileShareRead)
        share |= FILE_SHARE_READ;
    if (options & FileShareWrite)
        share |= FILE_SHARE_WRITE;
    if (options & FileShareDelete)
        share |= FILE_SHARE_DELETE;
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | ((options & FileSequentialScan) ? FILE_FLAG_SEQUENTIAL_SCAN : 0);

    bool retryLeft = (options & FileRetryOnce) != 0;
    int sharingRetriesLeft = (options & FileNoSharingRetry) ? 0 : kSharingRetries;
    DWORD error = ERROR_SUCCESS;
    for (;;) {
        HANDLE handle = CreateFileW(AsWide(path), access, share, nullptr, CreationDisposition(creation), flags, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            handle_ = handle;
            access_ = access;
            SetLastError(ERROR_SUCCESS);
            return FileSuccess;
        }
        error = GetLastError();
        if (retryLeft) {
            retryLeft = false;
            Sleep(kRetryPauseMs);
            continue;
        }
        if (error == ERROR_SHARING_VIOLATION && sharingRetriesLeft > 0) {
            --sharingRetriesLeft;
            Sleep(kSharingPauseMs);
            continue;
        }
        break;
    }

    errorNumber_ = error;
    errorText_ = SystemErrorText(error);
    if (options & FileRequired)
        FailRequiredOpen(path, errorText_);
    const int code = FileErrorForOpen(error, path, writing);
    SetLastError(error);
    return code;
}

bool File::Fail(const char *text)
{
    errorNumber_ = 0;
    errorText_ = WideFromAscii(text);
    return false;
}

bool File::FailWithSystemError()
{
    const DWORD error = GetLastError();
    errorNumber_ = error;
    errorText_ = SystemErrorText(error);
    SetLastError(error);
    return false;
}

bool File::Ready(const char *accessText, DWORD accessNeeded)
{
    if (handle_ == INVALID_HANDLE_VALUE)
        return Fail("File not open");
    if (!(access_ & accessNeeded))
        return Fail(accessText);
    return true;
}

bool File::Read(void *buffer, int32_t size)
{
    if (size < 0) {
        char text[40];
        std::snprintf(text, sizeof text, "Illegal block size %d", static_cast<int>(size));
        return Fail(text);
    }
    if (!buffer)
        return Fail("read(NULL)");
    if (!Ready("Read access denied", GENERIC_READ))
        return false;
    char *at = static_cast<char *>(buffer);
    int32_t left = size;
    while (left > 0) {
        DWORD got = 0;
        if (!ReadFile(handle_, at, static_cast<DWORD>(left), &got, nullptr))
            return FailWithSystemError();
        if (got == 0)
            return Fail("Read past end of file");
        at += got;
        left -= static_cast<int32_t>(got);
    }
    return true;
}

bool File::Write(const void *data, int32_t size)
{
    if (handle_ == INVALID_HANDLE_VALUE)
        return Fail("File not open");
    if (!data)
        return Fail("NULL block pointer");
    if (size < 0)
        return Fail("Illegal write size");
    if (!Ready("Write access denied", GENERIC_WRITE))
        return false;
    const char *at = static_cast<const char *>(data);
    int32_t left = size;
    while (left > 0) {
        const DWORD piece = left < static_cast<int32_t>(kWritePiece) ? static_cast<DWORD>(left) : kWritePiece;
        DWORD written = 0;
        if (!WriteFile(handle_, at, piece, &written, nullptr))
            return FailWithSystemError();
        if (written != piece)
            return Fail("Not all data could be written");
        at += piece;
        left -= static_cast<int32_t>(piece);
    }
    return true;
}

bool File::Seek(int64_t offset, DWORD origin)
{
    if (handle_ == INVALID_HANDLE_VALUE)
        return Fail("File not open");
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(handle_, distance, nullptr, origin))
        return FailWithSystemError();
    return true;
}

int64_t File::Size()
{
    if (handle_ == INVALID_HANDLE_VALUE)
        return Fail("File not open"), -1;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_, &size))
        return FailWithSystemError(), -1;
    return size.QuadPart;
}

int64_t File::Position()
{
    if (handle_ == INVALID_HANDLE_VALUE)
        return Fail("File not open"), -1;
    LARGE_INTEGER zero, position;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(handle_, zero, &position, FILE_CURRENT))
        return FailWithSystemError(), -1;
    return position.QuadPart;
}

bool File::SetEnd()
{
    if (!Ready("Write access denied", GENERIC_WRITE))
        return false;
    if (!SetEndOfFile(handle_))
        return FailWithSystemError();
    return true;
}

int ReadWholeFile(const String &path, String &out)
{
    out.Clear();
    File file;
    const int code = file.Open(path, FileCreation::OpenExisting, FileReadAccess | FileShareRead | FileSequentialScan);
    if (code != FileSuccess)
        return code;
    const int64_t size = file.Size();
    if (size < 0)
        return FileReadFailed;
    if (size >= kLoadLimit)
        return FileTooLarge;
    if (size == 0)
        return FileSuccess;
    if (!out.TryResize(static_cast<int32_t>(size)))
        return FileTooLarge;
    if (!file.Read(out.MutableBytes(), out.Length())) {
        out.Clear();
        return FileReadFailed;
    }
    return FileSuccess;
}

int WriteWholeFile(const String &path, const void *bytes, int32_t length)
{
    if (path.Empty())
        return FileInvalidName;
    File file;
    const int code = file.Open(path, FileCreation::CreateAlways, FileWriteAccess);
    if (code != FileSuccess)
        return code;
    if (length > 0 && !file.Write(bytes, length))
        return FileWriteFailed;
    return FileSuccess;
}
