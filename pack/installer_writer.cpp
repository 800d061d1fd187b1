#include "pack/installer_writer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "pack/build_time.h"
#include "pack/chunk_pipeline.h"
#include "pack/input_guard.h"
#include "pack/output_file.h"
#include "pack/pack_error.h"
#include "pack/progress.h"
#include "pack/project_files.h"
#include "pack/signing.h"
#include "pack/stub_check.h"
#include "setupdata/blowfish.h"
#include "setupdata/checksum.h"
#include "setupdata/container.h"
#include "setupdata/file_record.h"
#include "setupdata/pe_image.h"
#include "setupdata/settings_flags.h"

namespace fs = std::filesystem;

namespace {

// File content is read and handed to the chunk writer in pieces of this size, so that a large file
// never sits in memory whole.
constexpr size_t kReadPiece = 1 << 20;

// Where the chunk writer's chunks go: to the workers that compress them and write them, in order,
// into the output file.
bool SubmitChunk(void *context, const String &chunk)
{
    return static_cast<ChunkPipeline *>(context)->Submit(chunk);
}

// With --werror a warning ends the run like an error, before the output is in place.
void FailOnWarnings(const std::vector<std::string> &warnings, const PackOptions &options)
{
    if (!options.warningsAreErrors || warnings.empty())
        return;
    std::string text = "warnings are errors (--werror):";
    for (const std::string &w : warnings)
        text += "\n  " + w;
    throw PackError(text);
}

// The cipher key when the project gives none: drawn from the settings record (FNV-1a), so that the
// same project gives the same installer. The key travels in the header anyway; its value only
// has to differ between products, not to be secret.
void KeyOfRecord(const String &record, std::array<uint8_t, 8> &key)
{
    uint64_t hash = 0xCBF29CE484222325u;
    for (int32_t i = 0; i < record.Length(); ++i)
        hash = (hash ^ uint8_t(record.Bytes()[i])) * 0x100000001B3u;
    for (uint8_t &b : key)
        b = uint8_t(hash), hash >>= 8;
}

// The output's PE time stamp (file header + 4): the packer's own, not the stub's build time.
void StampOutput(String &leading, const SetupSectionLocation &location)
{
    uint8_t *stamp = reinterpret_cast<uint8_t *>(leading.MutableBytes()) + location.peHeaderOffset + 8;
    const uint32_t t = OutputTimeStamp();
    for (int i = 0; i < 4; ++i)
        stamp[i] = uint8_t(t >> (8 * i));
}

// One file's record into the record stream: the record header, then the content read piece by piece
// from the host file, then its checksum.
void PackFile(const ProjectFile &file, FileDataWriter &data, std::vector<char> &buffer,
              PackProgress &progress, uint64_t &done)
{
    std::ifstream in(file.source, std::ios::binary);
    if (!in)
        ThrowSystemError("cannot open " + file.source);
    BeginFileRecord(data, file.record, int32_t(file.size));
    SetupChecksumAccumulator checksum;
    uint64_t left = file.size;
    const std::string name(file.record.name.Bytes(), file.record.name.Length());
    while (left > 0) {
        const size_t n = size_t(std::min<uint64_t>(left, buffer.size()));
        in.read(buffer.data(), std::streamsize(n));
        if (size_t(in.gcount()) != n)
            throw PackError(file.source + " changed while it was packed (it is shorter than " +
                            std::to_string(file.size) + " bytes)");
        checksum.Add(buffer.data(), n);
        data.Write(buffer.data(), int64_t(n));
        left -= n;
        done += n;
        progress.Update(done, name);
    }
    // A file that grew meanwhile would install a truncated copy without anyone noticing.
    if (in.peek() != std::ifstream::traits_type::eof())
        throw PackError(file.source + " changed while it was packed (it is longer than " +
                        std::to_string(file.size) + " bytes)");
    EndFileRecord(data, checksum.Result());
}

} // namespace

PackSummary PackInstaller(const Project &project, const PackOptions &options)
{
    PackSummary summary;
    summary.warnings = project.warnings;
    CheckOutputPlace(options.output);
    CheckOutputSparesInputs(project, options.stub, options.output);
    const std::vector<uint8_t> stub = ReadStub(options.stub, summary.warnings);
    // Everything that can warn before the payload is read has warned: fail before writing.
    FailOnWarnings(summary.warnings, options);
    const int level = options.level >= 0 ? options.level : project.package.level;
    const int32_t chunkSize = options.chunkSize > 0 ? options.chunkSize : project.package.chunkSize;

    Settings settings = project.settings;
    if (!project.uninstallerDateGiven) {
        const std::optional<int64_t> epoch = SourceDateEpoch();
        settings.UninstallerDate = epoch ? DateOfEpoch(*epoch) : FileModificationDate(options.stub);
    }

    SetupHeader header;
    header.version = String(kSetupFormatVersion);
    header.productFlags2 = settings.ProductFlags2;
    // The flag decides, however it was set ([package] encrypt or a raw product_flags2).
    for (const ProjectFile &file : project.files)
        header.fileSizes.push_back(int32_t(file.size));
    header.fileCount = int32_t(header.fileSizes.size());

    String record, problem;
    if (!WriteSettings(settings, record, problem))
        throw PackError(project.path + ": the settings cannot be stored: " +
                        std::string(problem.Bytes(), problem.Length()));
    if (header.Protected()) {
        std::array<uint8_t, 8> key = project.package.key;
        if (!project.package.keyGiven)
            KeyOfRecord(record, key);
        std::copy(key.begin(), key.end(), header.key);
    }
    String script;
    if (!EncodeSetupScript(record, level, header, script))
        throw PackError(project.path + ": the settings record is too large for an installer "
                                       "(at most 52,428,799 bytes once compressed)");

    // Section padding: with the file data read from the installer's file, the data must end
    // exactly at the end of the file; otherwise the raw size is padded to the section alignment.
    const SetupSectionPadding padding = settings.ReadFileDataFromFile
                                            ? SetupSectionPadding::None
                                            : SetupSectionPadding::ToSectionAlignment;
    const char *failure = nullptr;
    String leading;
    SetupSectionLocation location;
    // The section's place in the file does not depend on its length: the headers are laid out now
    // for the position and again at the end for the final sizes.
    if (!PlanSetupSection(stub.data(), stub.size(), 0, padding, leading, location, &failure))
        throw PackError(options.stub + ": " + failure);

    StampOutput(leading, location);
    OutputFile out(options.output);
    out.Write(leading.Bytes(), size_t(leading.Length()));
    const uint64_t sectionStart = out.Size();
    const String provisionalHeader = WriteSetupHeader(header);
    out.Write(provisionalHeader.Bytes(), size_t(provisionalHeader.Length()));
    out.Write(script.Bytes(), size_t(script.Length()));

    Blowfish cipher;
    PrepareSetupCipher(header, cipher);
    const bool compress = (settings.ProductFlags & ProductFlag::CompressedChunks) != 0;
    ChunkPipeline chunks(out, compress, level, header.Protected() ? &cipher : nullptr, options.threads);
    FileDataWriter data(chunkSize, compress, level, nullptr);
    data.SetRawChunkSink(SubmitChunk, &chunks);

    uint64_t total = 0, done = 0;
    for (const ProjectFile &file : project.files)
        total += file.size;
    PackProgress progress(options.progress, total);
    std::vector<char> buffer(kReadPiece);
    for (const ProjectFile &file : project.files) {
        if (options.verbose)
            std::printf("  %s (%llu bytes, from %s)\n",
                        std::string(file.record.name.Bytes(), file.record.name.Length()).c_str(),
                        static_cast<unsigned long long>(file.size), file.source.c_str());
        PackFile(file, data, buffer, progress, done);
    }
    if (!data.Finish() || !chunks.Finish())
        throw PackError("the file data does not fit an installer (compression failed, or the "
                        "product is larger than the format's 2 GB)");
    progress.Finish();

    if (!SetSetupDataFields(header, data.FileSizes(), chunks.DataSize(), chunks.DataChecksum(), &failure))
        throw PackError(std::string("the installer cannot be written: ") + failure);
    const uint32_t sectionLength = uint32_t(header.dataEnd);
    if (!PlanSetupSection(stub.data(), stub.size(), sectionLength, padding, leading, location, &failure))
        throw PackError(options.output + ": " + failure);
    if (uint64_t(leading.Length()) != sectionStart || location.rawDataPosition != sectionStart)
        throw PackError("the program's layout changed while the installer was written");
    StampOutput(leading, location);
    // Padding of the section, then the headers that depend on its length.
    const std::vector<char> zeros(location.rawSize - sectionLength);
    out.Write(zeros.data(), zeros.size());
    out.WriteAt(0, leading.Bytes(), size_t(leading.Length()));
    header.imageChecksum = ImageChecksum(reinterpret_cast<const uint8_t *>(leading.Bytes()),
                                         size_t(leading.Length()), location);
    const String finalHeader = WriteSetupHeader(header);
    if (finalHeader.Length() != provisionalHeader.Length())
        throw PackError("the setup data header changed its length while the installer was written");
    out.WriteAt(sectionStart, finalHeader.Bytes(), size_t(finalHeader.Length()));

    // The PE checksum of the whole output, as Windows' tools compute it (signing tools set it
    // again for the signed file).
    const uint64_t peChecksumField = location.peHeaderOffset + 88;
    PeChecksum peChecksum(peChecksumField);
    out.ReadBack([&](const void *bytes, size_t length) { peChecksum.Add(bytes, length); });
    uint8_t checksumBytes[4];
    const uint32_t checksumValue = peChecksum.Result();
    for (int i = 0; i < 4; ++i)
        checksumBytes[i] = uint8_t(checksumValue >> (8 * i));
    out.WriteAt(peChecksumField, checksumBytes, 4);

    summary.files = int(project.files.size());
    summary.contentBytes = total;
    summary.dataBytes = uint64_t(chunks.DataSize());
    summary.installerBytes = out.Size();
    FailOnWarnings(summary.warnings, options);
    if (project.package.signCommand.empty())
        out.Commit();
    else
        out.Commit([&](const std::string &file) {
            SignInstaller(project.package.signCommand, file);
            summary.installerBytes = fs::file_size(file);
        });
    return summary;
}
