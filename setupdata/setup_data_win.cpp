#include "setupdata/setup_data_win.h"

#include <windows.h>

#include <utility>

#include "core/fatal.h"
#include "core/program_title.h"
#include "setupdata/corruption.h"
#include "setupdata/settings_flags.h"

SetupData g_setupData;

namespace {

constexpr char kFileDataReadFailed[] = "Error code 2: failed to read archive data\r\nsize=%d pos=%d";

// Reads `length` bytes at `offset` of `file` into `buffer` and restores the file position.
bool ReadAt(File &file, int64_t offset, void *buffer, int32_t length)
{
    const int64_t position = file.Position();
    if (position < 0)
        return false;
    const bool read = file.Seek(offset) && file.Read(buffer, length);
    return file.Seek(position) && read;
}

// The part of the file from `offset` to `offset + length` appended to `out`; false when it cannot
// be read (or held: the format's offsets are int32 values).
bool AppendFilePart(File &file, int64_t offset, int64_t length, String &out)
{
    const int64_t start = out.Length();
    if (length < 0 || start + length > INT32_MAX - 2)
        return false;
    if (length == 0)
        return true;
    if (!out.TryResize(int32_t(start + length)))
        return false;
    if (!ReadAt(file, offset, out.MutableBytes() + start, int32_t(length))) {
        out.Resize(int32_t(start));
        return false;
    }
    return true;
}

// The size of the image the loader mapped at `image`, from its own headers (which the loader has
// checked); the section must lie inside it.
uint32_t MappedImageSize(const uint8_t *image)
{
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(image);
    const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(image + dos->e_lfanew);
    return nt->OptionalHeader.SizeOfImage;
}

} // namespace

bool OwnScriptChecksumMatches()
{
    return SetupScriptChecksumMatches(g_setupData.record, g_setupData.container.header.scriptChecksum);
}

bool ReadFileAtOffset(void *context, uint32_t offset, void *buffer, uint32_t length)
{
    return length <= uint32_t(INT32_MAX) && ReadAt(*static_cast<File *>(context), offset, buffer, int32_t(length));
}

bool OpenSetupData(File &file)
{
    return OpenSetupDataInImage(file, reinterpret_cast<const uint8_t *>(GetModuleHandleW(nullptr)));
}

bool OpenSetupDataInImage(File &file, const uint8_t *image)
{
    SetupData &data = g_setupData;
    data.file = &file;
    if (!LocateSetupSection(ReadFileAtOffset, &file, data.section))
        return false;
    if (!file.Seek(data.section.rawDataPosition))
        ReportCorruption(kCorruptionSectionSeek);

    // The file's section table says where the loader put the section; a table that claims more
    // than the loader mapped must not send the reader outside the image.
    const uint64_t mappedEnd = uint64_t(data.section.virtualAddress) + data.section.MappedLength();
    if (mappedEnd > MappedImageSize(image))
        ReportCorruption(kCorruptionOutOfBounds);
    data.record = OpenSetupContainer(image + data.section.virtualAddress, data.section.MappedLength(),
                                     kInstallerTitle, data.container);
    return true;
}

void CheckOwnImageAndPrepareUninstaller(File &file, ImageChecksumTest test)
{
    SetupData &data = g_setupData;
    const SetupSectionLocation &section = data.section;
    data.fileSize = file.Size();
    String image;
    if (data.fileSize < 0 || !AppendFilePart(file, 0, section.rawDataPosition, image))
        ReportCorruption(kCorruptionLeadingPartRead);
    if (test == ImageChecksumTest::Compare)
        CheckImageChecksum(image.Data(), size_t(image.Length()), section, data.container.header.imageChecksum);

    if (!(data.container.header.productFlags2 & ProductFlag2::SeparateUninstaller)) {
        data.uninstallerImage.Clear();
        data.uninstallerSize = data.fileSize;
        return;
    }
    // The trailing part (a signature, or sections placed after ours) belongs to the uninstaller too.
    const int64_t sectionEnd = int64_t(section.rawDataPosition) + section.rawSize;
    String trailing;
    if (!AppendFilePart(file, sectionEnd, data.fileSize - sectionEnd, trailing))
        ReportCorruption(kCorruptionTrailingPartRead);
    BuildUninstallerImage(image, trailing.Data(), size_t(trailing.Length()), section);
    data.uninstallerImage = std::move(image);
    data.uninstallerSize = data.uninstallerImage.Length();
}

void OpenOwnFileData(FileDataSource source, uint64_t productFlags, const FileDataHooks &hooks)
{
    SetupData &data = g_setupData;
    if (source == FileDataSource::LoadedImage) {
        OpenFileDataInSection(data.fileData, data.container, productFlags, hooks);
        return;
    }

    const SetupHeader &header = data.container.header;
    const int64_t position = int64_t(data.section.rawDataPosition) + data.container.dataOffset;
    // A size that cannot be had leaves no bytes available.
    const int64_t fileSize = data.file->Size();
    CheckFileDataSize(fileSize < 0 ? -1 : fileSize - position, header);
    String &block = data.fileData.owned;
    block.Resize(header.dataSize);
    if (header.dataSize > 0 && !ReadAt(*data.file, position, block.MutableBytes(), header.dataSize))
        FatalFormat(kFileDataReadFailed, int(header.dataSize), int(position));
    OpenFileData(data.fileData, data.container, productFlags, block.Data(), hooks);
}
