#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "core/fatal.h"
#include "corruption_capture.h"
#include "payload_support.h"
#include "setupdata/checksum.h"
#include "setupdata/container.h"
#include "setupdata/file_record.h"
#include "setupdata/scramble.h"
#include "setupdata/zlib_stream.h"

namespace {

constexpr char kTitle[] = "Kestrival Setup";
const uint8_t kKey[kSetupKeySize] = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE};

String Bytes(int32_t length, uint32_t seed)
{
    String s;
    s.Resize(length);
    for (int32_t i = 0; i < length; ++i) {
        seed = seed * 1103515245 + 12345;
        s.MutableBytes()[i] = char(i % 5 == 0 ? int(seed >> 24) : 'a' + i % 7);
    }
    return s;
}

SetupHeader BaseHeader(bool protect)
{
    SetupHeader header;
    header.version = "36.0";
    header.productFlags2 = protect ? ProductFlag2::Blowfish : 0;
    std::memcpy(header.key, kKey, sizeof kKey);
    return header;
}

std::vector<Payload> ThreeFiles()
{
    std::vector<Payload> files(3);
    files[0].description.name = "empty.txt";
    files[1].description.name = "bin\\tool.exe";
    files[1].description.flags = kFileFlagDesktopShortcut;
    files[1].description.shortcutIcon = "tool.ico";
    files[1].content = Bytes(1000, 1);
    files[2].description.name = "setup.msi";
    files[2].description.type = kFileTypeMsiPackage;
    files[2].description.msiUiLevel = 5;
    files[2].description.destination = String(u"%InstallDir%\\pkg\\");
    files[2].content = Bytes(70000, 2);
    return files;
}

String MakeSection(SetupHeader &header, const String &settings, const std::vector<Payload> &files,
                   int32_t chunkSize, bool compress)
{
    Blowfish cipher;
    PrepareSetupCipher(header, cipher);
    FileDataWriter writer(chunkSize, compress, 6, header.Protected() ? &cipher : nullptr);
    WritePayloads(writer, files);
    EXPECT_TRUE(writer.Finish());
    String section;
    const char *failure = nullptr;
    EXPECT_TRUE(WriteSetupSection(header, settings, writer, 6, section, &failure)) << failure;
    return section;
}

TEST(SetupContainer, SectionsWrittenByThePackerReadBack)
{
    struct Case {
        bool protect;
        bool compress;
        int32_t chunkSize;
    };
    const Case cases[] = {{false, false, 5},     {false, true, 64},   {true, false, 64},
                          {true, true, 5},       {false, true, 1 << 16}, {true, true, 1 << 20}};
    const String settings = Bytes(5000, 3);
    const std::vector<Payload> files = ThreeFiles();
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.protect << c.compress << c.chunkSize);
        SetupHeader written = BaseHeader(c.protect);
        const String section = MakeSection(written, settings, files, c.chunkSize, c.compress);

        const int code = CorruptionCodeOf([&] {
            SetupContainer container;
            const String record =
                OpenSetupContainer(section.Data(), size_t(section.Length()), kTitle, container);
            EXPECT_EQ(record, settings);
            EXPECT_TRUE(SetupScriptChecksumMatches(record, container.header.scriptChecksum));
            EXPECT_EQ(container.header.fileSizes, (std::vector<int32_t>{0, 1000, 70000}));
            EXPECT_EQ(container.dataOffset + container.header.dataSize, section.Length());
            EXPECT_EQ(container.header.dataEnd, section.Length());

            FileData data;
            OpenFileDataInSection(data, container, c.compress ? ProductFlag::CompressedChunks : 0,
                                  FileDataHooks());
            ExpectPayloadsReadBack(data, container.header.fileSizes, files);
        });
        EXPECT_EQ(code, 0);
    }
}

TEST(SetupContainer, StoredScriptIsScrambledOrEncryptedCompressedRecord)
{
    const String record = Bytes(3000, 4);
    String compressed;
    ASSERT_TRUE(DeflateAppend(record.Bytes(), record.Length(), 6, compressed));

    SetupHeader plain = BaseHeader(false);
    String stored;
    ASSERT_TRUE(EncodeSetupScript(record, 6, plain, stored));
    String expected = compressed;
    ScrambleSetupScript(expected.MutableBytes(), size_t(expected.Length()),
                        SetupChecksum(record.Bytes(), record.Length()));
    EXPECT_EQ(stored, expected);
    EXPECT_EQ(plain.scriptSize, stored.Length());
    EXPECT_EQ(plain.scriptChecksum, SetupChecksum(record.Bytes(), record.Length()));

    SetupHeader protect = BaseHeader(true);
    ASSERT_TRUE(EncodeSetupScript(record, 6, protect, stored));
    Blowfish cipher;
    cipher.SetKey(kKey, kSetupKeySize);
    expected = compressed;
    cipher.EncryptProtected(expected);
    EXPECT_EQ(stored, expected);
}

TEST(SetupContainer, DamagedScriptsFailTheChecksum)
{
    const String record = Bytes(3000, 5);
    for (bool protect : {false, true}) {
        SetupHeader header = BaseHeader(protect);
        String stored;
        ASSERT_TRUE(EncodeSetupScript(record, 6, header, stored));
        Blowfish cipher;
        PrepareSetupCipher(header, cipher);

        // A protected block whose length is not whole blocks stays unchanged; a flipped byte in
        // a scrambled one damages the stream.
        String damaged = stored;
        if (protect)
            damaged.Resize(damaged.Length() - 1);
        else
            damaged.MutableBytes()[damaged.Length() / 2] ^= 0x5A;
        bool matches = true;
        EXPECT_EQ(CorruptionCodeOf([&] {
                      matches = SetupScriptChecksumMatches(DecodeSetupScript(damaged, header, cipher),
                                                           header.scriptChecksum);
                  }),
                  0)
            << protect;
        EXPECT_FALSE(matches) << protect;
    }
}

TEST(SetupContainer, ImageChecksumFieldOffsetPointsAtFieldSix)
{
    SetupHeader header = BaseHeader(false);
    header.version = "36.0.0.0";
    header.imageChecksum = 0x12345678;
    header.fileSizes = {1, 2};
    const String stored = WriteSetupHeader(header);
    EXPECT_EQ(stored.Length(), SetupHeaderSize(header));
    EXPECT_EQ(uint32_t(LoadInt32(stored.Data() + ImageChecksumFieldOffset(header))), 0x12345678u);
}

struct HeaderCase {
    const char *name;
    std::function<void(SetupHeader &)> change;
    int code;
    int32_t cut = 0;   // bytes taken off the end of the stored header
};

TEST(SetupContainer, HeaderLimitsAtTheirBoundariesInFieldOrder)
{
    const HeaderCase cases[] = {
        {"valid", [](SetupHeader &) {}, 0},
        {"wrong magic", [](SetupHeader &h) { h.magic = 0xA4F23DE4; h.scriptSize = 0; }, 20},
        {"script size 0", [](SetupHeader &h) { h.scriptSize = 0; }, 22},
        {"script size 1", [](SetupHeader &h) { h.scriptSize = 1; }, 0},
        {"script size 0x31FFFFF", [](SetupHeader &h) { h.scriptSize = 0x31FFFFF; }, 0},
        {"script size 0x3200000", [](SetupHeader &h) { h.scriptSize = 0x3200000; }, 22},
        {"negative script size", [](SetupHeader &h) { h.scriptSize = -1; }, 22},
        {"negative data end", [](SetupHeader &h) { h.dataEnd = -1; h.fileCount = -1; }, 45},
        {"negative file count", [](SetupHeader &h) { h.fileCount = -1; h.dataSize = -1; }, 27},
        {"negative data size", [](SetupHeader &h) { h.dataSize = -1; }, 29},
        {"file size 0x40000000",
         [](SetupHeader &h) { h.fileCount = 2; h.fileSizes = {0, 0x40000000}; }, 0},
        {"file size 0x40000001",
         [](SetupHeader &h) { h.fileCount = 2; h.fileSizes = {0, 0x40000001}; }, 28},
        {"negative file size", [](SetupHeader &h) { h.fileCount = 1; h.fileSizes = {-1}; }, 28},
        {"more sizes than the section holds", [](SetupHeader &h) { h.fileCount = 0x7FFFFFFF; }, 91},
        {"key cut short", [](SetupHeader &h) { h.productFlags2 = ProductFlag2::Blowfish; }, 91, 1},
    };
    for (const HeaderCase &c : cases) {
        SetupHeader written = BaseHeader(false);
        written.scriptSize = 100;
        c.change(written);
        String stored = WriteSetupHeader(written);
        stored.Resize(stored.Length() - c.cut);
        SetupHeader read;
        EXPECT_EQ(CorruptionCodeOf([&] {
                      SetupCursor cursor(stored.Data(), size_t(stored.Length()));
                      ReadSetupHeader(cursor, kTitle, read);
                  }),
                  c.code)
            << c.name;
        if (c.code == 0) {
            EXPECT_EQ(read.fileSizes, written.fileSizes) << c.name;
            EXPECT_EQ(read.scriptSize, written.scriptSize) << c.name;
        }
    }
}

TEST(SetupContainer, FormatVersionsCompareAsDottedNumbers)
{
    struct Case {
        const char *a, *b;
        bool equal;
    };
    const Case cases[] = {{"36.0", "36.0", true},   {"36.00", "36.0", true}, {"036.0", "36.0", true},
                          {"36", "36.0", false},    {"36.0.0", "36.0", false}, {"35.0", "36.0", false},
                          {"", "36.0", false},      {"36.1", "36.0", false},
                          {"36.0beta", "36.0", true}, {"3x6.0", "36.0", false}};
    for (const Case &c : cases) {
        EXPECT_EQ(DottedVersionsEqual(c.a, c.b), c.equal) << c.a << " " << c.b;
        EXPECT_EQ(DottedVersionsEqual(c.b, c.a), c.equal) << c.b << " " << c.a;
    }
}

void PrintFatal(const char *message) { std::fprintf(stderr, "FATAL[%s]\n", message); }

TEST(SetupContainerDeathTest, AnotherFormatVersionEndsWithTheVersionMessage)
{
    SetupHeader written = BaseHeader(false);
    written.version = "35.1";
    written.scriptSize = 1;
    const String stored = WriteSetupHeader(written);
    EXPECT_EXIT(
        {
            SetFatalDisplay(PrintFatal);
            SetupCursor cursor(stored.Data(), size_t(stored.Length()));
            SetupHeader read;
            ReadSetupHeader(cursor, kTitle, read);
        },
        testing::ExitedWithCode(1),
        "FATAL\\[The installer version \\(36\\.0\\) does not match the version of Kestrival Setup "
        "\\(35\\.1\\)\\.  Close all applications and reinstall Kestrival Setup\\.\\]");
}

// ---------------------------------------------------------------------------------------------
// File data

String Framed(const String &stored, int32_t sizeDelta = 0, uint32_t checksumDelta = 0)
{
    String chunk;
    AppendInt32(chunk, stored.Length() + sizeDelta);
    AppendInt32(chunk, int32_t(SetupChecksum(stored.Bytes(), stored.Length()) + checksumDelta));
    chunk.Append(stored);
    return chunk;
}

String Record(const String &body, int32_t lengthDelta = 0)
{
    String record;
    AppendInt32(record, body.Length() + lengthDelta);
    record.Append(body);
    return record;
}

SetupContainer ContainerFor(const String &block)
{
    SetupContainer container;
    container.header.dataSize = block.Length();
    container.header.dataChecksum = SetupChecksum(block.Bytes(), block.Length());
    return container;
}

// Opens the block, takes `records` records and closes it; the corruption code reported.
int ReadBlock(const String &block, int records)
{
    const SetupContainer container = ContainerFor(block);
    return CorruptionCodeOf([&] {
        FileData data;
        OpenFileData(data, container, 0, block.Data(), FileDataHooks());
        for (int i = 0; i < records; ++i)
            NextFileRecord(data);
        CloseFileData(data);
    });
}

TEST(FileData, ChunkAndRecordFaultsReportTheirCodes)
{
    const String one = Record("first record");
    struct Case {
        const char *name;
        String block;
        int records;
        int code;
    };
    const Case cases[] = {
        {"well formed", Framed(one), 1, 0},
        {"chunk size 0", Framed(one, -one.Length()), 1, 61},
        {"negative chunk size", Framed(one, -one.Length() - 5), 1, 61},
        {"chunk larger than the rest of the block", Framed(one, 1), 1, 63},
        {"chunk checksum differs", Framed(one, 0, 1), 1, 62},
        {"block left over", String(Framed(one)).Append(Framed("x")), 1, 80},
        {"decoded bytes left over", Framed(String(one).Append("xyz")), 1, 83},
        {"chunk header cut off", String(Framed(one)).Append("abc"), 2, 91},
        {"negative record length", Framed(Record("body", -10)), 1, 91},
        {"record longer than the data", Framed(Record("body", 1)), 1, 91},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ReadBlock(c.block, c.records), c.code) << c.name;
}

TEST(FileData, ARecordSpanningTwoChunksIsReturnedOnlyAfterBoth)
{
    const String body = Bytes(300, 6);
    const String stream = Record(body);
    const String block = String(Framed(String(stream.Bytes(), 100)))
                             .Append(Framed(String(stream.Bytes() + 100, stream.Length() - 100)));
    const SetupContainer container = ContainerFor(block);
    const FileDataHooks hooks = CountingHooks();
    EXPECT_EQ(CorruptionCodeOf([&] {
                  FileData data;
                  OpenFileData(data, container, 0, block.Data(), hooks);
                  EXPECT_EQ(g_waits, 2);
                  SetupCursor record = NextFileRecord(data);
                  EXPECT_EQ(g_statusShown, 2);
                  EXPECT_EQ(data.remaining, 0);
                  EXPECT_EQ(record.ReadBytes(int32_t(record.Remaining())), body);
                  CloseFileData(data);
              }),
              0);
}

TEST(FileData, SeveralRecordsOfOneChunkNeedOneDecode)
{
    const String block = Framed(String(Record("a")).Append(Record("bb")).Append(Record("")));
    const SetupContainer container = ContainerFor(block);
    const FileDataHooks hooks = CountingHooks();
    EXPECT_EQ(CorruptionCodeOf([&] {
                  FileData data;
                  OpenFileData(data, container, 0, block.Data(), hooks);
                  EXPECT_EQ(NextFileRecord(data).ReadBytes(1), String("a"));
                  EXPECT_EQ(NextFileRecord(data).ReadBytes(2), String("bb"));
                  EXPECT_EQ(NextFileRecord(data).Remaining(), 0u);
                  CloseFileData(data);
              }),
              0);
    EXPECT_EQ(g_statusShown, 1);
}

TEST(FileData, BlockInTheSectionIsCheckedForSizeChecksumAndBounds)
{
    SetupHeader written = BaseHeader(false);
    const String section = MakeSection(written, Bytes(100, 7), ThreeFiles(), 4096, true);
    struct Case {
        const char *name;
        std::function<void(SetupContainer &, String &)> change;
        int code;
    };
    const Case cases[] = {
        {"as written", [](SetupContainer &, String &) {}, 0},
        {"data end one beyond the data", [](SetupContainer &c, String &) { ++c.header.dataEnd; }, 46},
        {"data end one short", [](SetupContainer &c, String &) { --c.header.dataEnd; }, 46},
        {"data byte changed",
         [](SetupContainer &c, String &s) { s.MutableBytes()[c.dataOffset + 3] ^= 1; }, 55},
        {"section shorter than the data end",
         [](SetupContainer &c, String &) { --c.sectionLength; }, 91},
    };
    for (const Case &c : cases) {
        String copy = section;
        EXPECT_EQ(CorruptionCodeOf([&] {
                      SetupContainer container;
                      OpenSetupContainer(copy.Data(), size_t(copy.Length()), kTitle, container);
                      c.change(container, copy);
                      FileData data;
                      OpenFileDataInSection(data, container, ProductFlag::CompressedChunks,
                                            FileDataHooks());
                  }),
                  c.code)
            << c.name;
    }
}

TEST(FileDataWriter, RefusesRecordsThatDoNotMatchTheirLength)
{
    FileDataWriter shortRecord(64, false, 6, nullptr);
    shortRecord.BeginRecord(10, 0);
    shortRecord.Write("123456789", 9);
    EXPECT_FALSE(shortRecord.Finish());

    FileDataWriter overrun(64, false, 6, nullptr);
    overrun.BeginRecord(2, 0);
    overrun.Write("123", 3);
    EXPECT_FALSE(overrun.Finish());

    FileDataWriter tooLarge(64, false, 6, nullptr);
    tooLarge.BeginRecord(0, 0x40000001);
    EXPECT_FALSE(tooLarge.Finish());

    FileDataWriter exact(4, false, 6, nullptr);
    exact.BeginRecord(3, 3);
    exact.Write("abc", 3);
    ASSERT_TRUE(exact.Finish());
    // 7 stream bytes in chunks of 4: two chunks of 4 and 3 bytes.
    EXPECT_EQ(exact.Block().Length(), 8 + 4 + 8 + 3);
    EXPECT_EQ(exact.FileSizes(), std::vector<int32_t>{3});
}

} // namespace
