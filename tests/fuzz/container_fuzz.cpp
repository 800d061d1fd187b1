// Fuzzes the reading of a program file's setup data: with an "MZ" input the PE work (locating the
// section, the image checksum, the uninstaller image) and then the section found in it; otherwise
// the input is the section itself. The header and script are read and checked, then the file data
// and its records. The header's image checksum field, unused on this path, chooses whether chunks
// count as compressed (the real flag lives in the settings record).
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "setupdata/pe_image.h"

namespace {

void ReadSection(const uint8_t *section, size_t length)
{
    SetupContainer container;
    const String record = OpenSetupContainer(section, length, "Kestrival Setup", container);
    if (!SetupScriptChecksumMatches(record, container.header.scriptChecksum))
        return;   // the settings reader would stop here with code 25
    FileData data;
    const uint64_t flags = (container.header.imageChecksum & 1) ? ProductFlag::CompressedChunks : 0;
    OpenFileDataInSection(data, container, flags, FileDataHooks());
    ReadAllFiles(data, container.header.fileSizes);
}

void ReadProgramFile(const uint8_t *file, size_t length)
{
    SetupSectionLocation location;
    if (!LocateSetupSectionInFile(file, length, location))
        return;
    if (location.rawDataPosition > length)
        return;   // the program could not read its leading part (code 35)
    String image(reinterpret_cast<const char *>(file), int32_t(location.rawDataPosition));
    ImageChecksum(image.Data(), size_t(image.Length()), location);
    const uint64_t sectionEnd = uint64_t(location.rawDataPosition) + location.rawSize;
    if (sectionEnd <= length) {
        BuildUninstallerImage(image, file + sectionEnd, size_t(length - sectionEnd), location);
        // The loader maps the section's mapped length; here only the file's bytes exist.
        size_t mapped = location.MappedLength();
        if (mapped > length - location.rawDataPosition)
            mapped = length - location.rawDataPosition;
        ReadSection(file + location.rawDataPosition, mapped);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    InstallFuzzSeams();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    try {
        if (size >= 2 && bytes[0] == 'M' && bytes[1] == 'Z')
            ReadProgramFile(bytes, size);
        else
            ReadSection(bytes, size);
    } catch (const FuzzInputRejected &) {
    }
    return 0;
}
