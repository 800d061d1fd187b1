// Shared by the fuzz targets: corruption reports and fatal errors end the current input (by an
// exception) instead of the process, so the fuzzer goes on with the next one.
#pragma once

#include <cstdint>
#include <vector>

#include "core/fatal.h"
#include "setupdata/container.h"
#include "setupdata/corruption.h"
#include "setupdata/file_record.h"

struct FuzzInputRejected {};

inline void RejectOnCorruption(int) { throw FuzzInputRejected(); }
inline void RejectOnProcessEnd(int) { throw FuzzInputRejected(); }

inline void InstallFuzzSeams()
{
    SetCorruptionHandler(RejectOnCorruption);
    SetFatalDisplay(nullptr);
    SetProcessEnd(RejectOnProcessEnd);
}

// Takes every file record of an opened file data block as the file step does, then closes it.
inline void ReadAllFiles(FileData &data, const std::vector<int32_t> &fileSizes)
{
    for (int32_t size : fileSizes) {
        SetupCursor record = NextFileRecord(data);
        FileRecord file;
        ReadFileRecordHeader(record, file);
        ReadFileContent(record, size);
    }
    CloseFileData(data);
}

// The input layout of records_fuzz (the seed generator writes it too):
//   byte 0       mode: kFuzzCompressed, kFuzzEncrypted, kFuzzFramed
//   bytes 1-8    Blowfish key
//   byte 9       file count (low 4 bits)
//   2 x count    file sizes, little-endian 16-bit
//   rest         the file data block as it is, or (framed) pieces of the record stream, each a
//                length byte and that many bytes, which the target compresses, encrypts and frames
//                with correct sizes and checksums
constexpr unsigned char kFuzzCompressed = 0x1;
constexpr unsigned char kFuzzEncrypted = 0x2;
constexpr unsigned char kFuzzFramed = 0x4;
constexpr int kFuzzPrefixSize = 10;
