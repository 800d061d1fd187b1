#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setupdata/blowfish.h"

namespace {

std::vector<uint8_t> Hex(const std::string &hex)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// Standard Blowfish reads key words big-endian; this variant reads them little-endian. Reversing
// each 4-byte group of a standard key gives the key that makes this variant compute the same
// schedule, so standard test vectors apply to keys that are multiples of 4 bytes.
std::vector<uint8_t> ForLittleEndianWords(std::vector<uint8_t> key)
{
    for (size_t i = 0; i + 4 <= key.size(); i += 4) {
        std::swap(key[i], key[i + 3]);
        std::swap(key[i + 1], key[i + 2]);
    }
    return key;
}

uint32_t Word(const std::vector<uint8_t> &b, size_t at)
{
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

struct Vector {
    const char *key;
    const char *plain;
    const char *cipher;
};

TEST(Blowfish, StandardVectorsWithLittleEndianKeyWords)
{
    // Eric Young's ECB vectors, and keys of 12 and 24 bytes checked against an independent
    // implementation.
    const Vector vectors[] = {
        {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
        {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
        {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
        {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
        {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
        {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
        {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
        {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
        {"F0E1D2C3B4A59687", "FEDCBA9876543210", "E87A244E2CC85E82"},
        {"F0E1D2C3B4A5968778695A4B", "FEDCBA9876543210", "9409DA87A90F6BF2"},
        {"F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677", "FEDCBA9876543210",
         "05044B62FA52D080"},
    };
    for (const Vector &v : vectors) {
        const std::vector<uint8_t> key = ForLittleEndianWords(Hex(v.key));
        Blowfish cipher;
        ASSERT_TRUE(cipher.SetKey(key.data(), int32_t(key.size()))) << v.key;
        const std::vector<uint8_t> plain = Hex(v.plain), expected = Hex(v.cipher);
        uint32_t left = Word(plain, 0), right = Word(plain, 4);
        cipher.EncryptBlock(left, right);
        EXPECT_EQ(left, Word(expected, 0)) << v.key;
        EXPECT_EQ(right, Word(expected, 4)) << v.key;
        cipher.DecryptBlock(left, right);
        EXPECT_EQ(left, Word(plain, 0)) << v.key;
        EXPECT_EQ(right, Word(plain, 4)) << v.key;
    }
}

std::pair<uint32_t, uint32_t> EncryptZero(const Blowfish &cipher)
{
    uint32_t left = 0, right = 0;
    cipher.EncryptBlock(left, right);
    return {left, right};
}

TEST(Blowfish, KeysArePaddedWithZeroBytes)
{
    struct Case {
        int32_t length;
        int32_t paddedLength;
    };
    const Case cases[] = {{1, 8}, {5, 8}, {7, 8}, {9, 12}, {13, 16}, {53, 56}};
    uint8_t key[56];
    for (const Case &c : cases) {
        for (int i = 0; i < 56; ++i)
            key[i] = i < c.length ? uint8_t(0xA0 + i) : 0;
        Blowfish shorter, padded;
        ASSERT_TRUE(shorter.SetKey(key, c.length)) << c.length;
        ASSERT_TRUE(padded.SetKey(key, c.paddedLength)) << c.length;
        EXPECT_EQ(EncryptZero(shorter), EncryptZero(padded)) << c.length;
    }
}

TEST(Blowfish, KeysOutsideTheLimitsLeaveTheScheduleAsItWas)
{
    uint8_t key[57] = {1, 2, 3, 4, 5, 6, 7, 8};
    Blowfish cipher;
    const auto unkeyed = EncryptZero(cipher);
    EXPECT_FALSE(cipher.SetKey(key, 0));
    EXPECT_FALSE(cipher.SetKey(key, 57));
    EXPECT_EQ(EncryptZero(cipher), unkeyed);
    ASSERT_TRUE(cipher.SetKey(key, 8));
    const auto keyed = EncryptZero(cipher);
    EXPECT_NE(keyed, unkeyed);
    EXPECT_FALSE(cipher.SetKey(key, 57));
    EXPECT_EQ(EncryptZero(cipher), keyed);
}

Blowfish KeyedCipher()
{
    const uint8_t key[8] = {0x13, 0x57, 0x9B, 0xDF, 0x02, 0x46, 0x8A, 0xCE};
    Blowfish cipher;
    cipher.SetKey(key, 8);
    return cipher;
}

TEST(Blowfish, ProtectedBuffersRoundTrip)
{
    const Blowfish cipher = KeyedCipher();
    for (int32_t length = 0; length <= 40; ++length) {
        String data;
        for (int32_t i = 0; i < length; ++i)
            data.AppendByte(char(i * 7 + 3));
        String stored = data;
        cipher.EncryptProtected(stored);
        EXPECT_EQ(stored.Length() % 8, 0) << length;
        EXPECT_GE(stored.Length(), length + 4) << length;
        EXPECT_LE(stored.Length(), length + 11) << length;
        EXPECT_TRUE(cipher.DecryptProtected(stored)) << length;
        EXPECT_EQ(stored, data) << length;
    }
}

TEST(Blowfish, BuffersThatAreNotWholeBlocksStayUnchanged)
{
    const Blowfish cipher = KeyedCipher();
    for (int32_t length : {0, 1, 7, 9, 15, 17}) {
        String buffer;
        for (int32_t i = 0; i < length; ++i)
            buffer.AppendByte(char(i));
        const String original = buffer;
        EXPECT_FALSE(cipher.DecryptProtected(buffer)) << length;
        EXPECT_EQ(buffer, original) << length;
    }
}

// A buffer of `blocks` blocks whose decrypted trailer says `trueLength`.
String WithTrailer(const Blowfish &cipher, int32_t blocks, int32_t trueLength)
{
    String buffer;
    buffer.Resize(blocks * 8);
    uint8_t *bytes = reinterpret_cast<uint8_t *>(buffer.MutableBytes());
    for (int32_t i = 0; i < blocks * 8; ++i)
        bytes[i] = uint8_t(i + 1);
    const uint32_t t = uint32_t(trueLength);
    uint8_t *trailer = bytes + blocks * 8 - 4;
    trailer[0] = uint8_t(t);
    trailer[1] = uint8_t(t >> 8);
    trailer[2] = uint8_t(t >> 16);
    trailer[3] = uint8_t(t >> 24);
    for (int32_t at = 0; at < blocks * 8; at += 8) {
        uint32_t l = Word({bytes + at, bytes + at + 4}, 0), r = Word({bytes + at + 4, bytes + at + 8}, 0);
        cipher.EncryptBlock(l, r);
        for (int i = 0; i < 4; ++i) {
            bytes[at + i] = uint8_t(l >> (24 - 8 * i));
            bytes[at + 4 + i] = uint8_t(r >> (24 - 8 * i));
        }
    }
    return buffer;
}

TEST(Blowfish, TrailerLengthMustLieInTheWindow)
{
    const Blowfish cipher = KeyedCipher();
    struct Case {
        int32_t blocks;
        int32_t trueLength;
        bool accepted;
    };
    const Case cases[] = {
        {3, 24 - 13, false}, {3, 24 - 12, true}, {3, 24 - 4, true}, {3, 24 - 3, false},
        {1, 0, true},        {1, 4, true},       {1, -1, false},    {2, 0x7FFFFFFF, false},
    };
    for (const Case &c : cases) {
        String buffer = WithTrailer(cipher, c.blocks, c.trueLength);
        EXPECT_EQ(cipher.DecryptProtected(buffer), c.accepted) << c.blocks << " " << c.trueLength;
        EXPECT_EQ(buffer.Length(), c.accepted ? c.trueLength : 0) << c.blocks << " " << c.trueLength;
        if (c.accepted && c.trueLength > 0) {
            EXPECT_EQ(buffer.Bytes()[0], 1);
        }
    }
}

} // namespace
