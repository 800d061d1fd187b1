#include "setupdata/record_stream.h"

#include "setupdata/corruption.h"

namespace {

// Moves `at` past a zero-terminated text of `unit` bytes per character; false when the end comes
// first.
bool SkipText(const uint8_t *p, size_t available, size_t &at, size_t unit)
{
    for (; at + unit <= available; at += unit) {
        if (p[at] == 0 && (unit == 1 || p[at + 1] == 0)) {
            at += unit;
            return true;
        }
    }
    return false;
}

// Whether the record header of a record (fields 1 to 11, setupdata/file_record.h) lies whole within
// the first `available` bytes, so that it can be read without decoding more.
bool RecordHeaderComplete(const uint8_t *p, size_t available)
{
    size_t at = 0;
    if (!SkipText(p, available, at, 1) || at + 36 > available)
        return false;
    const int32_t type = LoadInt32(p + at);
    const int32_t flags = LoadInt32(p + at + 4);
    at += 12 + 24;   // type, flags, attributes, time stamp
    if (!SkipText(p, available, at, 1))                                       // version or name
        return false;
    if ((flags & kFileFlagShortcuts) && !SkipText(p, available, at, 1))       // shortcut icon
        return false;
    if (!SkipText(p, available, at, 1) || !SkipText(p, available, at, 2) ||   // arguments, destination
        !SkipText(p, available, at, 1))                                        // working folder
        return false;
    return type != kFileTypeMsiPackage || at + 4 <= available;
}

} // namespace

int32_t PeekFileRecordLength(FileData &data)
{
    while (data.queue.Length() - data.queueRead < 4)
        DecodeNextChunk(data);
    const int32_t length = LoadInt32(data.queue.Data() + data.queueRead);
    if (length < 0)
        ReportCorruption(kCorruptionOutOfBounds);
    return length;
}

FileRecordStream::FileRecordStream(FileData &data, FileRecord &record) : data_(data)
{
    recordLeft_ = PeekFileRecordLength(data_);
    data_.queueRead += 4;
    // Decode only as far as the record header reaches, so that the queue stays about one chunk.
    const int32_t head = int32_t(recordLeft_ < kStreamedRecordHeaderLimit ? recordLeft_ : kStreamedRecordHeaderLimit);
    while (Queued() < head && !RecordHeaderComplete(Front(), size_t(Queued())))
        DecodeNextChunk(data_);
    SetupCursor cursor(Front(), size_t(Queued() < head ? Queued() : head));
    ReadFileRecordHeader(cursor, record);
    Consume(int32_t(cursor.Offset()));
}

void FileRecordStream::Ensure(int32_t bytes)
{
    while (Queued() < bytes)
        DecodeNextChunk(data_);
}

void FileRecordStream::Consume(int32_t bytes)
{
    data_.queueRead += bytes;
    recordLeft_ -= bytes;
}

void FileRecordStream::BeginContent(int32_t size)
{
    if (size < 0)
        ReportCorruption(kCorruptionContentSizeNegative);
    if (size > kMaxFileSize)
        ReportCorruption(kCorruptionContentSizeTooLarge);
    if (int64_t(size) + 4 > recordLeft_)
        ReportCorruption(kCorruptionOutOfBounds);
    contentLeft_ = size;
}

int32_t FileRecordStream::NextPiece(const uint8_t *&bytes)
{
    if (contentLeft_ == 0)
        return 0;
    if (Queued() == 0)
        DecodeNextChunk(data_);
    const int32_t n = int32_t(Queued() < contentLeft_ ? Queued() : contentLeft_);
    bytes = Front();
    Consume(n);
    contentLeft_ -= n;
    return n;
}

uint32_t FileRecordStream::Finish()
{
    Ensure(4);
    const uint32_t checksum = uint32_t(LoadInt32(Front()));
    Consume(4);
    // Bytes after the checksum belong to the record but carry nothing; take them piece by piece.
    while (recordLeft_ > 0) {
        if (Queued() == 0)
            DecodeNextChunk(data_);
        const int32_t n = int32_t(Queued() < recordLeft_ ? Queued() : recordLeft_);
        Consume(n);
    }
    return checksum;
}
