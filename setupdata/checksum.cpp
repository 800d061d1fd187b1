#include "setupdata/checksum.h"

namespace {

// The sum is the installation's hottest loop: it runs over the whole file data block, then over
// every chunk, then over every file's content. The program is built for size, where GCC makes the
// word read a call of its own; inlined, the four byte reads become one load.
__attribute__((always_inline)) inline uint32_t LittleEndianWord(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// `words` whole groups from p added to sum, four groups a turn.
uint32_t AddWords(uint32_t sum, const uint8_t *p, size_t words)
{
    const uint8_t *const fourEnd = p + (words & ~size_t(3)) * 4;
    for (; p < fourEnd; p += 16)
        sum += LittleEndianWord(p) + LittleEndianWord(p + 4) + LittleEndianWord(p + 8) + LittleEndianWord(p + 12);
    for (words &= 3; words > 0; --words, p += 4)
        sum += LittleEndianWord(p);
    return sum;
}

// The trailing 1 to 3 bytes count as signed bytes: 0xFF adds -1.
uint32_t SignedByte(uint8_t b) { return uint32_t(int32_t(int8_t(b))); }

} // namespace

uint32_t SetupChecksum(const void *bytes, int64_t length)
{
    if (!bytes || length < 1 || length > kChecksumMaxLength)
        return kChecksumSeed;
    const uint8_t *p = static_cast<const uint8_t *>(bytes);
    uint32_t sum = AddWords(kChecksumSeed, p, size_t(length >> 2));
    p += length & ~int64_t(3);
    for (int i = 0; i < int(length & 3); ++i)
        sum += SignedByte(p[i]);
    return sum + uint32_t(length);
}

void SetupChecksumAccumulator::Add(const void *bytes, size_t length)
{
    const uint8_t *p = static_cast<const uint8_t *>(bytes);
    length_ += length;
    while (length > 0 && pendingCount_ > 0) {
        pending_[pendingCount_++] = *p++;
        --length;
        if (pendingCount_ == 4) {
            sum_ += LittleEndianWord(pending_);
            pendingCount_ = 0;
        }
    }
    sum_ = AddWords(sum_, p, length >> 2);
    p += length & ~size_t(3);
    length &= 3;
    while (length-- > 0)
        pending_[pendingCount_++] = *p++;
}

uint32_t SetupChecksumAccumulator::Result() const
{
    if (length_ < 1 || length_ > uint64_t(kChecksumMaxLength))
        return kChecksumSeed;
    uint32_t sum = sum_;
    for (int i = 0; i < pendingCount_; ++i)
        sum += SignedByte(pending_[i]);
    return sum + uint32_t(length_);
}
