#include "pack/installer_dump.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/codepage.h"
#include "core/fatal.h"
#include "core/path_text.h"
#include "core/program_title.h"
#include "pack/pack_error.h"
#include "pack/pe_info.h"
#include "setupdata/checksum.h"
#include "setupdata/corruption.h"
#include "setupdata/pe_image.h"
#include "setupdata/settings_stream.h"

namespace {

// The setup data readers end the program on corruption; here they end the dump instead.
struct CorruptionFound {
    int code;
};

void ThrowCorruption(int code) { throw CorruptionFound{code}; }
void ThrowFatal(const char *message) { throw PackError(message); }

// Installs the throwing handlers for the readers' lifetime.
class ReaderFailuresThrow {
public:
    ReaderFailuresThrow()
    {
        SetCorruptionHandler(ThrowCorruption);
        SetFatalDisplay(ThrowFatal);
    }
    ~ReaderFailuresThrow()
    {
        SetCorruptionHandler(nullptr);
        SetFatalDisplay(nullptr);
    }
};

// The installer's file, mapped read-only: the readers take the section in place, as the program
// takes it from its loaded image.
class MappedFile {
public:
    explicit MappedFile(const std::string &path)
    {
        fd_ = open(path.c_str(), O_RDONLY);
        if (fd_ < 0)
            ThrowSystemError("cannot open " + path);
        struct stat st {};
        if (fstat(fd_, &st) != 0)
            ThrowSystemError("cannot read " + path);
        size_ = size_t(st.st_size);
        if (size_ == 0)
            throw PackError(path + " is empty");
        void *p = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd_, 0);
        if (p == MAP_FAILED)
            ThrowSystemError("cannot read " + path);
        bytes_ = static_cast<const uint8_t *>(p);
    }
    ~MappedFile()
    {
        if (bytes_)
            munmap(const_cast<uint8_t *>(bytes_), size_);
        if (fd_ >= 0)
            close(fd_);
    }
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;

    const uint8_t *Bytes() const { return bytes_; }
    size_t Size() const { return size_; }

private:
    int fd_ = -1;
    const uint8_t *bytes_ = nullptr;
    size_t size_ = 0;
};

// Keeps what the settings reader read, for the dump to print.
class KeepValues : public SettingsReadTrace {
public:
    explicit KeepValues(std::vector<DumpedSettingsValue> &values) : values_(values) {}
    void Value(int32_t offset, SettingsForm form, const uint8_t *bytes, int32_t length) override
    {
        values_.push_back(DumpedSettingsValue{offset, form, String(reinterpret_cast<const char *>(bytes), length)});
    }

private:
    std::vector<DumpedSettingsValue> &values_;
};

// Writes one file's content below `folder`; the record name (Windows separators) must stay below it.
void ExtractFile(const std::string &folder, const FileRecord &record, const uint8_t *content, int32_t size)
{
    String wide = PathTextToWide(record.name, kCodePageWindows1252), utf8;
    CodePageFromWide(wide, kCodePageUtf8, nullptr, utf8);
    std::string name(utf8.Bytes(), size_t(utf8.Length()));
    std::replace(name.begin(), name.end(), '\\', '/');
    const std::filesystem::path relative = std::filesystem::path(name).lexically_normal();
    if (relative.empty() || relative.is_absolute() || *relative.begin() == "..")
        throw PackError("the file record \"" + name + "\" names a place outside the folder to extract to");
    const std::filesystem::path target = std::filesystem::path(folder) / relative;
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    FILE *out = std::fopen(target.c_str(), "wb");
    if (!out)
        ThrowSystemError("cannot create " + target.string());
    const bool written = std::fwrite(content, 1, size_t(size), out) == size_t(size);
    if (std::fclose(out) != 0 || !written)
        ThrowSystemError("cannot write " + target.string());
}

void ReadInstaller(const MappedFile &file, InstallerDump &dump, const std::string &extractTo)
{
    SetupSectionLocation location;
    if (!LocateSetupSectionInFile(file.Bytes(), file.Size(), location))
        throw PackError("the file has no .setup section: it is a program, not an installer");
    dump.sectionRawPosition = location.rawDataPosition;
    dump.sectionRawSize = location.rawSize;
    dump.sectionVirtualAddress = location.virtualAddress;
    dump.sectionVirtualSize = location.virtualSize;
    if (location.rawDataPosition > file.Size())
        ReportCorruption(kCorruptionOutOfBounds);
    const uint8_t *section = file.Bytes() + location.rawDataPosition;
    size_t length = file.Size() - location.rawDataPosition;
    length = std::min<size_t>(length, location.MappedLength());

    // A setup data format other than this program's would end the readers with a fatal message
    // meant for the installer's user; say it in the packer's words instead.
    SetupCursor peek(section, length);
    if (peek.ReadUInt32() == kSetupMagic) {
        const char *version = peek.ReadString8();
        if (!DottedVersionsEqual(version, kSetupFormatVersion))
            throw PackError(std::string("the installer's setup data has format version ") + version +
                            "; this packer reads " + kSetupFormatVersion);
    }

    SetupContainer container;
    const String record = OpenSetupContainer(section, length, kInstallerTitle, container);
    if (!SetupScriptChecksumMatches(record, container.header.scriptChecksum))
        ReportCorruption(kCorruptScriptChecksum);
    dump.header = container.header;
    dump.imageChecksum = ImageChecksum(file.Bytes(), location.rawDataPosition, location);

    // The record as the program reads it from a plain command line: not silent, no overrides, no
    // platform to ask.
    SettingsStream stream(record);
    KeepValues keep(dump.settingsRecord);
    stream.SetTrace(&keep);
    SettingsInputs inputs;
    inputs.headerFlags2 = container.header.productFlags2;
    ReadSettings(stream, inputs, dump.settings);

    FileData data;
    const FileDataHooks hooks;
    if (dump.settings.ReadFileDataFromFile) {
        const size_t start = size_t(location.rawDataPosition) + size_t(container.dataOffset);
        CheckFileDataSize(int64_t(file.Size()) - int64_t(start), container.header);
        OpenFileData(data, container, dump.settings.ProductFlags, file.Bytes() + start, hooks);
    } else {
        OpenFileDataInSection(data, container, dump.settings.ProductFlags, hooks);
    }
    for (int32_t i = 0; i < container.header.fileCount; ++i) {
        DumpedFile file;
        SetupCursor cursor = NextFileRecord(data);
        ReadFileRecordHeader(cursor, file.record);
        file.size = container.header.fileSizes[size_t(i)];
        const uint8_t *content = ReadFileContent(cursor, file.size);
        file.contentChecksum = SetupChecksum(content, file.size);
        if (!extractTo.empty())
            ExtractFile(extractTo, file.record, content, file.size);
        dump.files.push_back(std::move(file));
    }
    CloseFileData(data);
}

// ---------------------------------------------------------------------------------------------
// Printing

std::string Utf8(const String &wide)
{
    String utf8;
    CodePageFromWide(wide, kCodePageUtf8, nullptr, utf8);
    return std::string(utf8.Bytes(), size_t(utf8.Length()));
}

// 8-bit texts are Windows-1252, or UTF-8 after a "|" when they are path text.
std::string Narrow(const String &text) { return Utf8(PathTextToWide(text, kCodePageWindows1252)); }

std::string Quoted(const std::string &text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '"')
            out += "\\\"";
        else
            out += c;
    }
    return out + "\"";
}

std::string Bytes(const String &blob)
{
    return blob.Empty() ? "none" : std::to_string(blob.Length()) + " bytes";
}

std::string Date(const DateTime &d)
{
    if (d.month == 0)
        return "none";
    char text[48];
    if (d.hour < 0)
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    else
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", d.year, d.month, d.day,
                      d.hour, d.minute, d.second);
    return text;
}

class Printer {
public:
    explicit Printer(FILE *out) : out_(out) {}

    void Section(const char *title) { std::fprintf(out_, "\n[%s]\n", title); }
    void Line(const char *name, const std::string &value)
    {
        std::fprintf(out_, "  %-28s %s\n", name, value.c_str());
    }
    void Wide(const char *name, const String &value) { Line(name, Quoted(Utf8(value))); }
    void Text(const char *name, const String &value) { Line(name, Quoted(Narrow(value))); }
    void Number(const char *name, int64_t value) { Line(name, std::to_string(value)); }
    void Hex(const char *name, uint64_t value)
    {
        char text[32];
        std::snprintf(text, sizeof text, "0x%" PRIX64, value);
        Line(name, text);
    }

private:
    FILE *out_;
};

std::string HexBytes(const String &bytes)
{
    std::string hex;
    for (int32_t i = 0; i < bytes.Length(); ++i) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", unsigned(bytes.Data()[i]));
        hex += two;
    }
    return hex;
}

// A text the reader took as bytes: shown as wide text when it reads as UTF-16LE (the record's wide
// settings are counted texts too), as 8-bit text when it is printable, else by its size.
std::string TextValue(const String &bytes)
{
    const auto printable = [](const String &wide) {
        for (int32_t i = 0; i < wide.WideLength(); ++i) {
            const char16_t c = wide.Wide()[i];
            if (c < 0x20 && c != u'\r' && c != u'\n' && c != u'\t')
                return false;
        }
        return true;
    };
    bool hasZero = false;
    for (int32_t i = 0; i < bytes.Length(); ++i)
        hasZero = hasZero || bytes.Data()[i] == 0;
    if (hasZero && bytes.Length() % 2 == 0 && bytes.Length() <= 512) {
        const String wide(reinterpret_cast<const char16_t *>(bytes.Data()), bytes.Length() / 2);
        if (printable(wide))
            return "u" + Quoted(Utf8(wide));
    }
    const String wide = PathTextToWide(bytes, kCodePageWindows1252);
    if (!hasZero && bytes.Length() <= 512 && printable(wide))
        return Quoted(Utf8(wide));
    return Bytes(bytes);
}

std::string SettingsValue(const DumpedSettingsValue &v)
{
    const String &b = v.bytes;
    switch (v.form) {
    case SettingsForm::Raw: {
        const int32_t n = b.Length();
        if (n == 1 || n == 2 || n == 4 || n == 8) {
            uint64_t value = 0;
            for (int32_t i = n - 1; i >= 0; --i)
                value = (value << 8) | b.Data()[i];
            char text[64];
            std::snprintf(text, sizeof text, "raw %d   %" PRIu64 " (0x%0*" PRIX64 ")", int(n), value, int(2 * n), value);
            return text;
        }
        return "raw " + std::to_string(n) + "  " + (n <= 32 ? HexBytes(b) : Bytes(b));
    }
    case SettingsForm::Real: {
        double value = 0;
        std::memcpy(&value, b.Data(), sizeof value);
        char text[48];
        std::snprintf(text, sizeof text, "real    %g", value);
        return text;
    }
    case SettingsForm::ZeroEndedWide:
        return "zero-ended wide  " + Quoted(Utf8(b));
    case SettingsForm::ZeroEnded:
        return "zero-ended  " + TextValue(b);
    case SettingsForm::Counted:
        return "counted  " + TextValue(b);
    case SettingsForm::Text1:
        return "text1  " + TextValue(b);
    case SettingsForm::Text2:
        return "text2  " + TextValue(b);
    case SettingsForm::Text4:
        return "text4  " + TextValue(b);
    }
    return std::string();
}

// The record as the reader read it, value by value with its offset: the order and the forms are
// the reader's own (the item table in setupdata/settings.h numbers them).
// The install password is not shown, only that there is one.
void PrintSettingsRecord(FILE *out, const std::vector<DumpedSettingsValue> &values, const String &password)
{
    std::fprintf(out, "\n[settings record as read]\n");
    for (const DumpedSettingsValue &v : values) {
        const bool isPassword = !password.Empty() && v.form == SettingsForm::Counted && v.bytes == password;
        std::fprintf(out, "  0x%06X  %s\n", unsigned(v.offset),
                     isPassword ? "counted  (the install password)" : SettingsValue(v).c_str());
    }
}

} // namespace

InstallerDump DumpInstaller(const std::string &path, const std::string &extractTo)
{
    InstallerDump dump;
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw PackError(path + " is a folder, not an installer");
    const MappedFile file(path);
    dump.fileSize = file.Size();
    PeInfo pe;
    if (!ReadPeInfo(file.Bytes(), file.Size(), pe))
        throw PackError(path + " is not a Windows program, so not an installer");
    dump.signatureBytes = pe.certificateSize;
    const ReaderFailuresThrow failuresThrow;
    try {
        ReadInstaller(file, dump, extractTo);
    } catch (const CorruptionFound &c) {
        throw PackError(path + ": the setup data is corrupt (code " + std::to_string(c.code) +
                        "; the codes are listed in README.md)");
    } catch (const PackError &e) {
        throw PackError(path + ": " + e.what());
    }
    return dump;
}

void PrintInstallerDump(const InstallerDump &dump, FILE *out)
{
    Printer p(out);
    const SetupHeader &h = dump.header;
    p.Section("section");
    p.Number("FileSize", int64_t(dump.fileSize));
    p.Hex("RawDataPosition", dump.sectionRawPosition);
    p.Number("RawSize", dump.sectionRawSize);
    p.Hex("VirtualAddress", dump.sectionVirtualAddress);
    p.Number("VirtualSize", dump.sectionVirtualSize);
    p.Line("Signature", dump.signatureBytes ? "present (" + std::to_string(dump.signatureBytes) +
                                                  " bytes of certificate table)"
                                            : std::string("none"));

    p.Section("header");
    p.Line("Version", std::string(h.version.Bytes(), size_t(h.version.Length())));
    p.Hex("ProductFlags2", h.productFlags2);
    p.Number("ScriptSize", h.scriptSize);
    p.Hex("ScriptChecksum", h.scriptChecksum);
    p.Line("ImageChecksum", [&] {
        char text[64];
        std::snprintf(text, sizeof text, "0x%08X (%s)", h.imageChecksum,
                      h.imageChecksum == dump.imageChecksum ? "matches the program" : "differs");
        return std::string(text);
    }());
    p.Number("DataEnd", h.dataEnd);
    p.Number("FileCount", h.fileCount);
    p.Number("DataSize", h.dataSize);
    p.Hex("DataChecksum", h.dataChecksum);
    p.Line("Protected", h.Protected() ? "yes (Blowfish)" : "no (scrambled script)");

    PrintSettingsRecord(out, dump.settingsRecord, dump.settings.InstallPassword);

    p.Section("files");
    for (const DumpedFile &f : dump.files) {
        const FileRecord &r = f.record;
        std::fprintf(out, "  %s\n", Quoted(Narrow(r.name)).c_str());
        char line[160];
        std::snprintf(line, sizeof line, "type %d, flags 0x%02X, attributes %d, %d bytes, checksum 0x%08X",
                      r.type, r.flags, r.attributes, f.size, f.contentChecksum);
        std::fprintf(out, "      %s, date %s\n", line, Date(r.time).c_str());
        const auto optional = [&](const char *name, const std::string &value) {
            if (value != "\"\"")
                std::fprintf(out, "      %s %s\n", name, value.c_str());
        };
        optional("version/name", Quoted(std::string(r.version.Bytes(), size_t(r.version.Length()))));
        optional("shortcut icon", Quoted(Narrow(r.shortcutIcon)));
        optional("arguments", Quoted(Narrow(r.arguments)));
        optional("destination", Quoted(Utf8(r.destination)));
        optional("working folder", Quoted(Narrow(r.workingFolder)));
        if (r.type == kFileTypeMsiPackage)
            std::fprintf(out, "      MSI UI level %d\n", r.msiUiLevel);
    }
}
