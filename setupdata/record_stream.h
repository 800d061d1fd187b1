// A file record taken from the file data in pieces, for records too large to hold in memory.
//
// NextFileRecord (setupdata/container.h) hands out a record only once the whole of it is decoded,
// so memory grows with the largest record: a 1 GiB file cannot be installed by a 32-bit process
// that also maps its own image. A record longer than kStreamedRecordThreshold is read here instead:
// its record header from the first bytes, then its content one decoded chunk at a time, then its
// content checksum. The queue holds at most one decoded chunk plus what is left of the one before.
//
//   int32 L | record header | content (size from the header's list) | uint32 checksum | (rest of L)
#pragma once

#include <cstdint>

#include "setupdata/container.h"
#include "setupdata/file_record.h"

// Records longer than this are streamed.
constexpr int32_t kStreamedRecordThreshold = 4 << 20;
// The record header of a streamed record must lie within its first bytes up to this many (a longer
// one reads as leaving its bounds, code 91); real record headers are a few hundred bytes.
constexpr int32_t kStreamedRecordHeaderLimit = 1 << 20;

// The length L of the next record, decoding chunks until its four bytes are queued; the record is
// not taken.
int32_t PeekFileRecordLength(FileData &data);

class FileRecordStream {
public:
    // Takes the next record's length and reads its record header into `record` (code 70 for an
    // empty name, 91 for a record header beyond the record or the limit).
    FileRecordStream(FileData &data, FileRecord &record);

    // Starts the content of `size` bytes (the header's size list entry): codes 71 and 72, and 91
    // when the content and its checksum do not fit in the rest of the record. Nothing is decoded.
    void BeginContent(int32_t size);
    // The next piece of content, valid until the next call; 0 once the content is done.
    int32_t NextPiece(const uint8_t *&bytes);
    // After the content: the stored content checksum; the rest of the record is skipped.
    uint32_t Finish();

    int64_t ContentLeft() const { return contentLeft_; }

private:
    int32_t Queued() const { return data_.queue.Length() - data_.queueRead; }
    const uint8_t *Front() const { return data_.queue.Data() + data_.queueRead; }
    void Ensure(int32_t bytes);
    void Consume(int32_t bytes);

    FileData &data_;
    int64_t recordLeft_ = 0;
    int64_t contentLeft_ = 0;
};
