#include "setupdata/checksum.h"

namespace {

uint32_t LittleEndianWord(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The trailing 1 to 3 bytes count as signed bytes: 0xFF adds -1.
uint32_t SignedByte(uint8_t b) { return uint32_t(int32_t(int8_t(b))); }

} // namespace

uint32_t SetupChecksum(const void *bytes, int64_t length)
{
    if (!bytes || length < 1 || length > kChecksumMaxLength)
        return kChecksumSeed;
    const uint8_t *p = static_cast<const uint8_t *>(bytes);
    const uint8_t *groupsEnd = p + (length & ~int64_t(3));
    uint32_t sum = kChecksumSeed;
    for (; p < groupsEnd; p += 4)
        sum += LittleEndianWord(p);
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
    for (; length >= 4; p += 4, length -= 4)
        sum_ += LittleEndianWord(p);
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
