// The setup data checksum: a 32-bit additive sum used for the script, the program image, the file
// data block, each data chunk and each file's content.
//
// Arithmetic wraps at 32 bits. Starting from kChecksumSeed, every whole 4-byte group is added as a
// little-endian word, each of the 1 to 3 remaining bytes as a sign-extended byte, and finally the
// length. Missing data, or a length outside 1 to 0x7FFFFFFF, gives the seed itself (without adding
// the length).
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t kChecksumSeed = 0x79E2BC9D;
constexpr int64_t kChecksumMaxLength = 0x7FFFFFFF;

uint32_t SetupChecksum(const void *bytes, int64_t length);

// The same sum over data that arrives in pieces (the packer writes the data block chunk by chunk).
// Result() equals SetupChecksum over the concatenation of everything added.
class SetupChecksumAccumulator {
public:
    void Add(const void *bytes, size_t length);
    uint32_t Result() const;

private:
    uint32_t sum_ = kChecksumSeed;   // whole groups only
    uint8_t pending_[4] = {};        // the bytes of a group not yet complete
    int pendingCount_ = 0;
    uint64_t length_ = 0;
};
