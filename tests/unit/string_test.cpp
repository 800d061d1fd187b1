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
