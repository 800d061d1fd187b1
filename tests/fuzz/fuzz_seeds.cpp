// Writes the seed corpus of a fuzz target: well-formed inputs in every storage mode, made with the
// packer's writers so that they follow the format as it is now.
//   fuzz_seeds TARGET DIRECTORY
// Exit code 3 for a target that has no generated seeds (its seeds, if any, are committed files).
#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "setupdata/checksum.h"
#include "setupdata/container.h"
#include "setupdata/file_record.h"
#include "setupdata/pe_image.h"

namespace {

const uint8_t kKey[kSetupKeySize] = {1, 35, 69, 103, 137, 171, 205, 239};

bool Save(const std::string &directory, const std::string &name, const String &bytes)
{
    const std::string path = directory + "/" + name;
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.Bytes(), 1, size_t(bytes.Length()), f) == size_t(bytes.Length());
    return std::fclose(f) == 0 && ok;
}

struct SeedFile {
    FileRecord header;
    String content;
};

SeedFile MakeFile(const char *name, int32_t type, int32_t flags, int32_t size)
{
    SeedFile file;
    file.header.name = name;
    file.header.type = type;
    file.header.flags = flags;
    file.header.time = DateTime{2024, 5, 17, 12, 30, 0};
    file.header.version = "1.2.3";
    file.header.shortcutIcon = "app.ico";
    file.header.arguments = "/quiet";
    file.header.destination = String(u"%InstallDir%\\sub\\");
    file.header.msiUiLevel = 3;
    for (int32_t i = 0; i < size; ++i)
        file.content.AppendByte(char('A' + i % 26));
    return file;
}

const SeedFile kFiles[] = {
    MakeFile("readme.txt", kFileTypeProgram, kFileFlagStartMenuShortcut, 300),
    MakeFile("empty.dat", kFileTypeShared, kFileFlagPermanent, 0),
    MakeFile("package.msi", kFileTypeMsiPackage, 0, 40),
};

String Section(bool protect, bool compress)
{
    SetupHeader header;
    header.version = kSetupFormatVersion;
    header.productFlags2 = protect ? ProductFlag2::Blowfish : 0;
    header.imageChecksum = compress ? 1 : 0;   // the container target's compression switch
    std::memcpy(header.key, kKey, sizeof kKey);
    Blowfish cipher;
    PrepareSetupCipher(header, cipher);
    FileDataWriter writer(128, compress, 6, protect ? &cipher : nullptr);
    for (const SeedFile &file : kFiles)
        WriteFileRecord(writer, file.header, file.content.Bytes(), file.content.Length());
    writer.Finish();
    String section;
    const char *failure = nullptr;
    WriteSetupSection(header, String("settings record: the settings reader's input"), writer, 6,
                      section, &failure);
    return section;
}

// A minimal four-section program image with the section appended.
String ProgramFile(const String &section)
{
    constexpr uint32_t pe = 0x80, table = pe + 24 + 224;
    String stub;
    stub.Resize(0x600);
    uint8_t *b = reinterpret_cast<uint8_t *>(stub.MutableBytes());
    std::memset(b, 0, 0x600);
    b[0] = 'M';
    b[1] = 'Z';
    StoreInt32(b + 60, pe);
    std::memcpy(b + pe, "PE\0\0", 4);
    b[pe + 6] = 4;
    b[pe + 20] = 224;
    StoreInt32(b + pe + 56, 0x1000);
    StoreInt32(b + pe + 60, 0x200);
    StoreInt32(b + pe + 80, 0x3000);
    StoreInt32(b + pe + 84, 0x400);
    const char *names[] = {".text", ".data", ".bss", ".rsrc"};
    for (uint32_t i = 0; i < 4; ++i) {
        std::memcpy(b + table + 40 * i, names[i], std::strlen(names[i]));
        StoreInt32(b + table + 40 * i + 8, 0x100);
        StoreInt32(b + table + 40 * i + 12, int32_t(0x1000 + 0x400 * i));
        if (i % 2 == 0) {
            StoreInt32(b + table + 40 * i + 16, 0x100);
            StoreInt32(b + table + 40 * i + 20, i == 0 ? 0x400 : 0x500);
        }
    }
    String out;
    const char *failure = nullptr;
    SetupHeader header;
    header.version = kSetupFormatVersion;
    AppendSetupSection(stub.Data(), size_t(stub.Length()), section, SetupSectionPadding::None,
                       ImageChecksumFieldOffset(header), out, &failure);
    return out;
}

// A records_fuzz input: prefix, sizes, and the record stream cut into pieces of `piece` bytes.
String RecordsInput(unsigned char mode, size_t piece)
{
    String stream;
    for (const SeedFile &file : kFiles) {
        const String header = WriteFileRecordHeader(file.header);
        AppendInt32(stream, header.Length() + file.content.Length() + 4);
        stream.Append(header);
        stream.Append(file.content);
        AppendInt32(stream, int32_t(SetupChecksum(file.content.Bytes(), file.content.Length())));
    }
    String input;
    input.AppendByte(char(mode | kFuzzFramed));
    input.Append(reinterpret_cast<const char *>(kKey), kSetupKeySize);
    input.AppendByte(char(sizeof kFiles / sizeof kFiles[0]));
    for (const SeedFile &file : kFiles) {
        input.AppendByte(char(file.content.Length() & 0xFF));
        input.AppendByte(char(file.content.Length() >> 8));
    }
    for (int32_t at = 0; at < stream.Length(); at += int32_t(piece)) {
        const int32_t n = stream.Length() - at < int32_t(piece) ? stream.Length() - at : int32_t(piece);
        input.AppendByte(char(n));
        input.Append(stream.Bytes() + at, n);
    }
    return input;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_seeds TARGET DIRECTORY\n");
        return 2;
    }
    const std::string target = argv[1], directory = argv[2];
    bool ok = true;
    if (target == "container_fuzz") {
        for (int mode = 0; mode < 4; ++mode) {
            const String section = Section(mode & 1, mode & 2);
            ok &= Save(directory, "section-" + std::to_string(mode), section);
            ok &= Save(directory, "program-" + std::to_string(mode), ProgramFile(section));
        }
    } else if (target == "records_fuzz") {
        for (unsigned char mode = 0; mode < 4; ++mode) {
            ok &= Save(directory, "framed-" + std::to_string(mode), RecordsInput(mode, 90));
            ok &= Save(directory, "one-chunk-" + std::to_string(mode), RecordsInput(mode, 255));
        }
    } else {
        return 3;
    }
    return ok ? 0 : 1;
}
