#include "app/setup_section_win.h"

#include <cstdint>
#include <cstring>

#include "setupdata/corruption.h"

namespace {

// The fields used, at their offsets:
//   MZ header +60        uint16  PE header offset (the low half of e_lfanew)
//   PE header +6         uint16  section count
//   PE header +20        uint16  optional header size
//   PE header +24 + optional header size: the section table, 40 bytes an entry:
//     +0  char[8] name (zero-padded, not terminated when 8 long)
//     +20 uint32  raw data position
constexpr DWORD kPeOffsetField = 60;
constexpr uint32_t kMinPeOffset = 64;
constexpr uint32_t kMaxPeOffset = 4096;
constexpr uint32_t kSectionCountField = 6;
constexpr uint32_t kOptionalHeaderSizeField = 20;
constexpr uint32_t kSectionTableStart = 24;
constexpr uint32_t kSectionEntrySize = 40;
constexpr uint32_t kRawDataPositionField = 20;
constexpr uint32_t kMinSectionCount = 4;
constexpr uint32_t kMaxSectionCount = 99;
constexpr char kSetupSectionName[] = ".setup";

constexpr int kCodeBadPeOffset = 43;
constexpr int kCodeBadSectionCount = 44;
constexpr int kCodeNoRawData = 9;
constexpr int kCodeSeekFailed = 10;

// Reads `size` bytes at `offset`; a read that fails or comes short leaves zeros.
void ReadAt(HANDLE file, DWORD offset, void *buffer, DWORD size)
{
    std::memset(buffer, 0, size);
    OVERLAPPED at = {};
    at.Offset = offset;
    DWORD got = 0;
    if (!ReadFile(file, buffer, size, &got, &at) || got != size)
        std::memset(buffer, 0, size);
}

uint32_t ReadUint16At(HANDLE file, DWORD offset)
{
    uint8_t bytes[2];
    ReadAt(file, offset, bytes, sizeof bytes);
    return bytes[0] | (uint32_t(bytes[1]) << 8);
}

uint32_t ReadUint32At(HANDLE file, DWORD offset)
{
    uint8_t bytes[4];
    ReadAt(file, offset, bytes, sizeof bytes);
    return bytes[0] | (uint32_t(bytes[1]) << 8) | (uint32_t(bytes[2]) << 16) | (uint32_t(bytes[3]) << 24);
}

} // namespace

bool FindSetupSection(HANDLE file)
{
    const uint32_t peOffset = ReadUint16At(file, kPeOffsetField);
    if (peOffset < kMinPeOffset || peOffset > kMaxPeOffset)
        ReportCorruption(kCodeBadPeOffset);
    const uint32_t sectionCount = ReadUint16At(file, peOffset + kSectionCountField);
    if (sectionCount < kMinSectionCount || sectionCount > kMaxSectionCount)
        ReportCorruption(kCodeBadSectionCount);
    const uint32_t table = peOffset + kSectionTableStart + ReadUint16At(file, peOffset + kOptionalHeaderSizeField);

    for (uint32_t i = 0; i < sectionCount; ++i) {
        const uint32_t entry = table + i * kSectionEntrySize;
        char name[9] = {};
        ReadAt(file, entry, name, 8);
        if (std::strcmp(name, kSetupSectionName) != 0)
            continue;
        const uint32_t rawData = ReadUint32At(file, entry + kRawDataPositionField);
        if (rawData == 0)
            ReportCorruption(kCodeNoRawData);
        LARGE_INTEGER position;
        position.QuadPart = rawData;
        if (!SetFilePointerEx(file, position, nullptr, FILE_BEGIN))
            ReportCorruption(kCodeSeekFailed);
        return true;
    }
    return false;
}
