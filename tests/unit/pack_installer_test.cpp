// The packer end to end: an installer written from a project onto a small PE stub, read back with
// the setup program's own readers (DumpInstaller), and the errors that must leave no output behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/unit/fake_stub.h"
#include "pack/installer_dump.h"
#include "pack/installer_writer.h"
#include "pack/pack_error.h"
#include "pack/project.h"
#include "setupdata/checksum.h"
#include "setupdata/container.h"
#include "setupdata/file_record.h"
#include "setupdata/record_stream.h"
#include "setupdata/settings_flags.h"

namespace fs = std::filesystem;

namespace {

// Past the size of a record that is read whole.
constexpr int32_t kLargeRecordBytes = kStreamedRecordThreshold + (1 << 20);

std::vector<uint8_t> ReadAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string &path, const std::vector<uint8_t> &bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()),
                                                std::streamsize(bytes.size()));
}

class PackInstallerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/ks-pack-installer-XXXXXX";
        dir_ = mkdtemp(pattern);
        stub_ = (dir_ / "stub.exe").string();
        WriteAll(stub_, FakeStub());
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string &name) const { return (dir_ / name).string(); }

    PackOptions Options(const std::string &output) const
    {
        PackOptions o;
        o.stub = stub_;
        o.output = Path(output);
        return o;
    }

    // Names in the scratch folder other than the stub: what a run left behind.
    std::vector<std::string> Leftovers() const
    {
        std::vector<std::string> names;
        for (const auto &e : fs::directory_iterator(dir_))
            if (e.path().filename() != "stub.exe" && e.path().filename() != "payload" &&
                e.path().filename() != "p.toml")
                names.push_back(e.path().filename().string());
        return names;
    }

    // A project over a payload of one text file and one larger file of random bytes (which
    // compression cannot shrink below a few chunks).
    Project SmallProject(const std::string &package)
    {
        fs::create_directories(dir_ / "payload");
        WriteAll(Path("payload/a.txt"), {'h', 'i'});
        std::vector<uint8_t> big(100000);
        std::mt19937 random(7);
        for (uint8_t &b : big)
            b = uint8_t(random());
        WriteAll(Path("payload/big.bin"), big);
        std::ofstream(Path("p.toml")) << "[product]\nname = \"Small\"\n[[files]]\nfrom = \"payload\"\n"
                                      << package;
        return ReadProject(Path("p.toml"));
    }

    fs::path dir_;
    std::string stub_;
};

std::string RecordBytes(const Settings &s)
{
    String record, problem;
    EXPECT_TRUE(WriteSettings(s, record, problem)) << problem.Bytes();
    return std::string(record.Bytes(), size_t(record.Length()));
}

void ExpectSameRecord(const FileRecord &a, const FileRecord &b)
{
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.type, b.type) << a.name.Bytes();
    EXPECT_EQ(a.flags, b.flags) << a.name.Bytes();
    EXPECT_EQ(a.attributes, b.attributes) << a.name.Bytes();
    EXPECT_EQ(a.time, b.time) << a.name.Bytes();
    EXPECT_EQ(a.version, b.version) << a.name.Bytes();
    EXPECT_EQ(a.shortcutIcon, b.shortcutIcon) << a.name.Bytes();
    EXPECT_EQ(a.arguments, b.arguments) << a.name.Bytes();
    EXPECT_EQ(a.destination, b.destination) << a.name.Bytes();
    EXPECT_EQ(a.workingFolder, b.workingFolder) << a.name.Bytes();
    EXPECT_EQ(a.msiUiLevel, b.msiUiLevel) << a.name.Bytes();
}

uint32_t ContentChecksum(const std::string &path)
{
    const std::vector<uint8_t> bytes = ReadAll(path);
    return SetupChecksum(bytes.data(), int64_t(bytes.size()));
}

} // namespace

// Every setting and every file field of the reference project comes back from the installer as
// the program reads it.
TEST_F(PackInstallerTest, TheEverythingProjectReadsBackAsItWasWritten)
{
    const Project project = ReadProject(KS_SOURCE_DIR "/examples/everything/everything.toml");
    const PackSummary summary = PackInstaller(project, Options("everything.exe"));
    const InstallerDump dump = DumpInstaller(Path("everything.exe"));

    // Everything the record carries, byte for byte, through the record writer's eyes...
    EXPECT_EQ(RecordBytes(dump.settings), RecordBytes(project.settings));
    // ...and the values that matter most, spelt out.
    EXPECT_EQ(dump.settings.DisplayName, String(u"Everything Sample"));
    EXPECT_EQ(dump.settings.ProductFlags, project.settings.ProductFlags);
    EXPECT_EQ(dump.settings.ProductFlags2, project.settings.ProductFlags2);
    EXPECT_EQ(dump.header.productFlags2, project.settings.ProductFlags2);
    EXPECT_TRUE(dump.header.Protected());
    EXPECT_EQ(dump.settings.Languages.names, project.settings.Languages.names);
    EXPECT_EQ(dump.settings.Languages.rows, project.settings.Languages.rows);
    EXPECT_EQ(dump.settings.LicenceDocuments.size(), 2u);
    EXPECT_EQ(dump.settings.Shortcuts.size(), 1u);

    ASSERT_EQ(dump.files.size(), project.files.size());
    EXPECT_EQ(summary.files, int(project.files.size()));
    for (size_t i = 0; i < dump.files.size(); ++i) {
        ExpectSameRecord(dump.files[i].record, project.files[i].record);
        EXPECT_EQ(uint64_t(dump.files[i].size), project.files[i].size);
        EXPECT_EQ(dump.files[i].contentChecksum, ContentChecksum(project.files[i].source));
    }
    EXPECT_EQ(dump.header.imageChecksum, dump.imageChecksum);
    EXPECT_EQ(dump.fileSize, summary.installerBytes);
    // The section is padded to the section alignment of the stub.
    EXPECT_EQ(dump.sectionRawSize % 0x1000, 0u);
    EXPECT_EQ(dump.sectionVirtualSize, uint32_t(dump.header.dataEnd));
}

// The ways of storing the file data: records spanning many small chunks, stored or compressed,
// scrambled or encrypted, read from the image or from the file (then the section is unpadded and
// ends the file).
TEST_F(PackInstallerTest, EveryWayOfStoringTheDataReadsBack)
{
    const char *packages[] = {
        "[package]\nchunk_size = 4096\n",
        "[package]\nchunk_size = 4096\ncompress = false\n",
        "[package]\nencrypt = true\nchunk_size = 5000\nlevel = 1\n",
        "[install]\ndata_from_file = true\n[package]\nchunk_size = 4096\nencrypt = true\n",
    };
    for (const char *package : packages) {
        SCOPED_TRACE(package);
        const Project project = SmallProject(package);
        PackInstaller(project, Options("small.exe"));
        const InstallerDump dump = DumpInstaller(Path("small.exe"));
        ASSERT_EQ(dump.files.size(), 2u);
        EXPECT_EQ(dump.files[1].record.name, String("big.bin"));
        EXPECT_EQ(dump.files[1].size, 100000);
        EXPECT_EQ(dump.files[1].contentChecksum, ContentChecksum(Path("payload/big.bin")));
        EXPECT_GT(dump.header.dataSize, 100000 / 2);
        if (project.settings.ReadFileDataFromFile)
            EXPECT_EQ(uint64_t(dump.sectionRawPosition) + uint32_t(dump.header.dataEnd), dump.fileSize);
        else
            EXPECT_EQ(dump.sectionRawSize % 0x1000, 0u);
    }
}

// The packer streams chunks out of the writer; what it receives must be the block the writer would
// have kept, with the size and checksum the header is given.
TEST(PackChunkSink, ReceivesExactlyTheBlockTheWriterWouldHold)
{
    std::vector<uint8_t> content(30000);
    std::mt19937 random(3);
    for (uint8_t &b : content)
        b = uint8_t(random() % 7);
    FileRecord file;
    file.name = String("a.bin");

    FileDataWriter kept(4096, true, 6, nullptr);
    WriteFileRecord(kept, file, content.data(), int32_t(content.size()));
    ASSERT_TRUE(kept.Finish());

    std::string streamed;
    FileDataWriter sunk(4096, true, 6, nullptr);
    sunk.SetChunkSink(
        [](void *context, const void *bytes, int32_t length) {
            static_cast<std::string *>(context)->append(static_cast<const char *>(bytes), size_t(length));
            return true;
        },
        &streamed);
    BeginFileRecord(sunk, file, int32_t(content.size()));
    for (size_t at = 0; at < content.size(); at += 1000)
        sunk.Write(content.data() + at, 1000);
    EndFileRecord(sunk, SetupChecksum(content.data(), int64_t(content.size())));
    ASSERT_TRUE(sunk.Finish());

    EXPECT_TRUE(sunk.Block().Empty());
    EXPECT_EQ(streamed, std::string(kept.Block().Bytes(), size_t(kept.Block().Length())));
    EXPECT_EQ(sunk.DataSize(), int64_t(streamed.size()));
    EXPECT_EQ(sunk.DataChecksum(), SetupChecksum(streamed.data(), int64_t(streamed.size())));
    EXPECT_EQ(kept.DataChecksum(), sunk.DataChecksum());
}

TEST_F(PackInstallerTest, AProductWithoutFilesHasAnEmptyDataBlock)
{
    std::ofstream(Path("p.toml")) << "[product]\nname = \"Nothing\"\n";
    PackInstaller(ReadProject(Path("p.toml")), Options("nothing.exe"));
    const InstallerDump dump = DumpInstaller(Path("nothing.exe"));
    EXPECT_EQ(dump.header.fileCount, 0);
    EXPECT_EQ(dump.header.dataSize, 0);
    EXPECT_TRUE(dump.files.empty());
}

TEST_F(PackInstallerTest, AFailedRunLeavesNoOutputAndKeepsAnOldOne)
{
    const Project project = SmallProject("");

    PackOptions missingStub = Options("out.exe");
    missingStub.stub = Path("no-such-stub.exe");
    EXPECT_THROW(PackInstaller(project, missingStub), PackError);
    EXPECT_TRUE(Leftovers().empty());

    // Writing over the stub itself would destroy the program the next run needs.
    EXPECT_THROW(PackInstaller(project, Options("stub.exe")), PackError);
    EXPECT_EQ(ReadAll(stub_), FakeStub());

    WriteAll(Path("not-a-program.exe"), std::vector<uint8_t>(4096, 'x'));
    PackOptions badStub = Options("out.exe");
    badStub.stub = Path("not-a-program.exe");
    WriteAll(Path("out.exe"), {'o', 'l', 'd'});
    EXPECT_THROW(PackInstaller(project, badStub), PackError);
    EXPECT_EQ(ReadAll(Path("out.exe")), (std::vector<uint8_t>{'o', 'l', 'd'}));
    fs::remove(Path("not-a-program.exe"));

    // A payload file that shrinks after the project was read fails the run half-way.
    WriteAll(Path("payload/big.bin"), {'s', 'h', 'o', 'r', 't'});
    try {
        PackInstaller(project, Options("out.exe"));
        ADD_FAILURE() << "packing a file that changed must fail";
    } catch (const PackError &e) {
        EXPECT_NE(std::string(e.what()).find("changed while it was packed"), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadAll(Path("out.exe")), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(Leftovers(), std::vector<std::string>{"out.exe"});
}

TEST_F(PackInstallerTest, DumpNamesWhatIsWrongWithAFile)
{
    const auto dumpError = [&](const std::string &path) {
        try {
            DumpInstaller(path);
        } catch (const PackError &e) {
            return std::string(e.what());
        }
        return std::string();
    };
    const Project project = SmallProject("");
    PackInstaller(project, Options("small.exe"));
    const std::vector<uint8_t> installer = ReadAll(Path("small.exe"));
    const InstallerDump dump = DumpInstaller(Path("small.exe"));
    // A byte of the file data damaged in transit: the data checksum catches it.
    std::vector<uint8_t> damaged = installer;
    damaged[dump.sectionRawPosition + uint32_t(dump.header.dataEnd) - 10] ^= 0x55;
    WriteAll(Path("damaged.exe"), damaged);
    WriteAll(Path("empty.exe"), {});
    WriteAll(Path("notes.txt"), {'n', 'o', 't', 'e', 's', '\n'});
    WriteAll(Path("cut.exe"), std::vector<uint8_t>(installer.begin(), installer.begin() + 300));
    WriteAll(Path("mz.exe"), {'M', 'Z'});
    fs::create_directories(dir_ / "folder.exe");

    const struct {
        std::string file, message;
    } cases[] = {
        {"folder.exe", "is a folder, not an installer"},
        {"empty.exe", "is empty"},
        {"notes.txt", "is not a Windows program"},
        {"mz.exe", "is not a Windows program"},
        {"cut.exe", "is not a Windows program"},
        {"stub.exe", "no .setup section: it is a program, not an installer"},
        {"damaged.exe", "corrupt (code 55"},
    };
    for (const auto &c : cases) {
        const std::string error = dumpError(Path(c.file));
        EXPECT_NE(error.find(c.message), std::string::npos) << c.file << ": " << error;
    }
}

// A file larger than the records the program holds whole is read in pieces, by the dump and by
// --extract alike, and comes back byte for byte with its checksum.
TEST_F(PackInstallerTest, ExtractStreamsAFileLargerThanAWholeRecord)
{
    fs::create_directories(dir_ / "payload");
    std::vector<uint8_t> large(static_cast<size_t>(kLargeRecordBytes));
    std::mt19937 random(11);
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = i % 3 ? uint8_t(random()) : uint8_t('a' + i % 26);
    WriteAll(Path("payload/large.bin"), large);
    WriteAll(Path("payload/small.txt"), {'s'});
    std::ofstream(Path("p.toml")) << "[product]\nname = \"Large\"\n[package]\nlevel = 1\n[[files]]\nfrom = \"payload\"\n";
    PackInstaller(ReadProject(Path("p.toml")), Options("large.exe"));
    const InstallerDump dump = DumpInstaller(Path("large.exe"), Path("extracted"));
    ASSERT_EQ(dump.files.size(), 2u);
    EXPECT_EQ(dump.files[0].contentChecksum, SetupChecksum(large.data(), int64_t(large.size())));
    EXPECT_TRUE(ReadAll(Path("extracted/large.bin")) == large);
    EXPECT_EQ(ReadAll(Path("extracted/small.txt")), std::vector<uint8_t>{'s'});
}

TEST_F(PackInstallerTest, ChunksCompressedOnManyThreadsGiveTheBytesOfOne)
{
    // Text that compresses and random bytes that do not, over many small chunks.
    fs::create_directories(dir_ / "payload");
    std::string text;
    for (int i = 0; text.size() < 300000; ++i)
        text += "line " + std::to_string(i * 7919 % 1000) + " of the product's read-me\n";
    std::ofstream(Path("payload/text.txt"), std::ios::binary) << text;
    std::vector<uint8_t> noise(300000);
    std::mt19937 random(3);
    for (uint8_t &b : noise)
        b = uint8_t(random());
    WriteAll(Path("payload/noise.bin"), noise);
    std::ofstream(Path("p.toml")) << "[product]\nname = \"Threads\"\n[[files]]\nfrom = \"payload\"\n"
                                     "[package]\nchunk_size = 65536\n";
    const Project project = ReadProject(Path("p.toml"));
    PackOptions one = Options("one.exe");
    one.threads = 1;
    PackOptions many = Options("many.exe");
    many.threads = 7;
    PackInstaller(project, one);
    PackInstaller(project, many);
    EXPECT_TRUE(ReadAll(Path("one.exe")) == ReadAll(Path("many.exe")));

    // Chunks of noise are stored deflate blocks (block type 0 right after the zlib header), the
    // text's are compressed.
    const InstallerDump dump = DumpInstaller(Path("many.exe"));
    const std::vector<uint8_t> installer = ReadAll(Path("many.exe"));
    size_t at = dump.sectionRawPosition + uint32_t(dump.header.dataEnd - dump.header.dataSize);
    const size_t end = dump.sectionRawPosition + uint32_t(dump.header.dataEnd);
    int stored = 0, compressed = 0;
    while (at + 11 <= end) {
        const uint32_t length = uint32_t(installer[at] | installer[at + 1] << 8 | installer[at + 2] << 16 |
                                         installer[at + 3] << 24);
        ((installer[at + 10] >> 1 & 3) == 0 ? stored : compressed) += 1;
        at += 8 + length;
    }
    EXPECT_EQ(at, end);
    EXPECT_GE(stored, 4);      // 300,000 bytes of noise in 64 KiB chunks
    EXPECT_GE(compressed, 1);
}

TEST_F(PackInstallerTest, TheSameTreeGivesTheSameBytesWhateverTheOrderAndFolder)
{
    // Two copies of one product, their files created in opposite orders, in folders of different
    // names, and an encrypted package without a given key.
    const std::vector<std::pair<std::string, std::string>> files = {
        {"b/z.txt", "zeta"}, {"a.txt", "alpha"}, {"b/c/y.dll", "why"}, {"x.bin", std::string(5000, 'x')}};
    const auto makeTree = [&](const std::string &name, bool reverse) {
        const fs::path root = dir_ / name;
        std::vector<std::pair<std::string, std::string>> order = files;
        if (reverse)
            std::reverse(order.begin(), order.end());
        for (const auto &[path, bytes] : order) {
            fs::create_directories((root / "files" / path).parent_path());
            std::ofstream(root / "files" / path, std::ios::binary) << bytes;
            fs::last_write_time(root / "files" / path, fs::file_time_type(std::chrono::hours(480000)));
        }
        std::ofstream(root / "p.toml") << "[product]\nname = \"Same\"\n[package]\nencrypt = true\n"
                                          "[[files]]\nfrom = \"files\"\n";
        return (root / "p.toml").string();
    };
    setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
    PackOptions first = Options("first.exe"), second = Options("second.exe");
    second.threads = 3;
    PackInstaller(ReadProject(makeTree("one", false)), first);
    PackInstaller(ReadProject(makeTree("second-copy", true)), second);
    unsetenv("SOURCE_DATE_EPOCH");
    const std::vector<uint8_t> bytes = ReadAll(Path("first.exe"));
    EXPECT_TRUE(bytes == ReadAll(Path("second.exe")));
    const uint32_t pe = bytes[60] | bytes[61] << 8;
    EXPECT_EQ(uint32_t(bytes[pe + 8] | bytes[pe + 9] << 8 | bytes[pe + 10] << 16 | bytes[pe + 11] << 24),
              1700000000u);
}

// The dump prints the values the reader read, in the reader's order, and nothing of its own: from
// the flag word at offset 0 to the end marker, offsets rising, and the password is named,
// not shown.
TEST_F(PackInstallerTest, DumpShowsTheRecordAsTheReaderReadIt)
{
    const Project project = ReadProject(KS_SOURCE_DIR "/examples/everything/everything.toml");
    PackInstaller(project, Options("everything.exe"));
    const InstallerDump dump = DumpInstaller(Path("everything.exe"));
    const std::vector<DumpedSettingsValue> &values = dump.settingsRecord;
    ASSERT_GT(values.size(), 65u);
    EXPECT_EQ(values.front().offset, 0);
    EXPECT_EQ(values.front().form, SettingsForm::Raw);
    uint64_t flags = 0;
    std::memcpy(&flags, values.front().bytes.Data(), 8);
    EXPECT_EQ(flags, dump.settings.ProductFlags);
    uint32_t marker = 0;
    ASSERT_EQ(values.back().bytes.Length(), 4);
    std::memcpy(&marker, values.back().bytes.Data(), 4);
    EXPECT_EQ(marker, kSettingsEndMarker);
    for (size_t i = 1; i < values.size(); ++i)
        EXPECT_GT(values[i].offset, values[i - 1].offset) << i;

    std::FILE *out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    PrintInstallerDump(dump, out);
    std::rewind(out);
    std::string text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;)
        text.append(buffer, n);
    std::fclose(out);
    EXPECT_NE(text.find("counted  u\"Everything Sample\""), std::string::npos);
    EXPECT_NE(text.find("(the install password)"), std::string::npos);
    EXPECT_EQ(text.find("open sesame"), std::string::npos);
}

TEST_F(PackInstallerTest, ExtractGivesBackEveryPayloadFileByteForByte)
{
    const Project project = ReadProject(KS_SOURCE_DIR "/examples/everything/everything.toml");
    PackInstaller(project, Options("everything.exe"));
    DumpInstaller(Path("everything.exe"), Path("extracted"));
    ASSERT_FALSE(project.files.empty());
    for (const ProjectFile &f : project.files) {
        std::string name(f.record.name.Bytes(), size_t(f.record.name.Length()));
        if (!name.empty() && name[0] == '|')   // path text: UTF-8 after the mark
            name.erase(0, 1);
        std::replace(name.begin(), name.end(), '\\', '/');
        EXPECT_TRUE(ReadAll(Path("extracted/" + name)) == ReadAll(f.source)) << name;
    }
}
