// The file records: destination, replacement rules, writing, and the lists of the later steps.
#include "install/files_win.h"

#include <windows.h>

#include "core/path_check.h"
#include "core/path_parts.h"
#include "core/path_text.h"
#include "core/path_win.h"
#include "core/folders_win.h"
#include "core/system_error_win.h"
#include "core/version_info_win.h"
#include "core/version_resource.h"
#include "core/wide_win.h"
#include "install/file_replace.h"
#include "install/file_step_log.h"
#include "install/file_types_win.h"
#include "install/file_write_win.h"
#include "install/large_record_win.h"
#include "setupdata/container.h"
#include "setupdata/corruption.h"
#include "setupdata/file_record.h"
#include "setupdata/language.h"
#include "setupdata/path_variables.h"
#include "setupdata/record_stream.h"

namespace {

constexpr int kFilesFirstPosition = 28;
constexpr int kFilesPositionSpan = 62;
constexpr int kNeutralStatusRow = 54;
constexpr int kFolderFailedRow = 25;


bool HasDefaultDestination(int32_t type)
{
    return type >= kFileTypeProgram && type <= kFileTypeControlPanel && type != 2 && type != 3;
}

// Types that live in the product's folders: their folder is made and they go to the uninstall list.
bool IsProductFileType(int32_t type)
{
    return type == kFileTypeProgram || type == kFileTypeStartup ||
           (type >= kFileTypeVersioned && type <= kFileTypeControlPanel);
}

// Types whose default place is a folder of the system (fonts, system, COM, type libraries).
bool InSystemFolder(int32_t type)
{
    return type == kFileTypeFont || type == kFileTypeSystem || type == kFileTypeCom ||
           type == kFileTypeTypeLibrary;
}

bool IsPermanent(const FileRecord &record) { return (record.flags & kFileFlagPermanent) != 0; }

String DefaultFolder(const FileStepInput &input, int32_t type)
{
    switch (type) {
    case kFileTypeShared:
        return input.sharedFolder;
    case kFileTypeFont:
        return PathVariableValue(PathVariable::FontDir);
    case kFileTypeSystem:
    case kFileTypeCom:
    case kFileTypeTypeLibrary:
        return SystemFolderPath();
    default:
        return input.installFolder;
    }
}

// The destination of a record (wide).
String Destination(const FileStepInput &input, const FileRecord &record, const String &nameWide)
{
    if (!record.destination.Empty()) {
        String path = record.destination;
        ExpandPathVariables(path);
        if (path.WideLength() > 0 && path.Wide()[path.WideLength() - 1] == u'\\')
            path.Append(WidePathFileName(nameWide));
        if (!IsAbsolutePath(path.Wide()))
            path = JoinPath(record.type == kFileTypeShared ? input.sharedFolder : input.installFolder, path);
        return path;
    }
    if (record.flags & kFileFlagUninstallFolder)
        return JoinPath(input.uninstallDataFolder, nameWide);
    // Fonts and system files belong directly in their system folder: a folder part of the name
    // (the file's place in the project's tree) would put them where Windows never looks.
    if (InSystemFolder(record.type))
        return JoinPath(DefaultFolder(input, record.type), WidePathFileName(nameWide));
    return JoinPath(DefaultFolder(input, record.type), nameWide);
}

ExistingFile ProbeExisting(const String &path, int32_t type)
{
    ExistingFile existing;
    const DWORD attributes = GetFileAttributesW(AsWide(path));
    existing.exists = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!existing.exists)
        return existing;
    existing.timeKnown = ReadLastWriteTime(path, existing.time);
    if (type >= kFileTypeSystem && type <= kFileTypeVersioned) {
        String block;
        if (ReadFileVersionBlock(path, block))
            FileVersionFromVersionInfo(block.Data(), size_t(block.Length()), existing.version);
    }
    return existing;
}

// A shared file's folder below the shared folder is made and recorded like a product folder, so
// that the removal of the last sharing product also takes the folder away. False (with the
// failure summary entry) when the folder cannot be made.
bool PrepareFolder(const FileStepInput &input, const FileRecord &record, const String &destination)
{
    if (!IsProductFileType(record.type) && record.type != kFileTypeShared && record.destination.Empty())
        return true;
    const String folder = WidePathFolder(destination);
    if (folder.Empty() || PathsEqualIgnoringCase(folder, input.installFolder))
        return true;
    if (!CreateFolderPath(folder)) {
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesW(AsWide(folder));
        const String reason = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)
                                  ? String(u"Cannot create directory because there is a file with the same name.")
                                  : SystemErrorText(error);
        StepFailure(input, String::FormatWide(u"%ls %ls\r\n%ls\r\n\r\nNot installed: %ls\r\n\r\n",
                                              LanguageString(kFolderFailedRow).Wide(), folder.Wide(),
                                              reason.Wide(), destination.Wide()));
        return false;
    }
    if (!IsPermanent(record) && (IsProductFileType(record.type) || record.type == kFileTypeShared))
        StepUninstallRecord(input, folder, kUninstallFolder);
    return true;
}

void AddToTypeLists(const FileRecord &record, const String &destination, FileStepLists &lists)
{
    String shared = destination;
    switch (record.type) {
    case kFileTypeShared:
        if (IsPermanent(record))
            shared.AppendWideChar(kSharedMarkerPermanent);
        break;
    case kFileTypeSystem:
        shared.AppendWideChar(kSharedMarkerPermanent);
        break;
    case kFileTypeCom:
        shared.AppendWideChar(IsPermanent(record) ? kSharedMarkerPermanent : kSharedMarkerCom);
        lists.comFiles.push_back(destination);
        break;
    case kFileTypeTypeLibrary:
        shared.AppendWideChar(IsPermanent(record) ? kSharedMarkerPermanent : kSharedMarkerTypeLibrary);
        lists.typeLibraries.push_back(destination);
        break;
    default:
        return;
    }
    lists.sharedFiles.push_back(shared);
}

// One record, its content either in memory (`content`) or still in `stream`.
void ProcessRecord(FileStepInput &input, FileStepLists &lists, const FileRecord &record, const uint8_t *content,
                   FileRecordStream *stream, int32_t size)
{
    if (!HasDefaultDestination(record.type))
        ReportCorruption(kCorruptionFileType);
    if (record.type == kFileTypeControlPanel) {
        String name, classId;
        AppletIdentity(record, name, classId);   // codes 78, 79 before the file is touched
    }
    const String nameWide = PathTextToWide(record.name);
    const String destination = Destination(input, record, nameWide);

    if ((*input.productFlags & FileStepFlag::NoPathsOnStatus) || record.name.Equals(kReservedStatusName))
        StepStatus(input, LanguageString(kNeutralStatusRow));
    else
        StepStatus(input, destination);
    String detail = WidePathFileName(nameWide);
    detail.AppendWide(u" >>> ").Append(destination).AppendWide(u"\r\n");

    AddToTypeLists(record, destination, lists);
    if (record.type == kFileTypeFont && !IsPermanent(record))
        lists.fontList.Append("\"").Append(record.version).Append("\" \"").Append(record.name).Append("\" ");

    const ExistingFile existing = ProbeExisting(destination, record.type);
    const ReplaceOutcome outcome = DecideReplacement(record, existing);
    if (!outcome.logText.Empty()) {
        StepLogWide(input, destination);
        StepLog(input, outcome.logText.Bytes());
    }
    if (!outcome.install) {
        if (outcome.keepForUninstall)
            StepUninstallRecord(input, destination, kUninstallFile);
        if (stream)
            DrainStreamedContent(*stream, size);
        return;
    }

    if (((record.type == kFileTypeProgram && (record.flags & kFileFlagShortcuts)) ||
         record.type == kFileTypeStartup) &&
        input.hooks.shortcut)
        input.hooks.shortcut(record, destination);

    if (!PrepareFolder(input, record, destination)) {
        if (stream)
            DrainStreamedContent(*stream, size);
        return;
    }
    if (!IsPermanent(record) && IsProductFileType(record.type))
        StepUninstallRecord(input, destination, kUninstallFile);

    FileWriteRequest request;
    request.path = destination;
    request.size = size;
    request.time = record.time;
    request.attributes = record.attributes;
    request.existedBefore = existing.exists;
    bool registered = false;
    bool written = false;
    if (stream) {
        if (StreamContentBeside(input, *stream, size, request))
            written = WriteInstalledFile(request, input, registered);
    } else {
        request.data = content;
        written = WriteInstalledFile(request, input, registered);
    }
    if (!written && !registered)
        return;
    if (written && (*input.productFlags & FileStepFlag::DetailedLog))
        StepLogWide(input, detail);

    InstallByType(input, lists, record, destination, written);
    if (written)
        lists.installedFiles.Set(PendingRenameKey(destination), true);
}

} // namespace

void InstallFiles(FileStepInput &input, FileStepLists &lists)
{
    const std::vector<int32_t> &sizes = *input.fileSizes;
    const int64_t count = int64_t(sizes.size());
    for (int64_t i = 0; i < count; ++i) {
        if (input.hooks.progress)
            input.hooks.progress(int(kFilesFirstPosition + i * kFilesPositionSpan / count));
        const int32_t size = sizes[size_t(i)];
        FileRecord record;
        if (PeekFileRecordLength(*input.data) > kStreamedRecordThreshold) {
            FileRecordStream stream(*input.data, record);
            stream.BeginContent(size);
            ProcessRecord(input, lists, record, nullptr, &stream, size);
            continue;
        }
        SetupCursor cursor = NextFileRecord(*input.data);
        ReadFileRecordHeader(cursor, record);
        const uint8_t *content = ReadFileContent(cursor, size);
        ProcessRecord(input, lists, record, content, nullptr, size);
    }
    CloseFileData(*input.data);
}
