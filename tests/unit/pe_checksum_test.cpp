// The PE checksum the packer writes: 16-bit words summed with end-around carry, the checksum field
// counted as zero, the file length added; the same whatever pieces the bytes arrive in.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "pack/signing.h"

namespace {

uint32_t Checksum(const std::vector<uint8_t> &bytes, uint64_t field, const std::vector<size_t> &pieces)
{
    PeChecksum sum(field);
    size_t at = 0;
    for (size_t n : pieces) {
        sum.Add(bytes.data() + at, n);
        at += n;
    }
    sum.Add(bytes.data() + at, bytes.size() - at);
    return sum.Result();
}

} // namespace

TEST(PeChecksum, WordsCarriesFieldAndLength)
{
    const struct {
        std::vector<uint8_t> bytes;
        uint64_t field;
        uint32_t expected;
    } cases[] = {
        {{0x01, 0x02, 0x03, 0x04, 0x05}, 100, 0x0201 + 0x0403 + 0x05 + 5},
        {{0x01, 0x02, 0x03, 0x04, 0x05}, 0, 0x05 + 5},           // the field's four bytes count as zero
        {{0x01, 0x02, 0x03, 0x04, 0x05}, 1, 0x01 + 5},
        {{0xFF, 0xFF, 0x01, 0x00}, 100, 0x0001 + 4},              // 0x10000 carries round to 1
        {{0xFF, 0xFF, 0xFF, 0xFF}, 100, 0xFFFF + 4},
        {{}, 100, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Checksum(c.bytes, c.field, {}), c.expected) << c.field << " " << c.bytes.size();
}

TEST(PeChecksum, PiecesOfAnySizeGiveTheSumOfTheWhole)
{
    std::mt19937 random(5);
    std::vector<uint8_t> bytes(200001);
    for (uint8_t &b : bytes)
        b = uint8_t(random());
    for (uint64_t field : {uint64_t(0), uint64_t(1), uint64_t(137), uint64_t(100000), uint64_t(199998), uint64_t(1) << 40}) {
        std::vector<size_t> oneByOne(bytes.size(), 1);
        const uint32_t expected = Checksum(bytes, field, oneByOne);
        EXPECT_EQ(Checksum(bytes, field, {}), expected) << field;
        for (int round = 0; round < 20; ++round) {
            std::vector<size_t> pieces;
            for (size_t left = bytes.size(); left > 0;) {
                const size_t n = std::min<size_t>(left, random() % 3 ? random() % 7 : random() % 40000);
                pieces.push_back(n);
                left -= n;
            }
            EXPECT_EQ(Checksum(bytes, field, pieces), expected) << field << " round " << round;
        }
    }
}
