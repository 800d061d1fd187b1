#include "uninstall/conditional_deletions_win.h"

#include <windows.h>

#include "core/array.h"
#include "core/folders_win.h"
#include "core/path_text.h"
#include "core/restart_ops_win.h"
#include "core/system_error_win.h"
#include "core/version_info_win.h"
#include "core/wide_win.h"
#include "install/install_log.h"
#include "setupdata/corruption.h"
#include "setupdata/path_variables.h"
#include "uninstall/conditional_rules.h"

namespace {

constexpr int kCorruptVersionValue = 65;


bool FileSize(const String &path, uint64_t &size)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(AsWide(path), GetFileExInfoStandard, &data))
        return false;
    size = uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    return true;
}

bool ClearProtectiveAttributes(const String &path)
{
    const DWORD attributes = GetFileAttributesW(AsWide(path));
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD cleared = attributes & ~DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    // A failure here shows up as the deletion's own failure, which is reported.
    return cleared == attributes || SetFileAttributesW(AsWide(path), cleared);
}

} // namespace

bool RunConditionalDeletions(bool installMode, const std::vector<FileDeletion> &records, const String &installFolder,
                             DeletionFailureSink failure)
{
    const uint8_t modeFlag = installMode ? kDeleteAtInstall : 0x8;
    bool restartRegistered = false;
    bool logged = false;
    for (const FileDeletion &record : records) {
        if (!(record.flags & modeFlag))
            continue;
        uint64_t value = 0;
        if (ConditionComparesVersions(record.condition)) {
            if (!ParseFileVersionValue(record.value, value))
                ReportCorruption(kCorruptVersionValue);
        } else if (record.condition >= 4) {
            value = uint64_t(String(record.value).Trim().ParseInteger());
        }
        String pattern = PathTextToWide(record.path);
        ExpandPathVariables(pattern);
        Array<String> files;
        FindFiles(pattern, installFolder, files);
        for (const String &file : files) {
            uint64_t size = 0;
            if (!FileSize(file, size))
                continue;
            uint64_t version = 0;
            if (ConditionComparesVersions(record.condition) && !ReadFileVersionNumber(file, version))
                version = 0;
            if (!ConditionAllowsDeletion(record.condition, value, version, size))
                continue;
            ClearProtectiveAttributes(file);
            bool deleted = false;
            DWORD error = ERROR_SUCCESS;
            if (!(record.flags & kDeleteAtRestart)) {
                deleted = DeleteFileW(AsWide(file)) != 0;
                error = deleted ? ERROR_SUCCESS : GetLastError();
            }
            logged = true;
            if (deleted) {
                if (installMode)
                    LogPrintfW(u"Deleted file: %s\r\n", file.Wide());
                continue;
            }
            const bool atRestart = record.flags & (kDeleteAtRestart | kDeleteAtRestartOnFailure);
            if (!atRestart) {
                if (installMode)
                    LogPrintfW(u"Failed to delete file \"%s\": %s\r\n", file.Wide(), SystemErrorText(error).Wide());
                continue;
            }
            if (installMode) {
                if (record.flags & kDeleteAtRestart)
                    LogPrintfW(u"File \"%s\" will be deleted after rebooting.\r\n", file.Wide());
                else
                    LogPrintfW(u"File \"%s\" will be deleted after rebooting: %s\r\n", file.Wide(),
                               SystemErrorText(error).Wide());
            }
            if (RegisterDeletionAtRestart(file)) {
                restartRegistered = true;
            } else if (installMode && failure != nullptr) {
                String line(u"Failed to register \"");
                line.Append(file);
                line.AppendWide(u"\" for deletion: ");
                line.Append(SystemErrorText(GetLastError()));
                line.AppendWide(u"\r\n");
                failure(line);
            }
        }
    }
    if (installMode && logged)
        LogText("\r\n");
    return restartRegistered;
}
