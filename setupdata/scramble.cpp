#include "setupdata/scramble.h"

void ScrambleSetupScript(void *bytes, size_t length, uint32_t key)
{
    // XORing a little-endian word with the key is XORing byte i with key byte i % 4, so the
    // remaining bytes follow the same rule as the whole groups.
    uint8_t *p = static_cast<uint8_t *>(bytes);
    for (size_t i = 0; i < length; ++i)
        p[i] ^= uint8_t(key >> (8 * (i & 3)));
}
