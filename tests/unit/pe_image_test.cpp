#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "corruption_capture.h"
#include "setupdata/checksum.h"
#include "setupdata/container.h"
#include "setupdata/file_record.h"
#include "setupdata/pe_image.h"
#include "setupdata/setup_cursor.h"

namespace {

constexpr uint32_t kOptionalHeaderSize = 224;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kFileAlignment = 0x200;

struct Section {
    const char *name;
    uint32_t virtualAddress;
    uint32_t rawSize;
    uint32_t rawPosition;
    uint32_t virtualSize = 0;   // 0: the raw size
};

void Put16(String &s, uint32_t at, uint32_t v)
{
    s.MutableBytes()[at] = char(v);
    s.MutableBytes()[at + 1] = char(v >> 8);
}
void Put32(String &s, uint32_t at, uint32_t v)
{
    StoreInt32(reinterpret_cast<uint8_t *>(s.MutableBytes()) + at, int32_t(v));
}
uint32_t Get16(const String &s, uint32_t at) { return uint32_t(s.Data()[at] | s.Data()[at + 1] << 8); }
uint32_t Get32(const String &s, uint32_t at) { return uint32_t(LoadInt32(s.Data() + at)); }

uint32_t TableOffset(uint32_t pe) { return pe + 24 + kOptionalHeaderSize; }

// A PE32 image with the given sections; each section's raw data is filled with its index + 1.
String MakeImage(uint32_t pe, const std::vector<Section> &sections, uint32_t length,
                 uint32_t headersSize, uint32_t imageSize)
{
    String image;
    image.Resize(int32_t(length));
    std::memset(image.MutableBytes(), 0, length);
    image.MutableBytes()[0] = 'M';
    image.MutableBytes()[1] = 'Z';
    Put32(image, 60, pe);
    std::memcpy(image.MutableBytes() + pe, "PE\0\0", 4);
    Put16(image, pe + 4, 0x14C);
    Put16(image, pe + 6, uint32_t(sections.size()));
    Put16(image, pe + 20, kOptionalHeaderSize);
    Put16(image, pe + 24, 0x10B);
    Put32(image, pe + 56, kSectionAlignment);
    Put32(image, pe + 60, kFileAlignment);
    Put32(image, pe + 80, imageSize);
    Put32(image, pe + 84, headersSize);
    uint32_t initialised = 0;
    for (size_t i = 0; i < sections.size(); ++i) {
        const Section &s = sections[i];
        const uint32_t entry = TableOffset(pe) + uint32_t(i) * kSectionEntrySize;
        std::memcpy(image.MutableBytes() + entry, s.name, std::strlen(s.name));
        Put32(image, entry + 8, s.virtualSize ? s.virtualSize : s.rawSize);
        Put32(image, entry + 12, s.virtualAddress);
        Put32(image, entry + 16, s.rawSize);
        Put32(image, entry + 20, s.rawPosition);
        if (s.rawPosition && s.rawPosition + s.rawSize <= length)
            std::memset(image.MutableBytes() + s.rawPosition, int(i + 1), s.rawSize);
        initialised += s.rawSize;
    }
    Put32(image, pe + 32, initialised);
    return image;
}

// A small program image: four sections, headers of 0x400 bytes, everything aligned.
// The stub as an uninstaller image gives it back: the zeros that brought the setup section to a
// page boundary stay behind the last section.
String PaddedToPage(const String &stub)
{
    String padded = stub;
    const int32_t length = (stub.Length() + 0xFFF) & ~0xFFF;
    padded.Resize(length);
    std::memset(padded.MutableBytes() + stub.Length(), 0, size_t(length - stub.Length()));
    return padded;
}

String Stub()
{
    return MakeImage(0x80,
                     {{".text", 0x1000, 0x200, 0x400}, {".data", 0x2000, 0x200, 0x600},
                      {".rdata", 0x3000, 0x200, 0x800}, {".rsrc", 0x4000, 0x200, 0xA00}},
                     0xC00, 0x400, 0x5000);
}

String SectionBytes(int32_t length)
{
    String s;
    s.Resize(length);
    for (int32_t i = 0; i < length; ++i)
        s.MutableBytes()[i] = char(0x40 + i % 50);
    return s;
}

// The image with `count` sections, the last named .setup, and its PE header at `pe`.
String ImageForLimits(uint32_t pe, uint32_t count)
{
    std::vector<Section> sections(count, Section{".text", 0x1000, 0, 0});
    sections.back() = Section{".setup", 0x2000, 0x10, 0x20};
    return MakeImage(pe, sections, TableOffset(pe) + count * kSectionEntrySize + 64, 0, 0);
}

TEST(PeImage, HeaderOffsetAndSectionCountLimits)
{
    struct Case {
        uint32_t pe;
        uint32_t count;
        int code;
    };
    const Case cases[] = {{63, 4, 43},  {64, 4, 0},   {4096, 4, 0}, {4097, 4, 43},
                          {64, 3, 44},  {64, 99, 0},  {64, 100, 44}};
    for (const Case &c : cases) {
        const String image = ImageForLimits(c.pe, c.count);
        SetupSectionLocation location;
        bool found = false;
        EXPECT_EQ(CorruptionCodeOf([&] {
                      found = LocateSetupSectionInFile(image.Data(), size_t(image.Length()), location);
                  }),
                  c.code)
            << c.pe << " " << c.count;
        if (c.code == 0) {
            EXPECT_TRUE(found);
            EXPECT_EQ(location.rawDataPosition, 0x20u);
            EXPECT_EQ(location.rawSize, 0x10u);
            EXPECT_EQ(location.virtualAddress, 0x2000u);
            EXPECT_EQ(location.entryOffset, TableOffset(c.pe) + (c.count - 1) * kSectionEntrySize);
        }
    }
}

TEST(PeImage, SectionNamesMatchExactlyAndTheFirstMatchWins)
{
    struct Case {
        const char *name;
        std::vector<Section> sections;
        int code;
        bool found;
        uint32_t rawPosition;
    };
    const Section text{".text", 0x1000, 0x10, 0x400};
    const Case cases[] = {
        {"no setup section", {text, text, text, text}, 0, false, 0},
        {"other case", {text, text, text, {".SETUP", 0x2000, 0x10, 0x500}}, 0, false, 0},
        {"longer name", {text, text, text, {".setupx", 0x2000, 0x10, 0x500}}, 0, false, 0},
        {"first of two", {text, {".setup", 0x2000, 0x10, 0x500}, text, {".setup", 0x3000, 0x10, 0x600}},
         0, true, 0x500},
        {"no raw data", {text, text, text, {".setup", 0x2000, 0x10, 0}}, 9, true, 0},
    };
    for (const Case &c : cases) {
        const String image = MakeImage(0x80, c.sections, 0x800, 0x400, 0x4000);
        SetupSectionLocation location;
        bool found = false;
        EXPECT_EQ(CorruptionCodeOf([&] {
                      found = LocateSetupSectionInFile(image.Data(), size_t(image.Length()), location);
                  }),
                  c.code)
            << c.name;
        if (c.code == 0) {
            EXPECT_EQ(found, c.found) << c.name;
            if (found) {
                EXPECT_EQ(location.rawDataPosition, c.rawPosition) << c.name;
            }
        }
    }
}

TEST(PeImage, HeadersCutShortAreReadsPastTheEnd)
{
    const String image = ImageForLimits(0x80, 4);
    for (int32_t length : {10, 0x80 + 4, int32_t(TableOffset(0x80)) + 3 * 40 + 5}) {
        SetupSectionLocation location;
        EXPECT_EQ(CorruptionCodeOf([&] { LocateSetupSectionInFile(image.Data(), size_t(length), location); }),
                  kCorruptionOutOfBounds)
            << length;
    }
}

TEST(PeImage, AppendedSectionIsFoundAndCarriesTheImageChecksum)
{
    const String stub = Stub();
    const String section = SectionBytes(5000);
    constexpr int32_t kChecksumField = 20;
    for (SetupSectionPadding padding : {SetupSectionPadding::ToSectionAlignment, SetupSectionPadding::None}) {
        const bool padded = padding == SetupSectionPadding::ToSectionAlignment;
        String out;
        const char *failure = nullptr;
        ASSERT_TRUE(AppendSetupSection(stub.Data(), size_t(stub.Length()), section, padding,
                                       kChecksumField, out, &failure))
            << failure;
        SetupSectionLocation location;
        ASSERT_TRUE(LocateSetupSectionInFile(out.Data(), size_t(out.Length()), location));
        EXPECT_EQ(location.sectionCount, 5u);
        // The stub ends at 0xC00; its section starts on the next page.
        EXPECT_EQ(location.rawDataPosition, 0x1000u);
        EXPECT_EQ(location.virtualAddress, 0x5000u);
        EXPECT_EQ(location.virtualSize, 5000u);
        EXPECT_EQ(location.MappedLength(), 5000u);
        EXPECT_EQ(location.rawSize, padded ? 0x2000u : 5000u);
        EXPECT_EQ(uint32_t(out.Length()), location.rawDataPosition + location.rawSize);
        EXPECT_EQ(Get32(out, 0x80 + 80), 0x7000u);                 // size of image
        EXPECT_EQ(Get32(out, 0x80 + 32), 0x800u + location.rawSize);   // initialised data
        EXPECT_EQ(0, std::memcmp(out.Data() + 0x1000 + kChecksumField + 4,
                                 section.Data() + kChecksumField + 4, 5000 - kChecksumField - 4));
        const uint32_t stored = Get32(out, 0x1000 + kChecksumField);
        EXPECT_EQ(stored, ImageChecksum(out.Data(), location.rawDataPosition, location));
        EXPECT_EQ(CorruptionCodeOf([&] {
                      CheckImageChecksum(out.Data(), location.rawDataPosition, location, stored);
                  }),
                  0);
        EXPECT_EQ(CorruptionCodeOf([&] {
                      CheckImageChecksum(out.Data(), location.rawDataPosition, location, stored + 1);
                  }),
                  kCorruptionImageChecksum);
    }
}

TEST(PeImage, UninstallerImageOfAnAppendedSectionIsTheProgramAgain)
{
    const String stub = Stub();
    for (SetupSectionPadding padding : {SetupSectionPadding::ToSectionAlignment, SetupSectionPadding::None}) {
        String out;
        const char *failure = nullptr;
        ASSERT_TRUE(AppendSetupSection(stub.Data(), size_t(stub.Length()), SectionBytes(5000), padding,
                                       -1, out, &failure));
        SetupSectionLocation location;
        ASSERT_TRUE(LocateSetupSectionInFile(out.Data(), size_t(out.Length()), location));
        String image(out.Bytes(), int32_t(location.rawDataPosition));
        const size_t trailing = size_t(out.Length()) - location.rawDataPosition - location.rawSize;
        EXPECT_EQ(trailing, 0u);
        EXPECT_EQ(CorruptionCodeOf([&] { BuildUninstallerImage(image, nullptr, 0, location); }), 0);
        // Size of image included: the unpadded section is rounded up to the section alignment.
        EXPECT_TRUE(image == PaddedToPage(stub)) << int(padding);
    }
}

TEST(PeImage, UninstallerImageOfASignedInstallerDropsTheCertificate)
{
    const String stub = Stub();
    String out;
    const char *failure = nullptr;
    ASSERT_TRUE(AppendSetupSection(stub.Data(), size_t(stub.Length()), SectionBytes(5000),
                                   SetupSectionPadding::ToSectionAlignment, -1, out, &failure));
    SetupSectionLocation location;
    ASSERT_TRUE(LocateSetupSectionInFile(out.Data(), size_t(out.Length()), location));
    const uint32_t checksum = ImageChecksum(out.Data(), location.rawDataPosition, location);
    // What a signing tool does: the certificate table after the last section, its entry filled
    // in, the PE checksum set.
    const uint32_t certificateAt = uint32_t(out.Length());
    out.Append(String("certificate table of 32 bytes..."));
    uint8_t *bytes = reinterpret_cast<uint8_t *>(out.MutableBytes());
    for (int i = 0; i < 4; ++i) {
        bytes[0x80 + 152 + i] = uint8_t(certificateAt >> (8 * i));
        bytes[0x80 + 156 + i] = uint8_t(32 >> (8 * i));
        bytes[0x80 + 88 + i] = uint8_t(0x5A + i);
    }
    EXPECT_EQ(ImageChecksum(out.Data(), location.rawDataPosition, location), checksum);

    String image(out.Bytes(), int32_t(location.rawDataPosition));
    const uint32_t trailingAt = location.rawDataPosition + location.rawSize;
    BuildUninstallerImage(image, out.Data() + trailingAt, size_t(out.Length()) - trailingAt, location);
    EXPECT_TRUE(image == PaddedToPage(stub));
}

TEST(PeImage, UninstallerImageMovesTheSectionsAfterTheRemovedOne)
{
    // Table order differs from file order: .rsrc comes before .setup in the table but after it in
    // the file. .bss has no raw data.
    const String file = MakeImage(0x80,
                                  {{".text", 0x1000, 0x200, 0x400},
                                   {".rsrc", 0x4000, 0x200, 0xA00},
                                   {".setup", 0x2000, 0x400, 0x600, 0x300},
                                   {".bss", 0x5000, 0, 0, 0x100},
                                   {".reloc", 0x6000, 0x200, 0xC00}},
                                  0xE00, 0x400, 0x7000);
    SetupSectionLocation location;
    ASSERT_TRUE(LocateSetupSectionInFile(file.Data(), size_t(file.Length()), location));
    String image(file.Bytes(), int32_t(location.rawDataPosition));
    const uint32_t trailingAt = location.rawDataPosition + location.rawSize;
    BuildUninstallerImage(image, file.Data() + trailingAt, size_t(file.Length()) - trailingAt, location);

    ASSERT_EQ(image.Length(), 0xE00 - 0x400);
    EXPECT_EQ(Get16(image, 0x80 + 6), 4u);
    EXPECT_EQ(Get32(image, 0x80 + 32), 0xA00u - 0x400u);
    EXPECT_EQ(Get32(image, 0x80 + 80), 0x6000u);
    const uint32_t table = TableOffset(0x80);
    const char *names[] = {".text", ".rsrc", ".bss", ".reloc"};
    const uint32_t rawPositions[] = {0x400, 0x600, 0, 0x800};
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_STREQ(image.Bytes() + table + i * 40, names[i]) << i;
        EXPECT_EQ(Get32(image, table + i * 40 + 20), rawPositions[i]) << names[i];
    }
    for (uint32_t i = 0; i < 40; ++i)
        EXPECT_EQ(image.Bytes()[table + 4 * 40 + i], 0) << i;
    // The sections' data follows the leading part unchanged.
    EXPECT_EQ(0, std::memcmp(image.Data() + 0x600, file.Data() + 0xA00, 0x400));
}

TEST(PeImage, ImageChecksumCoversFromAfterThePeChecksumToTheSection)
{
    String out;
    const char *failure = nullptr;
    const String stub = Stub();
    ASSERT_TRUE(AppendSetupSection(stub.Data(), size_t(stub.Length()), SectionBytes(100),
                                   SetupSectionPadding::None, -1, out, &failure));
    SetupSectionLocation location;
    ASSERT_TRUE(LocateSetupSectionInFile(out.Data(), size_t(out.Length()), location));
    const uint32_t original = ImageChecksum(out.Data(), location.rawDataPosition, location);
    EXPECT_EQ(original, SetupChecksum(out.Data() + 0x80 + 92, location.rawDataPosition - 0x80 - 92));
    struct Case {
        uint32_t at;
        bool counts;
    };
    // The certificate-table entry (optional header + 128, 8 bytes) counts as zero: signing fills
    // it in after the checksum was stored.
    for (const Case &c : {Case{0x80 + 91, false}, Case{0x80 + 92, true}, Case{0x80 + 151, true},
                          Case{0x80 + 152, false}, Case{0x80 + 159, false}, Case{0x80 + 160, true},
                          Case{0xBFF, true}}) {
        String changed = out;
        changed.MutableBytes()[c.at] ^= 0x11;
        EXPECT_EQ(ImageChecksum(changed.Data(), location.rawDataPosition, location) != original, c.counts)
            << c.at;
    }
}

TEST(PeImage, AnInstallerReadsBackAsTheProgramReadsIt)
{
    // The packer's path: files and settings into a section, the section into the program, the
    // image checksum into the header. Then the program's path over the same bytes.
    const String stub = Stub();
    const String settings("settings record");
    FileRecord file;
    file.name = "app.exe";
    const String content = SectionBytes(3000);
    FileDataWriter writer(1000, true, 9, nullptr);
    WriteFileRecord(writer, file, content.Bytes(), content.Length());
    ASSERT_TRUE(writer.Finish());
    SetupHeader header;
    header.version = "36.0";
    header.productFlags2 = ProductFlag2::SeparateUninstaller;
    String section, installer;
    const char *failure = nullptr;
    ASSERT_TRUE(WriteSetupSection(header, settings, writer, 9, section, &failure)) << failure;
    ASSERT_TRUE(AppendSetupSection(stub.Data(), size_t(stub.Length()), section,
                                   SetupSectionPadding::ToSectionAlignment,
                                   ImageChecksumFieldOffset(header), installer, &failure))
        << failure;

    EXPECT_EQ(CorruptionCodeOf([&] {
                  SetupSectionLocation location;
                  ASSERT_TRUE(LocateSetupSectionInFile(installer.Data(), size_t(installer.Length()), location));
                  SetupContainer container;
                  const String record = OpenSetupContainer(installer.Data() + location.rawDataPosition,
                                                           location.MappedLength(), "Kestrival Setup",
                                                           container);
                  EXPECT_TRUE(SetupScriptChecksumMatches(record, container.header.scriptChecksum));
                  EXPECT_EQ(record, settings);
                  String image(installer.Bytes(), int32_t(location.rawDataPosition));
                  CheckImageChecksum(image.Data(), size_t(image.Length()), location,
                                     container.header.imageChecksum);
                  FileData data;
                  OpenFileDataInSection(data, container, ProductFlag::CompressedChunks, FileDataHooks());
                  SetupCursor cursor = NextFileRecord(data);
                  FileRecord read;
                  ReadFileRecordHeader(cursor, read);
                  ReadFileContent(cursor, container.header.fileSizes[0]);
                  CloseFileData(data);
                  BuildUninstallerImage(image, nullptr, 0, location);
                  EXPECT_TRUE(image == PaddedToPage(stub));
              }),
              0);
}

TEST(PeImage, AppendRefusesImagesThatCannotTakeTheSection)
{
    struct Case {
        const char *name;
        std::function<void(String &)> change;
    };
    const Case cases[] = {
        {"no PE signature", [](String &s) { s.MutableBytes()[0x80] = 'X'; }},
        {"setup section present", [](String &s) { std::memcpy(s.MutableBytes() + TableOffset(0x80), ".setup", 6); }},
        {"99 sections already", [](String &s) { Put16(s, 0x80 + 6, 99); }},
        {"headers without room", [](String &s) { Put32(s, 0x80 + 84, TableOffset(0x80) + 4 * 40 + 39); }},
        {"slot after the table in use", [](String &s) { s.MutableBytes()[TableOffset(0x80) + 4 * 40 + 3] = 1; }},
        {"section alignment not a power of two", [](String &s) { Put32(s, 0x80 + 56, 0x1800); }},
    };
    for (const Case &c : cases) {
        String stub = Stub();
        c.change(stub);
        String out;
        const char *failure = nullptr;
        EXPECT_FALSE(AppendSetupSection(stub.Data(), size_t(stub.Length()), SectionBytes(10),
                                        SetupSectionPadding::None, -1, out, &failure))
            << c.name;
        EXPECT_NE(failure, nullptr) << c.name;
    }
}

} // namespace
