#include "core/file_ops_win.h"

#include <windows.h>
#include <shellapi.h>

#include "core/folders_win.h"
#include "core/path_check.h"
#include "core/path_parts.h"
#include "core/path_win.h"
#include "core/restart_ops_win.h"
#include "core/wide_win.h"

namespace {

// FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI: to the Recycle Bin without any
// window.
constexpr FILEOP_FLAGS kRecycleFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI;
static_assert(kRecycleFlags == 0x454, "recycle flags");

// SHFileOperationW's own failure codes (DE_*) start here; below it they are system error numbers.
constexpr int kFirstShellOnlyError = 0x71;

bool IsMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

bool RecycleFile(const String &path)
{
    // The Recycle Bin keeps the full path to restore the file to; pFrom is a list that ends with an
    // empty name, so the text needs a second terminating zero after its own.
    String from = FullPathOf(path);
    from.AppendWideChar(0);
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = AsWide(from);
    operation.fFlags = kRecycleFlags;
    const int result = SHFileOperationW(&operation);
    if (result == 0 && !operation.fAnyOperationsAborted)
        return true;
    if (result == 0)
        SetLastError(ERROR_CANCELLED);
    else
        SetLastError(result < kFirstShellOnlyError ? static_cast<DWORD>(result) : ERROR_ACCESS_DENIED);
    return false;
}

} // namespace

bool RemoveFile(const String &path, uint32_t options)
{
    if (path.Empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    if (options & RemoveAtRestart)
        return RegisterDeletionAtRestart(path);

    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(AsWide(path), GetFileExInfoStandard, &data)) {
        const DWORD error = GetLastError();
        if (IsMissing(error)) {
            if (options & RemoveMissingIsDeleted)
                return true;
            SetLastError(error);
            return false;
        }
        // Attributes that cannot be read (a locked parent, say) leave the deletion to report.
        data.dwFileAttributes = INVALID_FILE_ATTRIBUTES;
    } else if ((options & RemoveOnlyIfEmpty) && (data.nFileSizeLow != 0 || data.nFileSizeHigh != 0)) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }

    const DWORD attributes = data.dwFileAttributes;
    bool clearedReadOnly = false;
    if (!(options & RemoveKeepReadOnly) && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY))
        clearedReadOnly = SetFileAttributesW(AsWide(path), attributes & ~FILE_ATTRIBUTE_READONLY) != 0;

    const bool deleted = (options & RemoveToRecycleBin) ? RecycleFile(path) : DeleteFileW(AsWide(path)) != 0;
    if (deleted)
        return true;
    DWORD error = GetLastError();
    if (IsMissing(error) && (options & RemoveMissingIsDeleted))
        return true;
    if ((options & RemoveAtRestartOnFailure) && !IsMissing(error)) {
        if (RegisterDeletionAtRestart(path))
            return true;
        error = GetLastError();
    }
    // The file stays: give it back the attribute it had.
    if (clearedReadOnly)
        SetFileAttributesW(AsWide(path), attributes);
    SetLastError(error);
    return false;
}

bool RelocateFile(const String &source, const String &destination, uint32_t options)
{
    if (GetFileAttributesW(AsWide(source)) == INVALID_FILE_ATTRIBUTES) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    String target = destination;
    if ((options & RelocateRelativeToSource) && !IsAbsolutePath(target.Wide()))
        target = WidePathJoin(WidePathFolder(source), target);
    if (options & RelocateIntoFolder)
        target = WidePathJoin(target, WidePathFileName(source));
    if (PathsEqualIgnoringCase(source, target))
        return true;

    const DWORD targetAttributes = GetFileAttributesW(AsWide(target));
    const bool targetExists = targetAttributes != INVALID_FILE_ATTRIBUTES;
    if ((options & RelocateDestinationMustExist) && !targetExists) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    if ((options & RelocateDestinationMustNotExist) && targetExists) {
        SetLastError(ERROR_FILE_EXISTS);
        return false;
    }
    if ((options & RelocateRefuseReadOnly) && targetExists && (targetAttributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if ((options & RelocateCreateFolders) && !CreateFolderPath(WidePathFolder(target)))
        return false;
    if (options & RelocateAtRestart)
        return RegisterReplacementAtRestart(source, target);
    if (targetExists && !RemoveFile(target, RemoveMissingIsDeleted))
        return false;
    return MoveFileW(AsWide(source), AsWide(target)) != 0;
}
