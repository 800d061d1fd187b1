// After the last file record: the font-change notice, the pending operations that would undo a
// written file, and the reference counts of shared files.
#include <windows.h>

#include <cstring>

#include "core/path_text.h"
#include "core/pending_renames.h"
#include "core/registry_win.h"
#include "core/system_error_win.h"
#include "install/file_step_log.h"
#include "install/files_win.h"

namespace {

constexpr char16_t kSharedDllsKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr UINT kBroadcastTimeout = 2000;   // ms; a hung window must not hold the installation

bool IsMarker(char16_t unit)
{
    return unit == kSharedMarkerPermanent || unit == kSharedMarkerCom || unit == kSharedMarkerTypeLibrary;
}

} // namespace

void FinishFiles(FileStepInput &input, FileStepLists &lists)
{
    if (lists.fontsChanged) {
        DWORD_PTR ignored = 0;
        // Windows that do not answer in time simply miss the notice.
        SendMessageTimeoutW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, kBroadcastTimeout, &ignored);
    }
    if (!CleanPendingOperations(lists.installedFiles, input.hooks.logText))
        StepLogWide(input, String(u"Failed to update the list of pending file operations: ")
                               .Append(SystemErrorText(GetLastError())).AppendWide(u"\r\n"));
}

void IncrementSharedFileCounts(FileStepInput &input, const FileStepLists &lists, String &sharedFilesText)
{
    RegistryKey key;
    const RegistryView view = input.bits64 ? RegistryView::Bits64 : RegistryView::Native;
    if (key.Create(HKEY_LOCAL_MACHINE, String(kSharedDllsKey), KEY_QUERY_VALUE | KEY_SET_VALUE, view) !=
        ERROR_SUCCESS) {
        StepFailure(input, String(u"Registry error: unable to increment shared file reference counts.\r\n\r\n"));
        return;
    }
    for (const String &entry : lists.sharedFiles) {
        // The 8-bit form: the path as path text, its marker as one byte (0xA9 for type libraries).
        String path = entry;
        char marker = 0;
        if (path.WideLength() > 0 && IsMarker(path.Wide()[path.WideLength() - 1])) {
            marker = char(path.Wide()[path.WideLength() - 1]);
            path.Resize(path.Length() - 2);
        }
        String quoted("\"");
        quoted.Append(PathTextFromWide(path));
        if (marker)
            quoted.AppendByte(marker);
        quoted.AppendByte('"');
        bool counted = false;
        for (int32_t at = 0; at + quoted.Length() <= sharedFilesText.Length() && !counted; ++at)
            counted = memcmp(sharedFilesText.Bytes() + at, quoted.Bytes(), size_t(quoted.Length())) == 0;
        if (counted)
            continue;
        DWORD count = 0;
        if (key.ReadDword(path, count) != ERROR_SUCCESS)
            count = 0;
        const LONG written = key.WriteDword(path, count + 1);
        if (written != ERROR_SUCCESS) {
            StepLogWide(input, String::FormatWide(u"Failed to increment reference count of shared file \"%ls\" : "
                                                  u"%ls\r\n",
                                                  path.Wide(), SystemErrorText(DWORD(written)).Wide()));
            continue;
        }
        if (!sharedFilesText.Empty())
            sharedFilesText.AppendByte(';');
        sharedFilesText.Append(quoted);
    }
}
