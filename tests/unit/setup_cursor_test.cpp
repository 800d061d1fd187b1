#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "corruption_capture.h"
#include "setupdata/setup_cursor.h"

namespace {

TEST(SetupCursor, ReadsEachFormAndMovesPastIt)
{
    String bytes;
    AppendInt32(bytes, -2);
    AppendString8(bytes, "text");
    AppendStringW(bytes, String(u"w\u00e9"));
    bytes.Append("RAW", 3);
    AppendDateRecord(bytes, DateTime{2024, 2, 29, 23, 59, 58});

    SetupCursor cursor(bytes.Data(), size_t(bytes.Length()));
    EXPECT_EQ(cursor.ReadInt32(), -2);
    int32_t length = 0;
    EXPECT_STREQ(cursor.ReadString8(&length), "text");
    EXPECT_EQ(length, 4);
    EXPECT_EQ(cursor.Offset(), 9u);
    EXPECT_EQ(cursor.ReadStringW(), String(u"w\u00e9"));
    EXPECT_EQ(cursor.ReadBytes(3), String("RAW"));
    const DateTime date = cursor.ReadDateRecord();
    EXPECT_EQ(date.year, 2024);
    EXPECT_EQ(date.month, 2);
    EXPECT_EQ(date.day, 29);
    EXPECT_EQ(date.hour, 23);
    EXPECT_EQ(date.minute, 59);
    EXPECT_EQ(date.second, 58);
    EXPECT_EQ(cursor.Remaining(), 0u);
}

TEST(SetupCursor, ReadsPastTheEndOfTheRangeAreCorruption)
{
    struct Case {
        const char *name;
        std::vector<uint8_t> bytes;
        std::function<void(SetupCursor &)> read;
    };
    const Case cases[] = {
        {"int32 from three bytes", {1, 2, 3}, [](SetupCursor &c) { c.ReadInt32(); }},
        {"8-bit text without its zero", {'a', 'b'}, [](SetupCursor &c) { c.ReadString8(); }},
        {"wide text without its zero unit", {'a', 0, 'b', 0, 0}, [](SetupCursor &c) { c.ReadStringW(); }},
        {"bytes beyond the range", {1, 2, 3, 4}, [](SetupCursor &c) { c.ReadBytes(5); }},
        {"a negative byte count", {1, 2, 3, 4}, [](SetupCursor &c) { c.ReadBytes(-1); }},
        {"a date record of 23 bytes", std::vector<uint8_t>(23), [](SetupCursor &c) { c.ReadDateRecord(); }},
        {"anything from an empty range", {}, [](SetupCursor &c) { c.ReadString8(); }},
    };
    for (const Case &c : cases) {
        SetupCursor cursor(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(CorruptionCodeOf([&] { c.read(cursor); }), kCorruptionOutOfBounds) << c.name;
    }
}

TEST(SetupCursor, TheRangeEndsTheReadsEvenWhenMemoryGoesOn)
{
    const uint8_t bytes[8] = {1, 0, 0, 0, 2, 0, 0, 0};
    SetupCursor cursor(bytes, 6);
    EXPECT_EQ(cursor.ReadInt32(), 1);
    EXPECT_EQ(CorruptionCodeOf([&] { cursor.ReadInt32(); }), kCorruptionOutOfBounds);
}

} // namespace
