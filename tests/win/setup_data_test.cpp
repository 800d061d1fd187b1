// The setup data of an installer read as the program reads its own: the section found through the
// file, the header and script read from the image the Windows loader mapped, the image checked and
// the uninstaller image built from the file, the file data taken from the image or the file.
//
// The installers are made here from this test program's own file (the setup section appended as
// the packer appends it) and mapped with LoadLibraryEx as an image, so the loader lays the section
// out exactly as it does for a running installer.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "../unit/corruption_capture.h"
#include "../unit/payload_support.h"
#include "core/fatal.h"
#include "core/file_win.h"
#include "core/wide_win.h"
#include "setupdata/checksum.h"
#include "setupdata/container.h"
#include "setupdata/file_record.h"
#include "setupdata/pe_image.h"
#include "setupdata/settings.h"
#include "setupdata/settings_stream.h"
#include "setupdata/setup_data_win.h"

namespace {

String OwnPath()
{
    wchar_t path[1024];
    const DWORD n = GetModuleFileNameW(nullptr, path, 1024);
    return String(FromWide(path), n > 0 && n < 1024 ? int32_t(n) : 0);
}

String ReadFile(const String &path)
{
    String bytes;
    EXPECT_EQ(ReadWholeFile(path, bytes), 0);
    return bytes;
}

String Content(int32_t length, char seed)
{
    String s;
    s.Resize(length);
    for (int32_t i = 0; i < length; ++i)
        s.MutableBytes()[i] = char(seed + i % 13);
    return s;
}

std::vector<Payload> Payloads()
{
    std::vector<Payload> files(3);
    files[0].description.name = "readme.txt";
    files[0].content = Content(300, 'a');
    files[1].description.name = "bin\\tool.exe";
    files[1].content = Content(90000, 'A');
    files[2].description.name = "empty.dat";
    return files;
}

String SettingsRecord()
{
    Settings s;
    s.DisplayName = u"Setup Data Test";
    s.Languages.names = {String(u"English")};
    s.Languages.rows = {{String(u"row 0")}};
    String record, problem;
    EXPECT_TRUE(WriteSettings(s, record, problem)) << problem.Bytes();
    return record;
}

// How one test installer differs from the plain one.
struct Variant {
    bool padded = true;                 // section padded (false: unpadded, the file's last bytes)
    bool separateUninstaller = true;    // ProductFlags2 0x20
    String overlay;                     // bytes after the section
    // Changes the finished file; `section` is where the setup section lies in it.
    std::function<void(String &file, const SetupSectionLocation &section, const SetupHeader &header)> damage;
};

// A packed installer file, opened and mapped as the running program's would be.
class Installer {
public:
    Installer(const Variant &variant, const wchar_t *name)
    {
        stub_ = ReadFile(OwnPath());
        header_.version = "36.0";
        header_.productFlags2 = variant.separateUninstaller ? ProductFlag2::SeparateUninstaller : 0;
        record_ = SettingsRecord();
        FileDataWriter writer(4096, true, 6, nullptr);
        WritePayloads(writer, Payloads());
        EXPECT_TRUE(writer.Finish());
        String section;
        const char *failure = "";
        EXPECT_TRUE(WriteSetupSection(header_, record_, writer, 6, section, &failure)) << failure;
        EXPECT_TRUE(AppendSetupSection(stub_.Data(), size_t(stub_.Length()), section,
                                       variant.padded ? SetupSectionPadding::ToSectionAlignment
                                                      : SetupSectionPadding::None,
                                       ImageChecksumFieldOffset(header_), bytes_, &failure))
            << failure;
        bytes_.Append(variant.overlay);
        EXPECT_TRUE(LocateSetupSectionInFile(bytes_.Data(), size_t(bytes_.Length()), section_));
        if (variant.damage)
            variant.damage(bytes_, section_, header_);

        wchar_t temp[MAX_PATH + 1];
        EXPECT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
        // The process number keeps a death test's second run of the test off the first run's file.
        path_ = String(FromWide(temp));
        path_.AppendFormatWide(u"%u-", unsigned(GetCurrentProcessId()));
        path_.AppendWide(FromWide(name));
        EXPECT_EQ(WriteWholeFile(path_, bytes_.Bytes(), bytes_.Length()), 0);
        EXPECT_EQ(file_.Open(path_, FileCreation::OpenExisting, FileReadAccess | FileShareRead), 0);
        module_ = LoadLibraryExW(AsWide(path_), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        EXPECT_NE(module_, nullptr) << GetLastError();
    }

    ~Installer()
    {
        g_setupData = SetupData();
        file_.Close();
        if (module_)
            FreeLibrary(module_);
        DeleteFileW(AsWide(path_));
    }

    // The mapped image: the low bits of a module mapped as a resource only mark it so.
    const uint8_t *Image() const
    {
        return reinterpret_cast<const uint8_t *>(reinterpret_cast<uintptr_t>(module_) & ~uintptr_t(3));
    }

    // OpenSetupDataInImage; the code it reported, 0 for none.
    int Open()
    {
        return CorruptionCodeOf([&] { EXPECT_TRUE(OpenSetupDataInImage(file_, Image())); });
    }

    File &file() { return file_; }
    const String &path() const { return path_; }
    const String &bytes() const { return bytes_; }
    const String &stub() const { return stub_; }
    const String &record() const { return record_; }
    const SetupSectionLocation &section() const { return section_; }
    const SetupHeader &header() const { return header_; }

private:
    String stub_;
    String record_;
    SetupHeader header_;
    String bytes_;
    SetupSectionLocation section_;
    String path_;
    File file_;
    HMODULE module_ = nullptr;
};

class SetupDataTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset()
    {
        g_settings = Settings();
        SetCorruptionHandler(nullptr);
    }
};

TEST_F(SetupDataTest, HeaderAndScriptComeFromTheMappedImage)
{
    Installer installer(Variant(), L"ks-setup-data-open.exe");
    ASSERT_EQ(installer.Open(), 0);

    const SetupData &data = g_setupData;
    EXPECT_EQ(data.file, &installer.file());
    EXPECT_EQ(data.section.rawDataPosition, installer.section().rawDataPosition);
    EXPECT_EQ(data.container.section, installer.Image() + installer.section().virtualAddress);
    EXPECT_EQ(data.record, installer.record());
    EXPECT_EQ(data.container.header.fileSizes, (std::vector<int32_t>{300, 90000, 0}));
    EXPECT_EQ(installer.file().Position(), int64_t(installer.section().rawDataPosition));
    EXPECT_EQ(data.container.header.productFlags2, ProductFlag2::SeparateUninstaller);

    // The settings reader asks after its sixth item whether the record is the one the header names.
    EXPECT_TRUE(OwnScriptChecksumMatches());
    SettingsStream stream(g_setupData.record);
    SettingsInputs inputs;
    inputs.hooks.scriptChecksumMatches = OwnScriptChecksumMatches;
    Settings settings;
    EXPECT_EQ(CorruptionCodeOf([&] { ReadSettings(stream, inputs, settings); }), 0);
    EXPECT_EQ(String(settings.DisplayName), String(u"Setup Data Test"));
    g_setupData.record.MutableBytes()[0] ^= 1;
    EXPECT_FALSE(OwnScriptChecksumMatches());
}

TEST_F(SetupDataTest, ProgramWithoutSetupSectionIsInInformationMode)
{
    File self;
    ASSERT_EQ(self.Open(OwnPath(), FileCreation::OpenExisting, FileReadAccess | FileShareRead), 0);
    int code = -1;
    bool found = true;
    code = CorruptionCodeOf([&] { found = OpenSetupData(self); });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(found);
}

TEST_F(SetupDataTest, ReadsAtOffsetsLeaveTheFilePositionAlone)
{
    Installer installer(Variant(), L"ks-setup-data-read.exe");
    File &file = installer.file();
    const String &bytes = installer.bytes();
    ASSERT_TRUE(file.Seek(123));
    const uint32_t offsets[] = {0, 60, uint32_t(bytes.Length()) - 4};
    for (uint32_t offset : offsets) {
        uint8_t read[4] = {};
        EXPECT_TRUE(ReadFileAtOffset(&file, offset, read, 4));
        EXPECT_EQ(std::memcmp(read, bytes.Data() + offset, 4), 0) << offset;
        EXPECT_EQ(file.Position(), 123);
    }
    uint8_t past[8];
    EXPECT_FALSE(ReadFileAtOffset(&file, uint32_t(bytes.Length()) - 4, past, 8));
    EXPECT_EQ(file.Position(), 123);
}

// The image checksum range: from the byte after the PE checksum field to the section's raw data.
constexpr int32_t kInsideChecksumRange = 1;   // first byte of the range
constexpr int32_t kBeforeChecksumRange = -1;  // last byte of the PE checksum field

Variant FlipImageByte(int32_t where)
{
    Variant v;
    v.damage = [where](String &file, const SetupSectionLocation &section, const SetupHeader &) {
        const uint32_t offset = where == kInsideChecksumRange ? section.peHeaderOffset + kImageChecksumRangeStart
                                                              : section.peHeaderOffset + kImageChecksumRangeStart - 1;
        file.MutableBytes()[offset] ^= 0x5A;
    };
    return v;
}

TEST_F(SetupDataTest, ImageChecksumIsComparedOnlyWhenAsked)
{
    struct Case {
        const char *name;
        Variant variant;
        bool check;
        int code;
    };
    const Case cases[] = {
        {"intact, checked", Variant(), true, 0},
        {"byte in the range, checked", FlipImageByte(kInsideChecksumRange), true, kCorruptionImageChecksum},
        {"byte in the range, not checked", FlipImageByte(kInsideChecksumRange), false, 0},
        {"PE checksum field, checked", FlipImageByte(kBeforeChecksumRange), true, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Installer installer(c.variant, L"ks-setup-data-image.exe");
        ASSERT_EQ(installer.Open(), 0);
        EXPECT_EQ(CorruptionCodeOf([&] { CheckOwnImageAndPrepareUninstaller(installer.file(), c.check ? ImageChecksumTest::Compare : ImageChecksumTest::Skip); }), c.code);
    }
}

TEST_F(SetupDataTest, UninstallerImageIsTheProgramWithoutItsSection)
{
    struct Case {
        const char *name;
        bool padded;
        bool separate;
        const char *overlay;
    };
    const Case cases[] = {
        {"padded section", true, true, ""},
        {"unpadded section", false, true, ""},
        {"bytes after the section", true, true, "trailing bytes"},
        {"program copied as it is", true, false, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Variant variant;
        variant.padded = c.padded;
        variant.separateUninstaller = c.separate;
        variant.overlay = c.overlay;
        Installer installer(variant, L"ks-setup-data-uninstaller.exe");
        ASSERT_EQ(installer.Open(), 0);
        ASSERT_EQ(CorruptionCodeOf([&] { CheckOwnImageAndPrepareUninstaller(installer.file(), ImageChecksumTest::Compare); }), 0);

        const SetupData &data = g_setupData;
        EXPECT_EQ(data.fileSize, installer.bytes().Length());
        if (!c.separate) {
            EXPECT_TRUE(data.uninstallerImage.Empty());
            EXPECT_EQ(data.uninstallerSize, installer.bytes().Length());
            continue;
        }
        // Taking the section out gives back the program with its headers as they were, followed by
        // the zero bytes that aligned the section's raw data to the file alignment (this test
        // program ends with an unaligned symbol table) and whatever followed the section.
        String expected = installer.stub();
        while (uint32_t(expected.Length()) < installer.section().rawDataPosition)
            expected.AppendByte(0);
        expected.Append(c.overlay);
        EXPECT_TRUE(data.uninstallerImage == expected);
        EXPECT_EQ(data.uninstallerSize, expected.Length());
    }
}

TEST_F(SetupDataTest, UnreadableImagePartsReportTheirCodes)
{
    Installer installer(Variant(), L"ks-setup-data-parts.exe");
    ASSERT_EQ(installer.Open(), 0);
    const SetupSectionLocation located = g_setupData.section;
    const uint32_t fileSize = uint32_t(installer.bytes().Length());

    // The section table as read claims more than the file holds.
    g_setupData.section.rawDataPosition = fileSize + 1;
    EXPECT_EQ(CorruptionCodeOf([&] { CheckOwnImageAndPrepareUninstaller(installer.file(), ImageChecksumTest::Skip); }), kCorruptionLeadingPartRead);
    g_setupData.section = located;
    g_setupData.section.rawSize = fileSize - located.rawDataPosition + 1;
    EXPECT_EQ(CorruptionCodeOf([&] { CheckOwnImageAndPrepareUninstaller(installer.file(), ImageChecksumTest::Skip); }), kCorruptionTrailingPartRead);
}

Variant DamageSection(int32_t (*offset)(const SetupHeader &), bool padded = true)
{
    Variant v;
    v.padded = padded;
    v.damage = [offset](String &file, const SetupSectionLocation &section, const SetupHeader &header) {
        file.MutableBytes()[section.rawDataPosition + uint32_t(offset(header))] ^= 0x01;
    };
    return v;
}

// A byte of the first chunk's stored bytes, and the low byte of the header's data end.
int32_t ChunkByte(const SetupHeader &header) { return header.dataEnd - header.dataSize + kChunkHeaderSize + 3; }
int32_t DataEndField(const SetupHeader &header) { return ImageChecksumFieldOffset(header) + 4; }

TEST_F(SetupDataTest, FileDataFromTheImageOrTheFile)
{
    Variant unpadded;
    unpadded.padded = false;
    struct Case {
        const char *name;
        Variant variant;
        bool fromFile;
        int code;
    };
    const Case cases[] = {
        {"image", Variant(), false, 0},
        {"file, section at the end", unpadded, true, 0},
        {"image, section at the end", unpadded, false, 0},
        // A padded section leaves bytes after the data block: more available than the data size.
        {"file, padded section", Variant(), true, kCorruptionDataAvailable},
        {"image, data end beyond the data", DamageSection(DataEndField), false, kCorruptionDataAvailable},
        {"image, damaged chunk", DamageSection(ChunkByte), false, kCorruptionDataChecksum},
        {"file, damaged chunk", DamageSection(ChunkByte, false), true, kCorruptionDataChecksum},
    };
    const std::vector<Payload> files = Payloads();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Installer installer(c.variant, L"ks-setup-data-files.exe");
        ASSERT_EQ(installer.Open(), 0);
        const FileDataHooks hooks = CountingHooks();
        const int code = CorruptionCodeOf([&] {
            OpenOwnFileData(c.fromFile ? FileDataSource::ProgramFile : FileDataSource::LoadedImage,
                            ProductFlag::CompressedChunks, hooks);
            EXPECT_EQ(g_waits, 2);
            ExpectPayloadsReadBack(g_setupData.fileData, g_setupData.container.header.fileSizes, files);
        });
        EXPECT_EQ(code, c.code);
        if (c.code == 0) {
            EXPECT_GT(g_statusShown, 1);   // the data spans several chunks
            EXPECT_EQ(g_setupData.fileData.owned.Empty(), !c.fromFile);
        }
    }
}

void PrintFatal(const char *message) { std::fprintf(stderr, "FATAL[%s]\n", message); }

TEST_F(SetupDataTest, FailedFileDataReadEndsWithErrorCode2)
{
    Variant unpadded;
    unpadded.padded = false;
    Installer installer(unpadded, L"ks-setup-data-unreadable.exe");
    ASSERT_EQ(installer.Open(), 0);
    const int32_t size = g_setupData.container.header.dataSize;
    const int64_t position = int64_t(installer.section().rawDataPosition) + g_setupData.container.dataOffset;

    // A copy of the installer opened for writing only: its size is known, its bytes cannot be read.
    String copy = installer.path();
    copy.AppendWide(u".copy");
    ASSERT_EQ(WriteWholeFile(copy, installer.bytes().Bytes(), installer.bytes().Length()), 0);
    File writeOnly;
    ASSERT_EQ(writeOnly.Open(copy, FileCreation::OpenExisting, FileWriteAccess), 0);
    g_setupData.file = &writeOnly;
    char expected[128];
    std::snprintf(expected, sizeof expected, "size=%d pos=%d\\]", int(size), int(position));
    EXPECT_EXIT(
        {
            SetFatalDisplay(PrintFatal);
            OpenOwnFileData(FileDataSource::ProgramFile, ProductFlag::CompressedChunks);
        },
        testing::ExitedWithCode(1),
        std::string("FATAL\\[Error code 2: failed to read archive data") + "\r\n" + expected);
    writeOnly.Close();
    DeleteFileW(AsWide(copy));
}

} // namespace
