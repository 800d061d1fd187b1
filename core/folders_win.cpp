#include "core/folders_win.h"

#include <windows.h>
#include <shlobj.h>

#include "core/file_ops_win.h"
#include "core/path_check.h"
#include "core/path_parts.h"
#include "core/path_win.h"
#include "core/wide_win.h"

namespace {

constexpr DWORD kRemoveRetryPauseMs = 100;
constexpr DWORD kRemoveRetryLimitMs = 2000;
constexpr int32_t kShortestRemovablePath = 4;   // "C:\" and shorter are never removed

bool IsDots(const wchar_t *name)
{
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

String NameOf(const WIN32_FIND_DATAW &found)
{
    return String(FromWide(found.cFileName));
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Not ours to act on: leave it for the loop that owns the window.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

String ShellFolder(int csidl)
{
    wchar_t buffer[MAX_PATH];   // SHGetFolderPathW's contract: the buffer is MAX_PATH units
    if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK)
        return String();
    return String(FromWide(buffer));
}

bool IsSameFolder(String folder, const String &fullPath)
{
    WidePathStripTrailingBackslash(folder);
    return !folder.Empty() && PathsEqualIgnoringCase(folder, fullPath);
}

// The folders whose loss would break Windows or every program: a tree deletion refuses them. The
// 64-bit Program Files folders are not visible to a 32-bit program through the shell, only through
// the environment.
bool IsProtectedFolder(const String &fullPath)
{
    static const int kShellFolders[] = {
        CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_SYSTEMX86, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86,
        CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_PROFILE,
    };
    static const wchar_t *const kEnvironmentFolders[] = {L"ProgramW6432", L"CommonProgramW6432"};
    for (int csidl : kShellFolders)
        if (IsSameFolder(ShellFolder(csidl), fullPath))
            return true;
    for (const wchar_t *name : kEnvironmentFolders)
        if (IsSameFolder(EnvironmentText(name), fullPath))
            return true;
    return false;
}

// Whether the folder holds anything besides the files Explorer leaves behind.
bool HoldsOnlyShellFiles(const String &folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(AsWide(WidePathJoin(folder, String(u"*"))), &found);
    if (search == INVALID_HANDLE_VALUE)
        return true;   // nothing listed: the removal itself reports what is wrong
    bool onlyShellFiles = true;
    do {
        if (IsDots(found.cFileName))
            continue;
        if (lstrcmpiW(found.cFileName, L"thumbs.db") != 0 && lstrcmpiW(found.cFileName, L"desktop.ini") != 0) {
            onlyShellFiles = false;
            break;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return onlyShellFiles;
}

bool DeleteTree(const String &folder, uint32_t options);

// Everything inside `folder`; `failure` keeps the error of the most recent failure.
void DeleteTreeContents(const String &folder, uint32_t options, bool &failed, DWORD &failure)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(AsWide(WidePathJoin(folder, String(u"*.*"))), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (IsDots(found.cFileName))
            continue;
        const String path = WidePathJoin(folder, NameOf(found));
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            // A junction or folder link: remove the link, never what it points to.
            if (!RemoveDirectoryW(AsWide(path))) {
                failed = true;
                failure = GetLastError();
            }
        } else if (isFolder) {
            if (!DeleteTree(path, options)) {
                failed = true;
                failure = GetLastError();
            }
        } else {
            if (!RemoveFile(path, options)) {
                failed = true;
                failure = GetLastError();
            }
            if (options & DeleteTreePumpMessages)
                PumpMessages();
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void SearchFolder(const String &folder, const String &mask, bool subfolders, Array<String> &out)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(AsWide(WidePathJoin(folder, mask)), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                out.Add(WidePathJoin(folder, NameOf(found)));
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    if (!subfolders)
        return;
    search = FindFirstFileW(AsWide(WidePathJoin(folder, String(u"*"))), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        // Links are not followed: a link to a parent would make the search endless.
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && !IsDots(found.cFileName))
            SearchFolder(WidePathJoin(folder, NameOf(found)), mask, true, out);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// The walk of DeleteFolderTree below its refusal checks.
bool DeleteTree(const String &folder, uint32_t options)
{
    bool failed = false;
    DWORD failure = ERROR_SUCCESS;
    DeleteTreeContents(folder, options, failed, failure);

    const DWORD start = GetTickCount();
    while (!RemoveEmptyFolder(folder, 0)) {
        const DWORD error = GetLastError();
        if (error == ERROR_PATH_NOT_FOUND)
            break;
        // Another program (a scanner, Explorer) may hold a handle inside for a moment.
        if (error != ERROR_DIR_NOT_EMPTY || GetTickCount() - start >= kRemoveRetryLimitMs) {
            failed = true;
            failure = error;
            break;
        }
        if (options & DeleteTreePumpMessages)
            PumpMessages();
        Sleep(kRemoveRetryPauseMs);
    }
    if (failed)
        SetLastError(failure);
    return !failed;
}

bool IsPatternBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// Trims blanks from both ends of units [begin, end) of `text`.
String TrimmedRange(const char16_t *text, int32_t begin, int32_t end)
{
    while (begin < end && IsPatternBlank(text[begin]))
        ++begin;
    while (end > begin && IsPatternBlank(text[end - 1]))
        --end;
    return String(text + begin, end - begin);
}

// Takes a trailing " /s" (any letter case) off a pattern; returns whether there was one.
bool TakeSubfolderMarker(String &pattern)
{
    const int32_t units = pattern.WideLength();
    const char16_t *w = pattern.Wide();
    if (units < 3 || w[units - 3] != u' ' || w[units - 2] != u'/' || (w[units - 1] != u's' && w[units - 1] != u'S'))
        return false;
    pattern = TrimmedRange(w, 0, units - 3);
    return true;
}

} // namespace

bool CreateFolderPath(const String &folder)
{
    String path = folder;
    WidePathStripTrailingBackslash(path);
    if (path.Empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    const DWORD attributes = GetFileAttributesW(AsWide(path));
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return true;
        SetLastError(ERROR_ALREADY_EXISTS);   // a file stands where the folder should be
        return false;
    }
    if (CreateDirectoryW(AsWide(path), nullptr))
        return true;
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS)
        return (GetFileAttributesW(AsWide(path)) & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (error != ERROR_PATH_NOT_FOUND)
        return false;
    const String parent = WidePathFolder(path);
    if (parent.Empty() || parent == path || !CreateFolderPath(parent))
        return false;
    if (CreateDirectoryW(AsWide(path), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        return true;
    return false;
}

bool RemoveEmptyFolder(const String &path, uint32_t options)
{
    if (path.WideLength() < kShortestRemovablePath) {
        SetLastError(ERROR_BAD_PATHNAME);
        return false;
    }
    String folder = path;
    WidePathStripTrailingBackslash(folder);
    // Only when the folder would then be empty: a folder that stays keeps its custom view settings
    // and localized name (the Start menu's own folders carry a desktop.ini).
    if (!(options & RemoveFolderKeepShellFiles) && HoldsOnlyShellFiles(folder)) {
        RemoveFile(WidePathJoin(folder, String(u"thumbs.db")), RemoveMissingIsDeleted);
        RemoveFile(WidePathJoin(folder, String(u"desktop.ini")), RemoveMissingIsDeleted);
    }
    if (RemoveDirectoryW(AsWide(folder)))
        return true;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND)
        error = ERROR_PATH_NOT_FOUND;
    SetLastError(error);
    return false;
}

bool DeleteFolderTree(const String &path, uint32_t options)
{
    String full = FullPathOf(path);
    WidePathStripTrailingBackslash(full);
    if (path.WideLength() < kShortestRemovablePath || full.WideLength() < kShortestRemovablePath) {
        SetLastError(ERROR_BAD_PATHNAME);
        return false;
    }
    if (IsProtectedFolder(full)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }

    return DeleteTree(full, options);
}

void FindFiles(const String &patterns, const String &base, Array<String> &out)
{
    const char16_t *text = patterns.Wide();
    const int32_t units = patterns.WideLength();
    int32_t start = 0;
    while (start <= units) {
        int32_t end = start;
        while (end < units && text[end] != u';')
            ++end;
        String pattern = TrimmedRange(text, start, end);
        start = end + 1;
        const bool subfolders = TakeSubfolderMarker(pattern);
        if (pattern.Empty())
            continue;
        if (!IsAbsolutePath(pattern.Wide()))
            pattern = WidePathJoin(base, pattern);
        SearchFolder(WidePathFolder(pattern), WidePathFileName(pattern), subfolders, out);
    }
}
