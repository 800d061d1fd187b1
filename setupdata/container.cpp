#include "setupdata/container.h"

#include <cstring>

#include "core/fatal.h"
#include "setupdata/checksum.h"
#include "setupdata/corruption.h"
#include "setupdata/language.h"
#include "setupdata/scramble.h"
#include "setupdata/zlib_stream.h"

namespace {

// Field sizes of the header apart from the version text, the size list and the key: magic, then
// (after the version) ProductFlags2, script size, script checksum, image checksum, data end, file
// count, data size and data checksum.
constexpr int32_t kMagicSize = 4;
constexpr int32_t kFixedFieldsAfterVersion = 8 * 4;
constexpr int32_t kImageChecksumAfterVersion = 3 * 4;   // ProductFlags2, script size, script checksum

static_assert(kChunkHeaderSize == 2 * sizeof(int32_t), "a chunk starts with its size and checksum");
static_assert(kSetupKeySize == kBlowfishMinKeyBytes, "the stored key is a 64-bit Blowfish key");

// Reads the next component of a dotted version as a number: its leading digits (a value too large
// to matter saturates); the rest of the component is skipped, up to the dot or the end.
uint64_t NextVersionComponent(const char *&p)
{
    constexpr uint64_t kSaturated = UINT64_MAX / 10 - 10;
    uint64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (value < kSaturated)
            value = value * 10 + uint64_t(*p - '0');
    while (*p && *p != '.')
        ++p;
    return value;
}

} // namespace

bool DottedVersionsEqual(const char *a, const char *b)
{
    for (;;) {
        if (NextVersionComponent(a) != NextVersionComponent(b))
            return false;
        const bool moreA = *a == '.', moreB = *b == '.';
        if (moreA != moreB)
            return false;
        if (!moreA)
            return true;
        ++a;
        ++b;
    }
}

void ReadSetupHeader(SetupCursor &cursor, const char *installerTitle, SetupHeader &header)
{
    header.magic = cursor.ReadUInt32();
    if (header.magic != kSetupMagic)
        ReportCorruption(kCorruptionMagic);

    int32_t versionLength = 0;
    const char *version = cursor.ReadString8(&versionLength);
    header.version.Assign(version, versionLength);
    if (!DottedVersionsEqual(version, kSetupFormatVersion))
        FatalFormat(kVersionMismatchMessage, installerTitle, version, installerTitle);

    header.productFlags2 = cursor.ReadUInt32();
    header.scriptSize = cursor.ReadInt32();
    if (header.scriptSize < 1 || header.scriptSize > kMaxScriptSize)
        ReportCorruption(kCorruptionScriptSize);
    header.scriptChecksum = cursor.ReadUInt32();
    header.imageChecksum = cursor.ReadUInt32();
    header.dataEnd = cursor.ReadInt32();
    if (header.dataEnd < 0)
        ReportCorruption(kCorruptionDataEnd);
    header.fileCount = cursor.ReadInt32();
    if (header.fileCount < 0)
        ReportCorruption(kCorruptionFileCount);
    header.dataSize = cursor.ReadInt32();
    if (header.dataSize < 0)
        ReportCorruption(kCorruptionDataSize);
    header.dataChecksum = cursor.ReadUInt32();

    // The count comes from the data: room is reserved only for entries the section can hold.
    header.fileSizes.clear();
    const size_t fits = cursor.Remaining() / 4;
    header.fileSizes.reserve(size_t(header.fileCount) < fits ? size_t(header.fileCount) : fits);
    for (int32_t i = 0; i < header.fileCount; ++i) {
        const int32_t size = cursor.ReadInt32();
        if (size < 0 || size > kMaxFileSize)
            ReportCorruption(kCorruptionFileSize);
        header.fileSizes.push_back(size);
    }

    if (header.Protected())
        std::memcpy(header.key, cursor.Take(kSetupKeySize), kSetupKeySize);
}

int32_t SetupHeaderSize(const SetupHeader &header)
{
    return kMagicSize + header.version.Length() + 1 + kFixedFieldsAfterVersion +
           4 * int32_t(header.fileSizes.size()) + (header.Protected() ? kSetupKeySize : 0);
}

int32_t ImageChecksumFieldOffset(const SetupHeader &header)
{
    return kMagicSize + header.version.Length() + 1 + kImageChecksumAfterVersion;
}

String WriteSetupHeader(const SetupHeader &header)
{
    String out;
    AppendInt32(out, int32_t(header.magic));
    AppendString8(out, header.version);
    AppendInt32(out, int32_t(header.productFlags2));
    AppendInt32(out, header.scriptSize);
    AppendInt32(out, int32_t(header.scriptChecksum));
    AppendInt32(out, int32_t(header.imageChecksum));
    AppendInt32(out, header.dataEnd);
    AppendInt32(out, header.fileCount);
    AppendInt32(out, header.dataSize);
    AppendInt32(out, int32_t(header.dataChecksum));
    for (int32_t size : header.fileSizes)
        AppendInt32(out, size);
    if (header.Protected())
        out.Append(reinterpret_cast<const char *>(header.key), kSetupKeySize);
    return out;
}

void PrepareSetupCipher(const SetupHeader &header, Blowfish &cipher)
{
    if (header.Protected())
        cipher.SetKey(header.key, kSetupKeySize);
}

String OpenSetupContainer(const uint8_t *section, size_t length, const char *installerTitle,
                          SetupContainer &container)
{
    container.section = section;
    container.sectionLength = length;
    SetupCursor cursor(section, length);
    ReadSetupHeader(cursor, installerTitle, container.header);
    PrepareSetupCipher(container.header, container.cipher);
    // Section offsets are int32 values; a script block ending beyond them leaves the format.
    if (cursor.Offset() + size_t(container.header.scriptSize) > size_t(INT32_MAX))
        ReportCorruption(kCorruptionOutOfBounds);
    container.dataOffset = int32_t(cursor.Offset()) + container.header.scriptSize;
    return DecodeSetupScript(cursor.ReadBytes(container.header.scriptSize), container.header,
                             container.cipher);
}

String DecodeSetupScript(String stored, const SetupHeader &header, const Blowfish &cipher)
{
    // A protected block that fails its length test comes out unchanged or empty; the inflation or
    // the checksum comparison that follows reports it.
    if (header.Protected())
        cipher.DecryptProtected(stored);
    else
        ScrambleSetupScript(stored.MutableBytes(), size_t(stored.Length()), header.scriptChecksum);
    String record;
    if (!InflateAppend(stored.Bytes(), stored.Length(), record))
        ReportCorruption(kCorruptionScriptInflate);
    return record;
}

bool SetupScriptChecksumMatches(const String &record, uint32_t expected)
{
    return SetupChecksum(record.Bytes(), record.Length()) == expected;
}

bool EncodeSetupScript(const String &record, int level, SetupHeader &header, String &stored)
{
    stored.Clear();
    if (!DeflateAppend(record.Bytes(), record.Length(), level, stored))
        return false;
    header.scriptChecksum = SetupChecksum(record.Bytes(), record.Length());
    if (header.Protected()) {
        Blowfish cipher;
        PrepareSetupCipher(header, cipher);
        cipher.EncryptProtected(stored);
    } else {
        ScrambleSetupScript(stored.MutableBytes(), size_t(stored.Length()), header.scriptChecksum);
    }
    if (stored.Length() < 1 || stored.Length() > kMaxScriptSize)
        return false;
    header.scriptSize = stored.Length();
    return true;
}

// ---------------------------------------------------------------------------------------------
// File data

void CheckFileDataSize(int64_t available, const SetupHeader &header)
{
    if (available != header.dataSize)
        ReportCorruption(kCorruptionDataAvailable);
}

void OpenFileDataInSection(FileData &data, const SetupContainer &container, uint64_t productFlags,
                           const FileDataHooks &hooks)
{
    const SetupHeader &header = container.header;
    CheckFileDataSize(int64_t(header.dataEnd) - container.dataOffset, header);
    if (size_t(header.dataEnd) > container.sectionLength)
        ReportCorruption(kCorruptionOutOfBounds);
    OpenFileData(data, container, productFlags, container.section + container.dataOffset, hooks);
}

namespace {

// The block's checksum, taken in pieces when the caller watches its progress.
uint32_t BlockChecksum(const uint8_t *block, int32_t size, const FileDataHooks &hooks)
{
    if (!hooks.blockChecked || size <= 0)
        return SetupChecksum(block, size);
    constexpr size_t kPiece = 4 << 20;
    SetupChecksumAccumulator sum;
    for (size_t done = 0; done < size_t(size);) {
        const size_t piece = size_t(size) - done < kPiece ? size_t(size) - done : kPiece;
        sum.Add(block + done, piece);
        hooks.blockChecked(block + done, piece);
        done += piece;
    }
    return sum.Result();
}

} // namespace

void OpenFileData(FileData &data, const SetupContainer &container, uint64_t productFlags,
                  const uint8_t *block, const FileDataHooks &hooks)
{
    const SetupHeader &header = container.header;
    data.hooks = hooks;
    data.compressed = (productFlags & ProductFlag::CompressedChunks) != 0;
    data.cipher = header.Protected() ? &container.cipher : nullptr;
    data.queue.Clear();
    data.queueRead = 0;

    if (hooks.waitStatusTime)
        hooks.waitStatusTime();
    if (BlockChecksum(block, header.dataSize, hooks) != header.dataChecksum)
        ReportCorruption(kCorruptionDataChecksum);
    if (hooks.waitStatusTime)
        hooks.waitStatusTime();
    data.block = block;
    data.remaining = header.dataSize;
}

// Takes the next chunk off the block, checks it and appends its decoded bytes to the queue.
void DecodeNextChunk(FileData &data)
{
    if (data.hooks.showStatus)
        data.hooks.showStatus(kDecodingStatusRow);
    if (data.remaining < 4)
        ReportCorruption(kCorruptionOutOfBounds);
    const int32_t size = LoadInt32(data.block);
    if (size <= 0)
        ReportCorruption(kCorruptionChunkSize);
    if (size > data.remaining - kChunkHeaderSize)
        ReportCorruption(kCorruptionChunkTooLarge);
    const uint32_t checksum = uint32_t(LoadInt32(data.block + 4));
    const uint8_t *stored = data.block + kChunkHeaderSize;
    if (SetupChecksum(stored, size) != checksum)
        ReportCorruption(kCorruptionChunkChecksum);

    // The records handed out before this chunk are done with; dropping them here keeps the queue
    // to one chunk plus the record being completed.
    if (data.queueRead > 0) {
        data.queue.Remove(0, data.queueRead);
        data.queueRead = 0;
    }

    String decrypted;
    const uint8_t *bytes = stored;
    int32_t length = size;
    if (data.cipher) {
        decrypted.Assign(reinterpret_cast<const char *>(stored), size);
        data.cipher->DecryptProtected(decrypted);   // a failure shows in the record checks
        bytes = decrypted.Data();
        length = decrypted.Length();
    }
    if (data.compressed) {
        if (!InflateAppend(bytes, length, data.queue))
            ReportCorruption(kCorruptionChunkInflate);
    } else {
        data.queue.Append(reinterpret_cast<const char *>(bytes), length);
    }
    data.block += kChunkHeaderSize + size;
    data.remaining -= kChunkHeaderSize + size;
}

SetupCursor NextFileRecord(FileData &data)
{
    for (;;) {
        const int32_t queued = data.queue.Length() - data.queueRead;
        if (queued >= 4) {
            const uint8_t *front = data.queue.Data() + data.queueRead;
            const int32_t length = LoadInt32(front);
            if (length < 0)
                ReportCorruption(kCorruptionOutOfBounds);
            if (length <= queued - 4) {
                data.queueRead += 4 + length;
                return SetupCursor(front + 4, size_t(length));
            }
        }
        DecodeNextChunk(data);
    }
}

void CloseFileData(const FileData &data)
{
    if (data.remaining != 0)
        ReportCorruption(kCorruptionDataLeftOver);
    if (data.queue.Length() - data.queueRead != 0)
        ReportCorruption(kCorruptionDecodedLeftOver);
}

FileDataWriter::FileDataWriter(int32_t chunkSize, bool compress, int level, const Blowfish *cipher)
    : chunkSize_(chunkSize), compress_(compress), level_(level), cipher_(cipher)
{
    if (chunkSize_ <= 0)
        failed_ = true;
}

void FileDataWriter::BeginRecord(int32_t length, int32_t contentSize)
{
    if (recordLeft_ != 0 || length < 0 || contentSize < 0 || contentSize > kMaxFileSize) {
        failed_ = true;
        return;
    }
    uint8_t prefix[4];
    StoreInt32(prefix, length);
    recordLeft_ = 4;   // the prefix is written like record bytes below
    Write(prefix, 4);
    recordLeft_ = length;
    fileSizes_.push_back(contentSize);
}

void FileDataWriter::Write(const void *bytes, int64_t length)
{
    if (length > recordLeft_) {
        failed_ = true;
        return;
    }
    recordLeft_ -= length;
    const char *p = static_cast<const char *>(bytes);
    while (length > 0 && !failed_) {
        const int64_t room = chunkSize_ - pending_.Length();
        const int32_t n = int32_t(length < room ? length : room);
        pending_.Append(p, n);
        p += n;
        length -= n;
        if (pending_.Length() == chunkSize_)
            FlushChunk();
    }
}

void FileDataWriter::FlushChunk()
{
    if (pending_.Empty() || failed_)
        return;
    if (rawSink_) {
        failed_ = !rawSink_(rawSinkContext_, pending_);
        pending_.Clear();
        return;
    }
    String stored;
    if (compress_) {
        if (!DeflateAppend(pending_.Bytes(), pending_.Length(), level_, stored)) {
            failed_ = true;
            return;
        }
    } else {
        stored = pending_;
    }
    if (cipher_)
        cipher_->EncryptProtected(stored);
    pending_.Clear();
    if (dataSize_ + kChunkHeaderSize + stored.Length() > INT32_MAX - 2) {
        failed_ = true;
        return;
    }
    uint8_t frame[kChunkHeaderSize];
    StoreInt32(frame, stored.Length());
    StoreInt32(frame + 4, int32_t(SetupChecksum(stored.Bytes(), stored.Length())));
    Emit(frame, kChunkHeaderSize);
    Emit(stored.Bytes(), stored.Length());
}

void FileDataWriter::Emit(const void *bytes, int32_t length)
{
    if (failed_)
        return;
    dataSize_ += length;
    dataChecksum_.Add(bytes, size_t(length));
    if (sink_)
        failed_ = !sink_(sinkContext_, bytes, length);
    else
        block_.Append(static_cast<const char *>(bytes), length);
}

void FileDataWriter::SetChunkSink(ChunkSink sink, void *context)
{
    sink_ = sink;
    sinkContext_ = context;
}

void FileDataWriter::SetRawChunkSink(RawChunkSink sink, void *context)
{
    rawSink_ = sink;
    rawSinkContext_ = context;
}

bool FileDataWriter::Finish()
{
    if (recordLeft_ != 0)
        failed_ = true;
    FlushChunk();
    return !failed_;
}

bool SetSetupDataFields(SetupHeader &header, const std::vector<int32_t> &fileSizes, int64_t dataSize,
                        uint32_t dataChecksum, const char **failure)
{
    header.fileSizes = fileSizes;
    header.fileCount = int32_t(header.fileSizes.size());
    const int64_t dataOffset = int64_t(SetupHeaderSize(header)) + header.scriptSize;
    const int64_t total = dataOffset + dataSize;
    if (total > INT32_MAX - 2) {
        *failure = "the setup data is larger than the format allows (2 GB)";
        return false;
    }
    header.dataSize = int32_t(dataSize);
    header.dataChecksum = dataChecksum;
    header.dataEnd = int32_t(total);
    return true;
}

bool WriteSetupSection(SetupHeader &header, const String &record, const FileDataWriter &data,
                       int level, String &section, const char **failure)
{
    String script;
    if (!EncodeSetupScript(record, level, header, script)) {
        *failure = "the setup script does not fit the format (at most 52,428,799 bytes stored)";
        return false;
    }
    if (!SetSetupDataFields(header, data.FileSizes(), data.DataSize(), data.DataChecksum(), failure))
        return false;
    section = WriteSetupHeader(header);
    section.Append(script);
    section.Append(data.Block());
    return true;
}
