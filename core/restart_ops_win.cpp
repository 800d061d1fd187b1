#include "core/restart_ops_win.h"

#include "core/codepage.h"
#include "core/file_errors.h"
#include "core/file_win.h"
#include "core/path_parts.h"
#include "core/path_win.h"
#include "core/wide_win.h"
#include "core/wininit_text.h"

namespace {

bool WininitRunsAtBoot(const String &windowsFolder)
{
    if (windowsFolder.Empty())
        return false;
    const DWORD attributes = GetFileAttributesW(AsWide(WidePathJoin(windowsFolder, String(u"wininit.exe"))));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

bool AddWininitRenameToFile(const String &windowsFolder, const String &name, const String &value)
{
    if (name.Empty() || value.Empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    File file;
    if (file.Open(WidePathJoin(windowsFolder, String(u"wininit.ini")), FileCreation::OpenAlways,
                  FileReadAccess | FileWriteAccess) != FileSuccess)
        return false;
    const int64_t size = file.Size();
    if (size < 0 || size > 0x1000000)   // wininit.ini is a few lines; anything else is not ours to rewrite
        return false;
    String text;
    text.Resize(static_cast<int32_t>(size));
    if (size > 0 && !file.Read(text.MutableBytes(), text.Length()))
        return false;
    AddWininitRename(text, name, value);
    return file.Seek(0) && file.Write(text.Bytes(), text.Length()) && file.SetEnd();
}

bool RegisterDeletionAtRestart(const String &path)
{
    if (MoveFileExW(AsWide(path), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        return true;
    const DWORD firstError = GetLastError();
    const String windowsFolder = WindowsFolderPath();
    if (WininitRunsAtBoot(windowsFolder) &&
        AddWininitRenameToFile(windowsFolder, String("NUL"), NarrowInCodePage(ShortPathOf(path), kCodePageAnsi)))
        return true;
    SetLastError(firstError);
    return false;
}

bool RegisterReplacementAtRestart(const String &source, const String &destination)
{
    if (MoveFileExW(AsWide(source), AsWide(destination), MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT)) {
        SetLastError(kDeferredMoveError);
        return true;
    }
    const DWORD firstError = GetLastError();
    const String windowsFolder = WindowsFolderPath();
    if (WininitRunsAtBoot(windowsFolder) &&
        AddWininitRenameToFile(windowsFolder, NarrowInCodePage(destination, kCodePageAnsi), NarrowInCodePage(source, kCodePageAnsi))) {
        SetLastError(kDeferredMoveError);
        return true;
    }
    SetLastError(firstError);
    return false;
}
