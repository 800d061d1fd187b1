#include "core/pending_renames.h"

#include <windows.h>

#include "core/file_ops_win.h"
#include "core/registry_win.h"

namespace {

const char16_t kSessionManagerKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char16_t kPendingRenamesValue[] = u"PendingFileRenameOperations";

} // namespace

bool CleanPendingOperations(const PathTextSet &set, PendingLogSink log)
{
    RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, String(kSessionManagerKey), KEY_QUERY_VALUE | KEY_SET_VALUE) != ERROR_SUCCESS)
        return true;
    String raw;
    if (key.ReadMultiString(String(kPendingRenamesValue), raw) != ERROR_SUCCESS)
        return true;
    Array<String> entries = SplitMultiString(raw);
    if (entries.Empty())
        return true;

    Array<String> recycle;
    const int removed = CleanPendingRenameList(entries, set, log, recycle);
    // The temporary files of the dropped moves are not needed any more; the Recycle Bin keeps them
    // in case one was wanted after all. Done before the list is written: should the write fail, a
    // move whose source is gone cannot undo the new file at the next start.
    for (int32_t i = 0; i < recycle.Count(); ++i)
        RemoveFile(recycle[i], RemoveToRecycleBin);
    if (removed == 0)
        return true;
    const LONG written = key.WriteMultiString(String(kPendingRenamesValue), JoinMultiString(entries));
    SetLastError(static_cast<DWORD>(written));
    return written == ERROR_SUCCESS;
}
