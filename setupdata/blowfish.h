// Blowfish as the setup data uses it to protect the script and the file data chunks (when
// ProductFlags2 has 0x1000): standard 16-round Blowfish with these particulars.
//
//  - Key schedule: the key is zero-padded to a multiple of 8 bytes when shorter than 8 bytes, else
//    to a multiple of 4; it must then be 64 to 448 bits long, else the schedule stays as it was.
//    P[i] is XORed with key word i mod (bits / 32), a key word being 4 key bytes read as a
//    LITTLE-endian integer (standard Blowfish reads them big-endian).
//  - A block is 8 bytes, its two halves read and written as big-endian words.
//  - Blocks are independent (electronic code book).
//  - A protected buffer ends with a length trailer, so that a stored buffer (a multiple of 8 bytes)
//    can carry data of any length:
//
//        +-------------------+-----------------+----------------+
//        | data (T bytes)    | zero padding    | T (int32, LE)  |
//        +-------------------+-----------------+----------------+
//        |<------------ length: multiple of 8, T + 4 to T + 11 ->|
//
//    and the whole buffer is encrypted block by block.
#pragma once

#include <cstdint>

#include "core/string.h"

constexpr int kBlowfishBlockSize = 8;
constexpr int kBlowfishMinKeyBytes = 8;
constexpr int kBlowfishMaxKeyBytes = 56;
constexpr int kBlowfishTrailerSize = 4;
// The trailer and the padding before it take at most this many bytes.
constexpr int kBlowfishMaxOverhead = kBlowfishTrailerSize + kBlowfishBlockSize - 1;

class Blowfish {
public:
    Blowfish();   // the initial tables (hexadecimal digits of pi), no key applied

    // Applies a key of `length` bytes by the rules above. False, with the schedule unchanged, when
    // the padded key is not 64 to 448 bits long.
    bool SetKey(const uint8_t *key, int32_t length);

    void EncryptBlock(uint32_t &left, uint32_t &right) const;
    void DecryptBlock(uint32_t &left, uint32_t &right) const;

    // Decrypts a protected buffer in place and cuts it to the length in its trailer. A buffer whose
    // length is not a positive multiple of 8 is left unchanged; one whose trailer gives a length
    // outside length - 12 to length - 4 (or below 0) is emptied. Both return false.
    bool DecryptProtected(String &buffer) const;

    // The inverse for the packer: appends padding and the length trailer, then encrypts in place,
    // so that DecryptProtected gives the original bytes back.
    void EncryptProtected(String &buffer) const;

private:
    static constexpr int kRounds = 16;

    uint32_t F(uint32_t x) const;
    void EncryptBlocks(uint8_t *bytes, int32_t length) const;
    void DecryptBlocks(uint8_t *bytes, int32_t length) const;

    uint32_t p_[kRounds + 2];
    uint32_t s_[4][256];
};
