// The XOR scrambling of the setup script (when the script is not Blowfish-protected), keyed with
// the script checksum. Scrambling twice with the same key gives the original bytes back.
//
// Every whole 4-byte group, read as a little-endian word, is XORed with the key; the 1 to 3
// remaining bytes are XORed with the key's low bytes in order (bits 0-7, 8-15, 16-23).
#pragma once

#include <cstddef>
#include <cstdint>

void ScrambleSetupScript(void *bytes, size_t length, uint32_t key);
