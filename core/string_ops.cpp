// String operations beyond storage: hashing, trimming, searching, parsing, comparing, case.
#include "core/string.h"

#include <cstring>

uint32_t String::Hash() const
{
    constexpr uint32_t kSeed = 0x79e2bc9d;
    uint32_t hash = kSeed;
    if (length_ <= 0)
        return hash;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(data_);
    const int32_t words = length_ / 4;
    for (int32_t i = 0; i < words; ++i, p += 4)
        hash += uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    for (int32_t i = words * 4; i < length_; ++i, ++p)
        hash += static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*p)));
    return hash + static_cast<uint32_t>(length_);
}
