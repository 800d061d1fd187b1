#include "core/file_errors.h"

namespace {

const char *const kTexts[] = {
    "Success.",
    "An unknown error occurred.",
    "The filename is invalid.",
    "The file was not found.",
    "The directory does not exist.",
    "The file is locked by another application.",
    "Failed to read the file into memory.",
    "Failed to write data to the file.",
    "Too many files are already open.",
    "An invalid parameter was used.",
    "The file already exists.",
    "Too many indexed files exist.",
    "Access denied.",
    "The file's Read-Only attribute is set.",
    "The file's contents are corrupted.",
    "Deletion failed.",
    "The file is too large to load into memory.",
    "Aborted by the user.",
    "Failed to create the directory.",
    "The network path is not valid.",
    "The device is not ready (usually because no disk is inserted).",
    "The drive does not exist.",
    "Erasure verification failed.",
};
static_assert(sizeof kTexts / sizeof kTexts[0] == FileErasureNotVerified + 1, "one text per code");

// Windows system error numbers (winerror.h), spelled out so that this mapping builds and is tested
// without the Windows headers.
enum : uint32_t {
    kErrorFileNotFound = 2,
    kErrorPathNotFound = 3,
    kErrorTooManyOpenFiles = 4,
    kErrorAccessDenied = 5,
    kErrorInvalidDrive = 15,
    kErrorNotReady = 21,
    kErrorSharingViolation = 32,
    kErrorRemNotList = 51,
    kErrorBadNetPath = 53,
    kErrorNetNameDeleted = 64,
    kErrorNetworkAccessDenied = 65,
    kErrorBadNetName = 67,
    kErrorFileExists = 80,
    kErrorInvalidParameter = 87,
    kErrorInvalidName = 123,
    kErrorNoNetOrBadPath = 1203,
};

bool IsAsciiLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

} // namespace

const char *FileErrorText(int code)
{
    if (code < 0 || code > FileErasureNotVerified)
        return kTexts[FileUnknownError];
    return kTexts[code];
}

int FileErrorFromSystem(uint32_t systemError, const char16_t *path, bool writing,
                        const FileErrorProbe &probe)
{
    if (!path || !path[0])
        return FileInvalidName;
    switch (systemError) {
    case 0:
        return FileSuccess;
    case kErrorFileNotFound:
        return FileNotFound;
    case kErrorPathNotFound:
        if (IsAsciiLetter(path[0]) && path[1] == u':' && probe.driveExists && !probe.driveExists(path[0]))
            return FileDriveMissing;
        return FileFolderMissing;
    case kErrorInvalidDrive:
        return FileDriveMissing;
    case kErrorTooManyOpenFiles:
        return FileTooManyOpen;
    case kErrorAccessDenied:
        if (writing && probe.isReadOnly && probe.isReadOnly(path))
            return FileReadOnly;
        return FileAccessDenied;
    case kErrorNotReady:
        return FileDeviceNotReady;
    case kErrorSharingViolation:
        return FileLocked;
    case kErrorRemNotList:
    case kErrorBadNetPath:
    case kErrorNetNameDeleted:
    case kErrorNetworkAccessDenied:
    case kErrorBadNetName:
    case kErrorNoNetOrBadPath:
        return FileBadNetworkPath;
    case kErrorFileExists:
        return FileAlreadyExists;
    case kErrorInvalidParameter:
        return FileInvalidParameter;
    case kErrorInvalidName:
        return FileInvalidName;
    default:
        return FileUnknownError;
    }
}
