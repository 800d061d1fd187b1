// The setup data container: the contents of the program's `.setup` section.
//
//   section offset
//   0             magic                 int32  0xA4F23DE5                            code 20
//   4             format version        8-bit text + zero, dotted "36.0"             (message)
//                 ProductFlags2         uint32
//                 script size           int32  1 .. 0x31FFFFF                        code 22
//                 script checksum       uint32 SetupChecksum of the decoded record   code 25
//                                              (also the key of the XOR scrambling)
//                 image checksum        uint32 SetupChecksum of the leading image    code 40
//                 data end              int32  >= 0, section offset of the data end  code 45
//                 file count            int32  >= 0                                  code 27
//                 data size             int32  >= 0                                  code 29
//                 data checksum         uint32 SetupChecksum of the data block       code 55
//                 file size list        file count x int32, each 0 .. 0x40000000     code 28
//                 cipher key            8 bytes, only when ProductFlags2 has 0x1000
//   header end    script block          script-size bytes: scramble(compress(record))
//                                        or Blowfish(compress(record)) with 0x1000
//   data offset   file data block       data-size bytes: a sequence of chunks
//
// A chunk of the file data block:
//
//   +------------------+-------------------+------------------------------------+
//   | size n (int32)   | checksum (uint32) | n stored bytes                     |
//   | 1 .. rest of the | SetupChecksum of  | Blowfish(compress(data)); each     |
//   | block   (61, 63) | the stored bytes  | step only when its flag is set:    |
//   |                  |              (62) | ProductFlags2 0x1000, ProductFlags |
//   |                  |                   | 0x20                          (60) |
//   +------------------+-------------------+------------------------------------+
//
// The decoded chunks, concatenated, are the record stream: int32 length L, then L bytes, once per
// file. Records need not align with chunks. The whole block must be taken as chunks (code 80) and
// every decoded byte taken into a record (code 83) by the end.
//
// Reader and writer of each structure sit side by side here, so the program and the packer
// cannot disagree about the format.
#pragma once

#include <cstdint>
#include <vector>

#include "core/string.h"
#include "setupdata/blowfish.h"
#include "setupdata/checksum.h"
#include "setupdata/settings_flags.h"
#include "setupdata/setup_cursor.h"

constexpr uint32_t kSetupMagic = 0xA4F23DE5;
// Spelled once: the mismatch message below quotes it.
#define KS_SETUP_FORMAT_VERSION "36.0"
constexpr char kSetupFormatVersion[] = KS_SETUP_FORMAT_VERSION;
constexpr int32_t kMaxScriptSize = 0x31FFFFF;           // 52,428,799
constexpr int32_t kMaxFileSize = 0x40000000;
constexpr int kSetupKeySize = 8;
constexpr int kChunkHeaderSize = 8;                      // size and checksum

// Corruption codes of the container.
constexpr int kCorruptionMagic = 20;
constexpr int kCorruptionScriptSize = 22;
constexpr int kCorruptionFileCount = 27;
constexpr int kCorruptionFileSize = 28;
constexpr int kCorruptionDataSize = 29;
constexpr int kCorruptionDataEnd = 45;
constexpr int kCorruptionDataAvailable = 46;
constexpr int kCorruptionScriptInflate = 47;
constexpr int kCorruptionDataChecksum = 55;
constexpr int kCorruptionChunkInflate = 60;
constexpr int kCorruptionChunkSize = 61;
constexpr int kCorruptionChunkChecksum = 62;
constexpr int kCorruptionChunkTooLarge = 63;
constexpr int kCorruptionDataLeftOver = 80;
constexpr int kCorruptionDecodedLeftOver = 83;

constexpr char kVersionMismatchMessage[] =
    "The installer version (" KS_SETUP_FORMAT_VERSION ") does not match the version of %s (%s).  "
    "Close all applications "
    "and reinstall %s.";

// Header fields 1 to 12.
struct SetupHeader {
    uint32_t magic = kSetupMagic;
    String version;                    // 8-bit
    uint32_t productFlags2 = 0;
    int32_t scriptSize = 0;
    uint32_t scriptChecksum = 0;
    uint32_t imageChecksum = 0;
    int32_t dataEnd = 0;
    int32_t fileCount = 0;
    int32_t dataSize = 0;
    uint32_t dataChecksum = 0;
    std::vector<int32_t> fileSizes;    // unpacked size of each file, in record order
    uint8_t key[kSetupKeySize] = {};   // only with ProductFlag2::Blowfish

    bool Protected() const { return (productFlags2 & ProductFlag2::Blowfish) != 0; }
};

// Reads fields 1 to 12 at the cursor, each check right after its field. A version other than
// kSetupFormatVersion ends the run with kVersionMismatchMessage (`installerTitle`, the version read, the title).
void ReadSetupHeader(SetupCursor &cursor, const char *installerTitle, SetupHeader &header);

// Fields 1 to 12 as they are stored, and their length.
String WriteSetupHeader(const SetupHeader &header);
int32_t SetupHeaderSize(const SetupHeader &header);

// The section offset of field 6 in a stored header, where the packer puts the image checksum once
// the section's place in the program is known.
int32_t ImageChecksumFieldOffset(const SetupHeader &header);

// True when two dotted versions have the same number of components, each numerically equal.
bool DottedVersionsEqual(const char *a, const char *b);

// What reading the header and the script leaves for the rest of the run.
struct SetupContainer {
    SetupHeader header;
    Blowfish cipher;                   // keyed only when the header is protected
    const uint8_t *section = nullptr;  // the section's bytes (the loaded image)
    size_t sectionLength = 0;
    int32_t dataOffset = 0;            // section offset of the file data block
};

// Reads and checks the header of the section bytes [section, section + length) (in the program:
// the loaded image at the section's virtual address, `length` its mapped length), reads the
// script block and decodes it. Returns the settings record; its checksum is compared later, by the
// settings reader after its fifth item (through SetupScriptChecksumMatches, code 25).
String OpenSetupContainer(const uint8_t *section, size_t length, const char *installerTitle,
                          SetupContainer &container);

// Unscrambles (or decrypts) a stored script block in place and inflates it (code 47).
String DecodeSetupScript(String stored, const SetupHeader &header, const Blowfish &cipher);

// Whether the decoded record's checksum equals the header's script checksum.
bool SetupScriptChecksumMatches(const String &record, uint32_t expected);

// The packer's side: compresses the record at `level` and scrambles or encrypts it, setting the
// header's script size and checksum. False when the stored script is too large for the format.
bool EncodeSetupScript(const String &record, int level, SetupHeader &header, String &stored);

// Keys `cipher` from the header's key when the header is protected.
void PrepareSetupCipher(const SetupHeader &header, Blowfish &cipher);

// ---------------------------------------------------------------------------------------------
// File data

// Where the file data reader shows progress; both may be null (they are on the host).
struct FileDataHooks {
    void (*showStatus)(int languageRow) = nullptr;   // status text while a chunk is decoded
    void (*waitStatusTime)() = nullptr;              // keeps a status text up its minimum time
    // Called as the block checksum passes each piece of the block (a few MiB at a time): a reader
    // of a mapped file may let those pages go until the records are read (the packer's --dump).
    void (*blockChecked)(const uint8_t *piece, size_t length) = nullptr;
};

// The file data block being taken apart: the block position, the bytes of the block not yet taken
// as chunks, and the queue of decoded bytes not yet taken as records.
struct FileData {
    const uint8_t *block = nullptr;
    int32_t remaining = 0;
    String queue;
    int32_t queueRead = 0;             // bytes at the queue's front already handed out
    bool compressed = false;
    const Blowfish *cipher = nullptr;  // set when chunks are encrypted
    FileDataHooks hooks;
    String owned;                      // the block, when it was read from the file
};

// Code 46 unless the available size equals the header's data size. Comes before any byte of the
// block is read.
void CheckFileDataSize(int64_t available, const SetupHeader &header);

// The block inside the section (the loaded image): checks the available size (code 46) and that
// the block lies in the section, then opens it as below.
void OpenFileDataInSection(FileData &data, const SetupContainer &container, uint64_t productFlags,
                           const FileDataHooks &hooks);

// Opens a block of the header's data size at `block` (for the file-reading mode, after
// CheckFileDataSize and the read): waits, compares the block checksum (code 55), waits again.
void OpenFileData(FileData &data, const SetupContainer &container, uint64_t productFlags,
                  const uint8_t *block, const FileDataHooks &hooks);

// The next file record: a cursor over its L bytes, valid until the next call. Decodes chunks
// (codes 61, 63, 62, 60) until the queue holds a whole record.
SetupCursor NextFileRecord(FileData &data);

// Takes the next chunk off the block (codes 61, 63, 62, 60) and appends its decoded bytes to the
// queue, first dropping the queued bytes already handed out (data.queueRead). For readers that take
// a record in pieces (setupdata/record_stream.h).
void DecodeNextChunk(FileData &data);

// After the last record: code 80 when block bytes are left, code 83 when decoded bytes are.
void CloseFileData(const FileData &data);

// The packer's side: the record stream cut into chunks of `chunkSize` decoded bytes (records may
// span chunks), each compressed and encrypted as the flags say, framed and appended to the block.
class FileDataWriter {
public:
    FileDataWriter(int32_t chunkSize, bool compress, int level, const Blowfish *cipher);

    // Starts a record of `length` bytes (its length goes into the stream) holding a file of
    // `contentSize` bytes (which goes into the size list). The record's bytes follow through Write.
    void BeginRecord(int32_t length, int32_t contentSize);
    void Write(const void *bytes, int64_t length);

    // Writes the last chunk. False when a record was left short or overrun, a size was outside the
    // format, compression failed, the block grew too large or the sink refused a chunk.
    bool Finish();

    // Hands each framed chunk to `sink` instead of keeping it in Block(), so that the packer can
    // write a large block straight to its output and hold one chunk at a time. Set before the first
    // record. DataSize() and DataChecksum() describe the whole block either way.
    using ChunkSink = bool (*)(void *context, const void *bytes, int32_t length);
    void SetChunkSink(ChunkSink sink, void *context);

    // Hands each chunk's record-stream bytes, before compression, encryption and framing, to
    // `sink` instead: the packer compresses chunks on all cores and frames them itself. Block(),
    // DataSize() and DataChecksum() then describe nothing; the sink's owner keeps those.
    using RawChunkSink = bool (*)(void *context, const String &chunk);
    void SetRawChunkSink(RawChunkSink sink, void *context);

    const String &Block() const { return block_; }
    int64_t DataSize() const { return dataSize_; }
    uint32_t DataChecksum() const { return dataChecksum_.Result(); }
    const std::vector<int32_t> &FileSizes() const { return fileSizes_; }

private:
    void FlushChunk();
    void Emit(const void *bytes, int32_t length);

    int32_t chunkSize_;
    bool compress_;
    int level_;
    const Blowfish *cipher_;
    String pending_;                  // record stream bytes not yet in a chunk
    String block_;
    std::vector<int32_t> fileSizes_;
    int64_t recordLeft_ = 0;
    bool failed_ = false;
    ChunkSink sink_ = nullptr;
    void *sinkContext_ = nullptr;
    RawChunkSink rawSink_ = nullptr;
    void *rawSinkContext_ = nullptr;
    int64_t dataSize_ = 0;
    SetupChecksumAccumulator dataChecksum_;
};

// Sets the header's size list, file count, data size, data checksum and data end for a file data
// block of `dataSize` bytes that follows the header and the script (the header's script size must
// be set). False, with `failure` set, when the section would be larger than the format allows.
bool SetSetupDataFields(SetupHeader &header, const std::vector<int32_t> &fileSizes, int64_t dataSize,
                        uint32_t dataChecksum, const char **failure);

// The whole section for the packer: the header from `header` (script, data and size fields set
// from the record and the data), the script block and the file data block. False, with
// `failure` set, when a part does not fit the format.
bool WriteSetupSection(SetupHeader &header, const String &record, const FileDataWriter &data,
                       int level, String &section, const char **failure);
