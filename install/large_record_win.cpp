#include "install/large_record_win.h"

#include <windows.h>

#include "core/fatal.h"
#include "core/file_win.h"
#include "core/path_parts.h"
#include "core/system_error_win.h"
#include "core/wide_win.h"
#include "install/file_step_log.h"
#include "setupdata/checksum.h"
#include "setupdata/corruption.h"
#include "setupdata/language.h"

namespace {

constexpr int kWriteFailedRow = 31;


// The temporary file being filled: removed when corruption ends the run while it is open, so that
// a damaged installer leaves nothing half-written behind.
String g_streamingFile;

void RemoveStreamingFile(const char *)
{
    if (!g_streamingFile.Empty())
        DeleteFileW(AsWide(g_streamingFile));
}

class StreamingFileGuard {
public:
    explicit StreamingFileGuard(const String &path)
    {
        g_streamingFile = path;
        registered_ = AddFatalHook(RemoveStreamingFile);
    }
    ~StreamingFileGuard()
    {
        if (registered_)
            RemoveFatalHook(RemoveStreamingFile);
        g_streamingFile.Clear();
    }

private:
    bool registered_ = false;
};

// Reads the rest of the content into `to` (when given), adding it to `sum`; whether the stored
// checksum matched. `written` tells whether every byte reached the file.
bool ContentChecksumMatches(FileRecordStream &stream, SetupChecksumAccumulator &sum, File *to, bool &written)
{
    const uint8_t *piece = nullptr;
    written = to != nullptr;
    for (int32_t n; (n = stream.NextPiece(piece)) > 0;) {
        sum.Add(piece, size_t(n));
        if (written && !to->Write(piece, n))
            written = false;   // the rest is still read: the checksum must be known
    }
    return stream.Finish() == sum.Result();
}

} // namespace

void DrainStreamedContent(FileRecordStream &stream, int32_t)
{
    SetupChecksumAccumulator sum;
    bool written = false;
    if (!ContentChecksumMatches(stream, sum, nullptr, written))
        ReportCorruption(kCorruptionContentChecksum);
}

bool StreamContentBeside(FileStepInput &input, FileRecordStream &stream, int32_t size, FileWriteRequest &request)
{
    const String temp = CreateTemporaryFileIn(WidePathFolder(request.path));
    File file;
    if (temp.Empty() || file.Open(temp, FileCreation::CreateAlways, FileWriteAccess | FileNoSharingRetry) != 0) {
        const DWORD error = GetLastError();
        if (!temp.Empty())
            DeleteFileW(AsWide(temp));
        DrainStreamedContent(stream, size);
        StepFailure(input, String::FormatWide(u"%ls %ls\r\n%ls\r\n\r\n", LanguageString(kWriteFailedRow).Wide(),
                                              request.path.Wide(), SystemErrorText(error).Wide()));
        return false;
    }
    StreamingFileGuard guard(temp);
    SetupChecksumAccumulator sum;
    bool written = false;
    const bool matched = ContentChecksumMatches(stream, sum, &file, written);
    const String writeError = file.ErrorText();
    file.Close();
    if (!matched) {
        DeleteFileW(AsWide(temp));
        ReportCorruption(kCorruptionContentChecksum);
    }
    if (!written) {
        // The disk refused the bytes (full, or a quota): reported like a failed write.
        DeleteFileW(AsWide(temp));
        StepFailure(input, String::FormatWide(u"%ls %ls\r\n%ls\r\n\r\n", LanguageString(kWriteFailedRow).Wide(),
                                              request.path.Wide(), writeError.Wide()));
        return false;
    }
    request.tempFile = temp;
    request.contentChecksum = sum.Result();
    return true;
}
