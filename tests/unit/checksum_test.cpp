#include <gtest/gtest.h>

#include <vector>

#include "setupdata/checksum.h"
#include "setupdata/scramble.h"

namespace {

struct ChecksumCase {
    const char *name;
    std::vector<uint8_t> bytes;
    uint32_t expected;
};

TEST(SetupChecksum, Examples)
{
    const ChecksumCase cases[] = {
        {"abc", {'a', 'b', 'c'}, 0x79E2BDC6},
        {"four zero bytes", {0, 0, 0, 0}, 0x79E2BCA1},
        {"0xFF adds -1 and the length 1", {0xFF}, 0x79E2BC9D},
        {"a group then a signed byte", {1, 2, 3, 4, 0x80},
         uint32_t(0x79E2BC9Du + 0x04030201u - 128u + 5u)},
        {"two groups wrap around", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         uint32_t(0x79E2BC9Du - 2u + 8u)},
    };
    for (const ChecksumCase &c : cases)
        EXPECT_EQ(SetupChecksum(c.bytes.data(), int64_t(c.bytes.size())), c.expected) << c.name;
}

TEST(SetupChecksum, MissingDataOrLengthOutsideRangeGivesTheSeedWithoutTheLength)
{
    const uint8_t byte = 7;
    EXPECT_EQ(SetupChecksum(&byte, 0), 0x79E2BC9Du);
    EXPECT_EQ(SetupChecksum(nullptr, 1), 0x79E2BC9Du);
    EXPECT_EQ(SetupChecksum(&byte, -1), 0x79E2BC9Du);
    // Not read: the length alone rules it out.
    EXPECT_EQ(SetupChecksum(&byte, int64_t(0x80000000)), 0x79E2BC9Du);
}

TEST(SetupChecksum, AccumulatedInPiecesEqualsOneSum)
{
    std::vector<uint8_t> bytes(23);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 37 + 200);
    const uint32_t whole = SetupChecksum(bytes.data(), int64_t(bytes.size()));
    for (size_t first = 0; first <= bytes.size(); ++first) {
        for (size_t second = first; second <= bytes.size(); ++second) {
            SetupChecksumAccumulator sum;
            sum.Add(bytes.data(), first);
            sum.Add(bytes.data() + first, second - first);
            sum.Add(bytes.data() + second, bytes.size() - second);
            ASSERT_EQ(sum.Result(), whole) << first << " " << second;
        }
    }
    EXPECT_EQ(SetupChecksumAccumulator().Result(), kChecksumSeed);
}

TEST(ScrambleSetupScript, XorsLittleEndianGroupsThenTheLowKeyBytes)
{
    uint8_t bytes[7] = {0, 0, 0, 0, 0, 0, 0xFF};
    ScrambleSetupScript(bytes, sizeof bytes, 0x11223344);
    const uint8_t expected[7] = {0x44, 0x33, 0x22, 0x11, 0x44, 0x33, 0xDD};
    EXPECT_EQ(0, memcmp(bytes, expected, sizeof bytes));
}

TEST(ScrambleSetupScript, IsItsOwnInverse)
{
    for (size_t length = 0; length <= 9; ++length) {
        std::vector<uint8_t> bytes(length);
        for (size_t i = 0; i < length; ++i)
            bytes[i] = uint8_t(i * 11 + 1);
        const std::vector<uint8_t> original = bytes;
        ScrambleSetupScript(bytes.data(), length, 0xA5C3E1F7);
        if (length > 0) {
            EXPECT_NE(bytes, original) << length;
        }
        ScrambleSetupScript(bytes.data(), length, 0xA5C3E1F7);
        EXPECT_EQ(bytes, original) << length;
    }
}

} // namespace
