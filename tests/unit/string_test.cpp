#include <gtest/gtest.h>

#include <cstdint>

#include "core/string.h"

TEST(StringStorage, ResizeToZeroFreesTheBufferAndReadsEmpty)
{
    String s("abc");
    s.Resize(0);
    EXPECT_FALSE(s.HasBuffer());
    ASSERT_NE(s.Bytes(), nullptr);
    EXPECT_STREQ(s.Bytes(), "");
}

TEST(StringStorage, WideTextOfThreeUnitsHasLengthSixAndTwoZeroBytes)
{
    String s(u"xyz");
    EXPECT_EQ(s.Length(), 6);
    EXPECT_EQ(s.Bytes()[6], 0);
    EXPECT_EQ(s.Bytes()[7], 0);
}

TEST(StringStorage, TryResizeRefusesWhatCannotBeHadAndKeepsTheText)
{
    String s("abc");
    EXPECT_FALSE(s.TryResize(INT32_MAX));
    EXPECT_STREQ(s.Bytes(), "abc");
    ASSERT_TRUE(s.TryResize(100));
    EXPECT_EQ(s.Length(), 100);
    EXPECT_EQ(s.Bytes()[100], 0);
    EXPECT_EQ(s.Bytes()[101], 0);
    EXPECT_EQ(s.Bytes()[1], 'b');
}

TEST(StringHash, AddsWordsThenSignedTailBytesThenTheLength)
{
    constexpr uint32_t kSeed = 0x79e2bc9d;
    const struct {
        String text;
        uint32_t hash;
    } cases[] = {
        {String(), kSeed},
        {String("abcd"), 0xde461f02},
        {String("a"), kSeed + 0x61 + 1},
        {String("\xff", 1), kSeed - 1 + 1},                        // tail bytes are signed
        {String("abcde"), kSeed + 0x64636261 + 0x65 + 5},
        {String("\xff\xff\xff\xff\x80", 5), kSeed + 0xffffffff - 0x80 + 5},   // wraps
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.text.Hash(), c.hash) << c.text.Bytes();
}
