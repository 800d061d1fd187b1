#include "pack/installer_dump.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>
#include <filesystem>
#include <memory>
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
#include "setupdata/record_stream.h"
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

// Lets the mapped pages wholly inside [from, to) go: they are read again from the file if touched
// again, so the dump's memory does not grow with the installer's size.
void ReleasePages(const uint8_t *from, const uint8_t *to)
{
    static const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
    const uintptr_t start = (uintptr_t(from) + page - 1) / page * page;
    const uintptr_t end = uintptr_t(to) / page * page;
    if (end > start)
        madvise(reinterpret_cast<void *>(start), end - start, MADV_DONTNEED);
}

void ReleaseCheckedPiece(const uint8_t *piece, size_t length) { ReleasePages(piece, piece + length); }

// One file being written below the folder to extract to; the record name (Windows separators) must
// stay below it.
class ExtractedFile {
public:
    ExtractedFile(const std::string &folder, const FileRecord &record)
    {
        String wide = PathTextToWide(record.name, kCodePageWindows1252), utf8;
        CodePageFromWide(wide, kCodePageUtf8, nullptr, utf8);
        std::string name(utf8.Bytes(), size_t(utf8.Length()));
        std::replace(name.begin(), name.end(), '\\', '/');
        const std::filesystem::path relative = std::filesystem::path(name).lexically_normal();
        if (relative.empty() || relative.is_absolute() || *relative.begin() == "..")
            throw PackError("the file record \"" + name + "\" names a place outside the folder to extract to");
        target_ = (std::filesystem::path(folder) / relative).string();
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(target_).parent_path(), error);
        out_ = std::fopen(target_.c_str(), "wb");
        if (!out_)
            ThrowSystemError("cannot create " + target_);
    }
    ~ExtractedFile()
    {
        if (out_)
            std::fclose(out_);
    }
    ExtractedFile(const ExtractedFile &) = delete;
    ExtractedFile &operator=(const ExtractedFile &) = delete;

    void Write(const uint8_t *bytes, size_t length)
    {
        if (length && std::fwrite(bytes, 1, length, out_) != length)
            ThrowSystemError("cannot write " + target_);
    }
    void Close()
    {
        FILE *out = out_;
        out_ = nullptr;
        if (std::fclose(out) != 0)
            ThrowSystemError("cannot write " + target_);
    }

private:
    std::string target_;
    FILE *out_ = nullptr;
};

// The next file record through the same reader the setup program uses: whole when it is small,
// in pieces when it is larger than a record the program holds in memory.
void ReadNextFile(FileData &data, DumpedFile &file, const std::string &extractTo)
{
    std::unique_ptr<ExtractedFile> out;
    if (PeekFileRecordLength(data) > kStreamedRecordThreshold) {
        FileRecordStream stream(data, file.record);
        stream.BeginContent(file.size);
        if (!extractTo.empty())
            out = std::make_unique<ExtractedFile>(extractTo, file.record);
        SetupChecksumAccumulator sum;
        const uint8_t *piece = nullptr;
        for (int32_t n; (n = stream.NextPiece(piece)) > 0;) {
            sum.Add(piece, size_t(n));
            if (out)
                out->Write(piece, size_t(n));
        }
        file.contentChecksum = sum.Result();
        if (stream.Finish() != file.contentChecksum)
            ReportCorruption(kCorruptionContentChecksum);
    } else {
        SetupCursor cursor = NextFileRecord(data);
        ReadFileRecordHeader(cursor, file.record);
        const uint8_t *content = ReadFileContent(cursor, file.size);
        file.contentChecksum = SetupChecksum(content, file.size);
        if (!extractTo.empty()) {
            out = std::make_unique<ExtractedFile>(extractTo, file.record);
            out->Write(content, size_t(file.size));
        }
    }
    if (out)
        out->Close();
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
    FileDataHooks hooks;
    hooks.blockChecked = ReleaseCheckedPiece;
    if (dump.settings.ReadFileDataFromFile) {
        const size_t start = size_t(location.rawDataPosition) + size_t(container.dataOffset);
        CheckFileDataSize(int64_t(file.Size()) - int64_t(start), container.header);
        OpenFileData(data, container, dump.settings.ProductFlags, file.Bytes() + start, hooks);
    } else {
        OpenFileDataInSection(data, container, dump.settings.ProductFlags, hooks);
    }
    const uint8_t *released = data.block;
    for (int32_t i = 0; i < container.header.fileCount; ++i) {
        DumpedFile file;
        file.size = container.header.fileSizes[size_t(i)];
        ReadNextFile(data, file, extractTo);
        dump.files.push_back(std::move(file));
        // The chunks taken so far are decoded: their pages are not read again.
        ReleasePages(released, data.block);
        released = data.block;
    }
    CloseFileData(data);
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
    ReleasePages(file.Bytes(), file.Bytes() + file.Size());
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

