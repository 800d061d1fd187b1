// Records taken from the file data in pieces: the same bytes as the whole-record reader, with the
// queue bounded by a chunk.
#include <gtest/gtest.h>

#include <algorithm>

#include "setupdata/record_stream.h"
#include "tests/unit/corruption_capture.h"
#include "tests/unit/payload_support.h"

namespace {

String Content(int32_t size, uint32_t seed)
{
    String s;
    s.Resize(size);
    char *p = s.MutableBytes();
    for (int32_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        p[i] = char(seed >> 24);
    }
    return s;
}

struct Packed {
    String block;
    std::vector<int32_t> sizes;
    SetupContainer container;
};

Packed Pack(const std::vector<Payload> &files, int32_t chunkSize, bool compress)
{
    FileDataWriter writer(chunkSize, compress, 1, nullptr);
    WritePayloads(writer, files);
    EXPECT_TRUE(writer.Finish());
    Packed packed;
    packed.block = writer.Block();
    packed.sizes = writer.FileSizes();
    packed.container.header.dataSize = packed.block.Length();
    packed.container.header.dataChecksum = writer.DataChecksum();
    return packed;
}

Payload File(const char *name, String content)
{
    Payload p;
    p.description.name = name;
    p.description.destination = String(u"C:\\x");
    p.content = std::move(content);
    return p;
}

// Reads record `index` through the stream; returns the content and the checksum matched.
String Stream(FileData &data, int32_t size, int32_t &largestQueue, bool &checksumMatched)
{
    FileRecord record;
    FileRecordStream stream(data, record);
    stream.BeginContent(size);
    String content;
    SetupChecksumAccumulator sum;
    const uint8_t *piece = nullptr;
    for (int32_t n; (n = stream.NextPiece(piece)) > 0;) {
        content.Append(reinterpret_cast<const char *>(piece), n);
        sum.Add(piece, size_t(n));
        largestQueue = std::max(largestQueue, data.queue.Length());
    }
    checksumMatched = stream.Finish() == sum.Result();
    return content;
}

TEST(RecordStream, GivesTheContentChunkByChunkAndLeavesTheNextRecordReadable)
{
    for (bool compress : {false, true}) {
        const std::vector<Payload> files = {File("a.txt", "small"), File("big.bin", Content(100000, 7)),
                                            File("c.txt", "after")};
        Packed packed = Pack(files, 4096, compress);
        EXPECT_EQ(CorruptionCodeOf([&] {
                      FileData data;
                      OpenFileData(data, packed.container, compress ? 0x20 : 0, packed.block.Data(),
                                   FileDataHooks());
                      SetupCursor first = NextFileRecord(data);
                      FileRecord read;
                      ReadFileRecordHeader(first, read);
                      EXPECT_EQ(PeekFileRecordLength(data), int32_t(100000 + 4 + WriteFileRecordHeader(
                                                                                files[1].description).Length()));
                      int32_t largest = 0;
                      bool matched = false;
                      EXPECT_EQ(Stream(data, packed.sizes[1], largest, matched), files[1].content);
                      EXPECT_TRUE(matched);
                      EXPECT_LE(largest, 2 * 4096 + 64) << "the queue holds about a chunk";
                      SetupCursor last = NextFileRecord(data);
                      ReadFileRecordHeader(last, read);
                      EXPECT_EQ(read.name, String("c.txt"));
                      ReadFileContent(last, packed.sizes[2]);
                      CloseFileData(data);
                  }),
                  0)
            << (compress ? "compressed" : "stored");
    }
}

TEST(RecordStream, SizesThatDoNotFitTheRecordAreCorruption)
{
    const std::vector<Payload> files = {File("big.bin", Content(20000, 3))};
    Packed packed = Pack(files, 4096, false);
    struct Case {
        int32_t size;
        int code;
    };
    const Case cases[] = {{-1, 71}, {kMaxFileSize + 1, 72}, {20001, 91}, {20000, 0}};
    for (const Case &c : cases) {
        EXPECT_EQ(CorruptionCodeOf([&] {
                      FileData data;
                      OpenFileData(data, packed.container, 0, packed.block.Data(), FileDataHooks());
                      FileRecord record;
                      FileRecordStream stream(data, record);
                      stream.BeginContent(c.size);
                  }),
                  c.code)
            << c.size;
    }
}

TEST(RecordStream, AChecksumMismatchIsSeenAtTheEnd)
{
    Payload file = File("big.bin", Content(20000, 5));
    FileDataWriter writer(4096, false, 1, nullptr);
    BeginFileRecord(writer, file.description, file.content.Length());
    writer.Write(file.content.Bytes(), file.content.Length());
    EndFileRecord(writer, SetupChecksum(file.content.Bytes(), file.content.Length()) + 1);
    ASSERT_TRUE(writer.Finish());
    SetupContainer container;
    container.header.dataSize = writer.Block().Length();
    container.header.dataChecksum = writer.DataChecksum();
    EXPECT_EQ(CorruptionCodeOf([&] {
                  FileData data;
                  OpenFileData(data, container, 0, writer.Block().Data(), FileDataHooks());
                  int32_t largest = 0;
                  bool matched = true;
                  Stream(data, 20000, largest, matched);
                  EXPECT_FALSE(matched);
              }),
              0);
}

} // namespace
