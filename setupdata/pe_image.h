// The parts of the program's PE image that the setup data depends on, as byte work.
//
//   file offset
//   60 (0x3C)                    PE header offset, read as 16 bits: 64 .. 4,096        code 43
//   pe + 0                       "PE\0\0"
//   pe + 6                       section count, 16 bits: 4 .. 99                       code 44
//   pe + 20                      optional-header size, 16 bits
//   pe + 24                      optional header; of it:
//     pe + 32                      size of initialised data
//     pe + 56 / pe + 60            section alignment / file alignment
//     pe + 80                      size of image
//     pe + 84                      size of headers
//     pe + 92                      first byte of the image checksum range (after the PE checksum)
//   pe + 24 + optional size      section table, 40 bytes an entry:
//     +0 name (8 bytes, ".setup" ends the search)   +8 virtual size   +12 virtual address
//     +16 raw size   +20 raw data position (0: code 9)   +36 characteristics
//
// The image checksum covers the leading part of the file from pe + 92 up to the `.setup`
// section's raw data. The uninstaller image is the file without the section: the leading part,
// then everything after the section's raw data, with the headers adjusted.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/string.h"

constexpr uint32_t kPeHeaderOffsetField = 60;
constexpr uint32_t kMinPeHeaderOffset = 64;
constexpr uint32_t kMaxPeHeaderOffset = 4096;
constexpr uint32_t kMinSectionCount = 4;
constexpr uint32_t kMaxSectionCount = 99;
constexpr uint32_t kSectionEntrySize = 40;
constexpr uint32_t kImageChecksumRangeStart = 92;   // from the PE header
constexpr char kSetupSectionName[] = ".setup";
constexpr uint32_t kPageSize = 4096;   // the packer starts the section's raw data on a page

constexpr int kCorruptionNoRawData = 9;
constexpr int kCorruptionSectionSeek = 10;        // raised where the file is read
constexpr int kCorruptionLeadingPartRead = 35;    // raised where the file is read
constexpr int kCorruptionImageChecksum = 40;
constexpr int kCorruptionTrailingPartRead = 42;   // raised where the file is read
constexpr int kCorruptionPeHeaderOffset = 43;
constexpr int kCorruptionSectionCount = 44;

// The `.setup` entry and what the later steps need of the headers around it.
struct SetupSectionLocation {
    uint32_t peHeaderOffset = 0;
    uint32_t sectionCount = 0;
    uint32_t sectionTableOffset = 0;
    uint32_t entryOffset = 0;          // file offset of the `.setup` entry
    uint32_t virtualSize = 0;
    uint32_t virtualAddress = 0;
    uint32_t rawSize = 0;
    uint32_t rawDataPosition = 0;

    // Bytes of the section the loader maps: its virtual size, or its raw size when that is 0.
    uint32_t MappedLength() const { return virtualSize ? virtualSize : rawSize; }
};

// Reads `length` bytes at `offset` of the program's file; false when they cannot all be read.
using ReadAtOffset = bool (*)(void *context, uint32_t offset, void *buffer, uint32_t length);

// Finds the `.setup` section (codes 43, 44, 9; a header that cannot be read gives the
// out-of-bounds code). False when there is none: the program then runs in information mode.
bool LocateSetupSection(ReadAtOffset read, void *context, SetupSectionLocation &location);
bool LocateSetupSectionInFile(const uint8_t *file, size_t length, SetupSectionLocation &location);

// SetupChecksum of the leading part from pe + 92 to its end (the section's raw data position).
uint32_t ImageChecksum(const uint8_t *leading, size_t length, const SetupSectionLocation &location);

// Code 40 unless the leading part's image checksum equals `expected` (header field 6).
void CheckImageChecksum(const uint8_t *leading, size_t length, const SetupSectionLocation &location,
                        uint32_t expected);

// Turns the leading part (the file up to the section's raw data) into the uninstaller image: the
// trailing part (everything after the section's raw data) is appended, the section count, size of
// initialised data and size of image are reduced, and the `.setup` entry leaves the section table.
void BuildUninstallerImage(String &leading, const uint8_t *trailing, size_t trailingLength,
                           const SetupSectionLocation &location);

// How the packer lays out the appended section.
enum class SetupSectionPadding {
    ToSectionAlignment,   // raw size padded to the section alignment
    None,                 // unpadded, the last bytes of the file (file data read from the file)
};

// The program image `stub` laid out for an appended `.setup` section of `sectionLength` bytes: the
// leading part (the stub with the new section-table entry, section count, size of initialised data
// and size of image, zero-filled up to the section's raw data position) and the section's place.
// The raw data position does not depend on `sectionLength`, so the packer writes the section after
// a provisional leading part and lays the headers out again once the length is known. False, with
// `failure` set, when the stub cannot take the section.
bool PlanSetupSection(const uint8_t *stub, size_t stubLength, uint32_t sectionLength,
                      SetupSectionPadding padding, String &leading, SetupSectionLocation &location,
                      const char **failure);

// Appends a `.setup` section holding `section` to the program image `stub`: a new section-table
// entry, the section count, size of initialised data and size of image. When
// `imageChecksumFieldOffset` is not negative, the image checksum of the result is stored at that
// offset of the section. False, with `failure` set, when the stub cannot take the section.
bool AppendSetupSection(const uint8_t *stub, size_t stubLength, const String &section,
                        SetupSectionPadding padding, int32_t imageChecksumFieldOffset, String &out,
                        const char **failure);
