#include <gtest/gtest.h>

#include "setupdata/zlib_stream.h"

namespace {

String Pattern(int32_t length, uint32_t seed)
{
    String s;
    s.Resize(length);
    uint32_t x = seed;
    for (int32_t i = 0; i < length; ++i) {
        x = x * 1103515245 + 12345;
        s.MutableBytes()[i] = char(seed == 0 ? 'a' + i % 3 : int(x >> 24));
    }
    return s;
}

TEST(ZlibStream, RoundTripsThroughThePieceAndReserveSizes)
{
    struct Case {
        int32_t length;
        uint32_t seed;   // 0: highly compressible, so the output outgrows 3 x input + 1,024
        int level;
    };
    const Case cases[] = {{0, 1, 6},       {1, 1, 6},     {16383, 2, 1}, {16384, 3, 9},
                          {16385, 4, 0},   {100000, 5, -1}, {1 << 20, 0, 9}};
    for (const Case &c : cases) {
        const String data = Pattern(c.length, c.seed);
        String stored;
        ASSERT_TRUE(DeflateAppend(data.Bytes(), data.Length(), c.level, stored)) << c.length;
        String inflated("prefix");
        ASSERT_TRUE(InflateAppend(stored.Bytes(), stored.Length(), inflated)) << c.length;
        EXPECT_EQ(inflated, String("prefix") .Append(data)) << c.length;
    }
}

TEST(ZlibStream, DamagedStreamsKeepWhatWasProducedAndSucceed)
{
    const String data = Pattern(50000, 7);
    String stored;
    ASSERT_TRUE(DeflateAppend(data.Bytes(), data.Length(), 6, stored));

    String cut;
    EXPECT_TRUE(InflateAppend(stored.Bytes(), stored.Length() / 2, cut));
    EXPECT_GT(cut.Length(), 0);
    EXPECT_LT(cut.Length(), data.Length());
    EXPECT_EQ(0, memcmp(cut.Bytes(), data.Bytes(), size_t(cut.Length())));

    String garbage("not a zlib stream at all");
    String out;
    EXPECT_TRUE(InflateAppend(garbage.Bytes(), garbage.Length(), out));
    EXPECT_EQ(out.Length(), 0);
}

TEST(ZlibStream, DeflateRefusesLevelsOutsideZlibs)
{
    String out;
    EXPECT_FALSE(DeflateAppend("x", 1, 10, out));
    EXPECT_FALSE(DeflateAppend("x", 1, -2, out));
}

struct Progress {
    int calls = 0;
    bool cancel = false;
    int64_t consumed = -1, total = -1, producedBits = -1;
};

bool Report(void *context, int64_t consumed, int64_t total, int64_t producedBits)
{
    Progress &p = *static_cast<Progress *>(context);
    ++p.calls;
    p.consumed = consumed;
    p.total = total;
    p.producedBits = producedBits;
    return p.cancel;
}

TEST(ZlibStream, ProgressReportsInputAndOutputBitsAndCanCancel)
{
    const String data = Pattern(40000, 9);
    String stored;
    ASSERT_TRUE(DeflateAppend(data.Bytes(), data.Length(), 6, stored));

    Progress going;
    String out;
    EXPECT_TRUE(InflateAppend(stored.Bytes(), stored.Length(), out, Report, &going));
    ASSERT_GE(going.calls, 1);
    EXPECT_EQ(going.total, stored.Length());
    EXPECT_GT(going.consumed, 0);
    EXPECT_LE(going.consumed, going.total);
    EXPECT_GT(going.producedBits, 0);
    EXPECT_EQ(going.producedBits % 8, 0);
    EXPECT_EQ(out, data);

    Progress cancelling;
    cancelling.cancel = true;
    String partial;
    EXPECT_FALSE(InflateAppend(stored.Bytes(), stored.Length(), partial, Report, &cancelling));
    EXPECT_EQ(cancelling.calls, 1);
    EXPECT_LT(partial.Length(), data.Length());
}

} // namespace
