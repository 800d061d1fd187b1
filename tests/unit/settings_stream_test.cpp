#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setupdata/settings_stream.h"

namespace {

String Bytes(const std::vector<int> &bytes)
{
    String s;
    for (int b : bytes)
        s.AppendByte(static_cast<char>(b));
    return s;
}

String Filled(int32_t length, char byte = 'x')
{
    return String(std::string(size_t(length), byte).c_str(), length);
}

TEST(SettingsStreamRead, PastTheEndCopiesWhatRemainsAndZeroFills)
{
    const String record = Bytes({1, 2, 3});
    SettingsStream in(record);
    uint8_t dest[6] = {9, 9, 9, 9, 9, 9};
    EXPECT_TRUE(in.Read(dest, 2));
    EXPECT_FALSE(in.Read(dest, 6));
    EXPECT_EQ(dest[0], 3);
    for (int i = 1; i < 6; ++i)
        EXPECT_EQ(dest[i], 0) << i;
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(in.ReadU32(), 0u);
}

TEST(SettingsStreamRead, IntegersAreLittleEndian)
{
    const String record = Bytes({0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 1, 2, 3, 4, 5, 6, 7, 8});
    SettingsStream in(record);
    EXPECT_EQ(in.ReadU16(), 0x1234);
    EXPECT_EQ(in.ReadU32(), 0x12345678u);
    EXPECT_EQ(in.ReadU64(), 0x0807060504030201ull);
}

struct CountedCase {
    const char *name;
    std::vector<int> prefix;
    int32_t bytesAfter;        // bytes present after the prefix
    int32_t expectedLength;    // -1: the destination keeps its old value
    bool expectedOk;
};

TEST(SettingsStreamRead, CountedTextPrefixForms)
{
    const CountedCase cases[] = {
        {"one byte", {3}, 3, 3, true},
        {"one byte 254", {254}, 254, 254, true},
        {"three bytes 255 0 1", {255, 0, 1}, 256, 256, true},
        {"three bytes 255 254 255", {255, 254, 255}, 65534, 65534, true},
        {"seven bytes above 65535", {255, 255, 0x70, 0x11, 0x01, 0x00}, 70000, 70000, true},
        {"zero", {0}, 0, 0, true},
        {"negative is empty", {255, 255, 0xFB, 0xFF, 0xFF, 0xFF}, 4, 0, true},
        {"0x40000001 keeps the old value", {255, 255, 0x01, 0x00, 0x00, 0x40}, 8, -1, false},
        {"0x40000000 reads what remains", {255, 255, 0x00, 0x00, 0x00, 0x40}, 5, 5, false},
        {"short text", {10}, 4, 4, false},
        {"prefix cut", {255, 0}, 0, 0, false},
    };
    for (const CountedCase &c : cases) {
        String record = Bytes(c.prefix);
        record.Append(Filled(c.bytesAfter));
        SettingsStream in(record);
        String text("old");
        EXPECT_EQ(in.ReadCountedText(text), c.expectedOk) << c.name;
        if (c.expectedLength < 0)
            EXPECT_EQ(text, String("old")) << c.name;
        else
            EXPECT_EQ(text.Length(), c.expectedLength) << c.name;
    }
}

TEST(SettingsStreamRead, FixedLengthTexts)
{
    String record = Bytes({2, 'a', 'b', 3, 0, 'c', 'd', 'e', 1, 0, 0, 0, 'f', 0xFF, 0xFF, 0xFF, 0xFF});
    SettingsStream in(record);
    String text;
    EXPECT_TRUE(in.ReadText1(text));
    EXPECT_EQ(text, String("ab"));
    EXPECT_TRUE(in.ReadText2(text));
    EXPECT_EQ(text, String("cde"));
    EXPECT_TRUE(in.ReadText4(text));
    EXPECT_EQ(text, String("f"));
    EXPECT_FALSE(in.ReadText4(text)) << "a negative text4 length fails";
    EXPECT_EQ(text, String("f"));
}

TEST(SettingsStreamRead, ZeroEndedTextsLongAndRunningToTheEnd)
{
    const String longText = Filled(612, 'a');
    String record(longText);
    record.AppendByte(0).Append("bc").AppendByte(0).Append("de");
    SettingsStream in(record);
    String text;
    EXPECT_TRUE(in.ReadZeroEnded(text));
    EXPECT_EQ(text, longText);
    EXPECT_EQ(in.Position(), longText.Length() + 1);
    EXPECT_TRUE(in.ReadZeroEnded(text));
    EXPECT_EQ(text, String("bc"));
    EXPECT_FALSE(in.ReadZeroEnded(text)) << "no terminator before the end";
    EXPECT_EQ(text, String("de"));
    EXPECT_TRUE(in.AtEnd());
    EXPECT_FALSE(in.ReadZeroEnded(text));
    EXPECT_TRUE(text.Empty());
}

TEST(SettingsStreamRead, ZeroEndedWideTextsLongAndRunningToTheEnd)
{
    std::u16string units(519, u'\x20AC');
    const String longText(units.c_str());
    String record(longText);
    record.AppendWideChar(0).AppendWide(u"xy").AppendWideChar(0);
    record.AppendByte('z');   // half a unit: read as 'z' with a zero high byte
    SettingsStream in(record);
    String text;
    EXPECT_TRUE(in.ReadZeroEndedWide(text));
    EXPECT_EQ(text, longText);
    EXPECT_TRUE(in.ReadZeroEndedWide(text));
    EXPECT_EQ(text, String(u"xy"));
    EXPECT_FALSE(in.ReadZeroEndedWide(text));
    EXPECT_EQ(text, String(u"z"));
    EXPECT_TRUE(in.AtEnd());
}

TEST(SettingsWriterCountedText, PrefixFormsReadBackExactly)
{
    struct Case {
        int32_t length;
        int prefixBytes;
    };
    const Case cases[] = {{0, 1},   {254, 1},   {255, 6},   {256, 3},   {511, 6},
                          {512, 3}, {65534, 3}, {65535, 6}, {65536, 6}, {70000, 6}};
    for (const Case &c : cases) {
        const String text = Filled(c.length, 'q');
        SettingsWriter out;
        out.WriteCountedText(text);
        out.WriteU8(0x5A);
        ASSERT_TRUE(out.Ok());
        EXPECT_EQ(out.Record().Length(), c.prefixBytes + c.length + 1) << c.length;
        SettingsStream in(out.Record());
        String back;
        EXPECT_TRUE(in.ReadCountedText(back)) << c.length;
        EXPECT_EQ(back, text) << c.length;
        EXPECT_EQ(in.ReadU8(), 0x5A) << c.length;
    }
}

TEST(SettingsWriterForms, RefusesValuesItsFormCannotCarry)
{
    String withZero("a");
    withZero.AppendByte(0).Append("b");
    String wideWithZero(u"a");
    wideWithZero.AppendWideChar(0);
    struct Case {
        const char *name;
        void (*write)(SettingsWriter &, const String &);
        String text;
    };
    const Case cases[] = {
        {"text1 of 256", [](SettingsWriter &w, const String &t) { w.WriteText1(t); }, Filled(256)},
        {"text2 of 65536", [](SettingsWriter &w, const String &t) { w.WriteText2(t); },
         Filled(65536)},
        {"zero byte in a zero-ended text",
         [](SettingsWriter &w, const String &t) { w.WriteZeroEnded(t); }, withZero},
        {"zero unit in a zero-ended wide text",
         [](SettingsWriter &w, const String &t) { w.WriteZeroEndedWide(t); }, wideWithZero},
        {"odd byte count in a wide text",
         [](SettingsWriter &w, const String &t) { w.WriteZeroEndedWide(t); }, String("abc")},
    };
    for (const Case &c : cases) {
        SettingsWriter out;
        c.write(out, c.text);
        EXPECT_FALSE(out.Ok()) << c.name;
    }
    SettingsWriter fits;
    fits.WriteText1(Filled(255));
    fits.WriteText2(Filled(65535));
    EXPECT_TRUE(fits.Ok());
}

} // namespace
