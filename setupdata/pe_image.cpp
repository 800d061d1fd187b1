#include "setupdata/pe_image.h"

#include <cstring>

#include "setupdata/checksum.h"
#include "setupdata/corruption.h"
#include "setupdata/setup_cursor.h"

namespace {

constexpr uint32_t kSectionCountField = 6;
constexpr uint32_t kOptionalHeaderSizeField = 20;
constexpr uint32_t kOptionalHeaderStart = 24;
constexpr uint32_t kInitializedDataField = 32;
constexpr uint32_t kSectionAlignmentField = 56;
constexpr uint32_t kFileAlignmentField = 60;
constexpr uint32_t kImageSizeField = 80;
constexpr uint32_t kHeadersSizeField = 84;

constexpr uint32_t kEntryNameSize = 8;
constexpr uint32_t kEntryVirtualSize = 8;
constexpr uint32_t kEntryVirtualAddress = 12;
constexpr uint32_t kEntryRawSize = 16;
constexpr uint32_t kEntryRawDataPosition = 20;
constexpr uint32_t kEntryCharacteristics = 36;
constexpr uint32_t kEntryFieldsRead = 24;   // name to raw data position
constexpr uint32_t kPeChecksumField = 88;
// The optional header's certificate-table entry (data directory 4: file offset and size), which a
// signing tool fills in after the installer is written.
constexpr uint32_t kCertificateEntryField = kOptionalHeaderStart + 96 + 4 * 8;
constexpr uint32_t kCertificateEntrySize = 8;

static_assert(kEntryCharacteristics + 4 == kSectionEntrySize, "a section entry is 40 bytes");
static_assert(kEntryRawDataPosition + 4 == kEntryFieldsRead, "the fields read end at the raw data position");
static_assert(kPeChecksumField + 4 == kImageChecksumRangeStart,
              "the image checksum starts right after the PE checksum field");

// IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_READ: mapped, read-only data.
constexpr uint32_t kSetupSectionCharacteristics = 0x40000040;
constexpr char kPeSignature[4] = {'P', 'E', 0, 0};

uint16_t Load16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Load32(const uint8_t *p) { return uint32_t(LoadInt32(p)); }
void Store16(uint8_t *p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void Store32(uint8_t *p, uint32_t v) { StoreInt32(p, int32_t(v)); }

uint64_t AlignUp(uint64_t value, uint32_t alignment)
{
    return alignment ? (value + alignment - 1) / alignment * alignment : value;
}

bool IsNamedSetup(const uint8_t *name)
{
    char text[kEntryNameSize + 1] = {};
    std::memcpy(text, name, kEntryNameSize);
    return std::strcmp(text, kSetupSectionName) == 0;
}

void ReadOrCorrupt(ReadAtOffset read, void *context, uint64_t offset, void *buffer, uint32_t length)
{
    if (offset + length > UINT32_MAX || !read(context, uint32_t(offset), buffer, length))
        ReportCorruption(kCorruptionOutOfBounds);
}

struct MemoryFile {
    const uint8_t *bytes;
    size_t length;
};

bool ReadFromMemory(void *context, uint32_t offset, void *buffer, uint32_t length)
{
    const MemoryFile *file = static_cast<const MemoryFile *>(context);
    if (offset > file->length || length > file->length - offset)
        return false;
    std::memcpy(buffer, file->bytes + offset, length);
    return true;
}

} // namespace

bool LocateSetupSection(ReadAtOffset read, void *context, SetupSectionLocation &location)
{
    uint8_t field[4];
    ReadOrCorrupt(read, context, kPeHeaderOffsetField, field, 2);
    const uint32_t pe = Load16(field);
    if (pe < kMinPeHeaderOffset || pe > kMaxPeHeaderOffset)
        ReportCorruption(kCorruptionPeHeaderOffset);
    ReadOrCorrupt(read, context, pe + kSectionCountField, field, 2);
    const uint32_t count = Load16(field);
    if (count < kMinSectionCount || count > kMaxSectionCount)
        ReportCorruption(kCorruptionSectionCount);
    ReadOrCorrupt(read, context, pe + kOptionalHeaderSizeField, field, 2);
    const uint32_t table = pe + kOptionalHeaderStart + Load16(field);

    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t entryOffset = table + i * kSectionEntrySize;
        uint8_t entry[kEntryFieldsRead];
        ReadOrCorrupt(read, context, entryOffset, entry, kEntryNameSize);
        if (!IsNamedSetup(entry))
            continue;
        ReadOrCorrupt(read, context, entryOffset, entry, kEntryFieldsRead);
        location.peHeaderOffset = pe;
        location.sectionCount = count;
        location.sectionTableOffset = table;
        location.entryOffset = entryOffset;
        location.virtualSize = Load32(entry + kEntryVirtualSize);
        location.virtualAddress = Load32(entry + kEntryVirtualAddress);
        location.rawSize = Load32(entry + kEntryRawSize);
        location.rawDataPosition = Load32(entry + kEntryRawDataPosition);
        if (location.rawDataPosition == 0)
            ReportCorruption(kCorruptionNoRawData);
        return true;
    }
    return false;
}

bool LocateSetupSectionInFile(const uint8_t *file, size_t length, SetupSectionLocation &location)
{
    MemoryFile memory = {file, length};
    return LocateSetupSection(ReadFromMemory, &memory, location);
}

uint32_t ImageChecksum(const uint8_t *leading, size_t length, const SetupSectionLocation &location)
{
    const size_t start = size_t(location.peHeaderOffset) + kImageChecksumRangeStart;
    if (start > length)
        ReportCorruption(kCorruptionOutOfBounds);
    // The certificate-table entry counts as zero: signing fills it in after the checksum was
    // stored, and for an unsigned image (entry zero) the sum is the same either way.
    const size_t entry = size_t(location.peHeaderOffset) + kCertificateEntryField;
    const size_t optionalEnd = size_t(location.peHeaderOffset) + kOptionalHeaderStart +
                               Load16(leading + location.peHeaderOffset + kOptionalHeaderSizeField);
    if (entry + kCertificateEntrySize > length || entry + kCertificateEntrySize > optionalEnd)
        return SetupChecksum(leading + start, int64_t(length - start));
    static const uint8_t kZeros[kCertificateEntrySize] = {};
    SetupChecksumAccumulator sum;
    sum.Add(leading + start, entry - start);
    sum.Add(kZeros, kCertificateEntrySize);
    sum.Add(leading + entry + kCertificateEntrySize, length - entry - kCertificateEntrySize);
    return sum.Result();
}

void CheckImageChecksum(const uint8_t *leading, size_t length, const SetupSectionLocation &location,
                        uint32_t expected)
{
    if (ImageChecksum(leading, length, location) != expected)
        ReportCorruption(kCorruptionImageChecksum);
}

// A signed installer's certificate (in the part after the section) leaves the uninstaller with its
// entry and the PE checksum: the uninstaller is a different file, and a signature that no longer
// matches would be worse than none. `leadingLength` is where the trailing part starts in `image`.
static void DropCertificate(String &image, size_t leadingLength, uint64_t trailingStart, size_t trailingLength,
                     const SetupSectionLocation &location)
{
    const size_t pe = location.peHeaderOffset;
    const size_t optionalEnd = pe + kOptionalHeaderStart +
                               Load16(reinterpret_cast<const uint8_t *>(image.Data()) + pe + kOptionalHeaderSizeField);
    if (pe + kCertificateEntryField + kCertificateEntrySize > optionalEnd ||
        optionalEnd > leadingLength)
        return;
    uint8_t *entry = reinterpret_cast<uint8_t *>(image.MutableBytes()) + pe + kCertificateEntryField;
    const uint64_t offset = Load32(entry), size = Load32(entry + 4);
    if (size == 0)
        return;
    if (offset >= trailingStart && offset + size <= trailingStart + trailingLength) {
        const size_t from = leadingLength + size_t(offset - trailingStart);
        char *bytes = image.MutableBytes();
        std::memmove(bytes + from, bytes + from + size, size_t(image.Length()) - from - size_t(size));
        image.Resize(int32_t(image.Length() - int64_t(size)));
    }
    entry = reinterpret_cast<uint8_t *>(image.MutableBytes()) + pe + kCertificateEntryField;
    Store32(entry, 0);
    Store32(entry + 4, 0);
    Store32(reinterpret_cast<uint8_t *>(image.MutableBytes()) + pe + kPeChecksumField, 0);
}

void BuildUninstallerImage(String &leading, const uint8_t *trailing, size_t trailingLength,
                           const SetupSectionLocation &location)
{
    const size_t pe = location.peHeaderOffset;
    const size_t tableEnd =
        size_t(location.sectionTableOffset) + size_t(location.sectionCount) * kSectionEntrySize;
    const size_t length = size_t(leading.Length());
    if (pe + kImageChecksumRangeStart > length || tableEnd > length ||
        location.entryOffset < location.sectionTableOffset ||
        size_t(location.entryOffset) + kSectionEntrySize > tableEnd ||
        trailingLength > size_t(INT32_MAX - 2) - length)
        ReportCorruption(kCorruptionOutOfBounds);

    // The 40 bytes after the table (zero in a well-formed image) fill the slot the table gives up.
    uint8_t following[kSectionEntrySize] = {};
    if (tableEnd + kSectionEntrySize <= length)
        std::memcpy(following, leading.Data() + tableEnd, kSectionEntrySize);

    leading.Append(reinterpret_cast<const char *>(trailing), int32_t(trailingLength));
    uint8_t *image = reinterpret_cast<uint8_t *>(leading.MutableBytes());

    const uint32_t rawSize = location.rawSize;
    Store16(image + pe + kSectionCountField, location.sectionCount - 1);
    Store32(image + pe + kInitializedDataField, Load32(image + pe + kInitializedDataField) - rawSize);
    // The image grew by the section rounded up to the section alignment; its raw size alone
    // undercounts that when the section was written unpadded.
    const uint32_t sectionAlignment = Load32(image + pe + kSectionAlignmentField);
    Store32(image + pe + kImageSizeField,
            Load32(image + pe + kImageSizeField) - uint32_t(AlignUp(rawSize, sectionAlignment)));

    uint8_t *entry = image + location.entryOffset;
    uint8_t *last = image + tableEnd - kSectionEntrySize;
    std::memmove(entry, entry + kSectionEntrySize, size_t(last - entry));
    std::memcpy(last, following, kSectionEntrySize);

    // Section data after the removed section moved toward the start by its raw size. Deciding by
    // position rather than by table order keeps the image right whatever order the table has.
    const uint64_t removedEnd = uint64_t(location.rawDataPosition) + rawSize;
    DropCertificate(leading, length, removedEnd, trailingLength, location);
    image = reinterpret_cast<uint8_t *>(leading.MutableBytes());
    for (uint32_t i = 0; i + 1 < location.sectionCount; ++i) {
        uint8_t *rawPosition =
            image + location.sectionTableOffset + i * kSectionEntrySize + kEntryRawDataPosition;
        if (Load32(rawPosition) >= removedEnd)
            Store32(rawPosition, Load32(rawPosition) - rawSize);
    }
}

bool PlanSetupSection(const uint8_t *stub, size_t stubLength, uint32_t sectionLength,
                      SetupSectionPadding padding, String &leading, SetupSectionLocation &location,
                      const char **failure)
{
    auto fail = [&](const char *why) {
        *failure = why;
        return false;
    };
    if (stubLength < kPeHeaderOffsetField + 4)
        return fail("the program image is too short to be a PE image");
    const uint32_t pe = Load16(stub + kPeHeaderOffsetField);
    if (Load32(stub + kPeHeaderOffsetField) != pe || pe < kMinPeHeaderOffset ||
        pe > kMaxPeHeaderOffset)
        return fail("the program's PE header is not at an offset of 64 to 4,096");
    if (pe + kOptionalHeaderStart + kImageChecksumRangeStart > stubLength ||
        std::memcmp(stub + pe, kPeSignature, sizeof kPeSignature) != 0)
        return fail("the program image has no PE header");

    const uint32_t count = Load16(stub + pe + kSectionCountField);
    if (count + 1 < kMinSectionCount || count + 1 > kMaxSectionCount)
        return fail("the program image must have 3 to 98 sections before the setup section");
    const uint32_t table = pe + kOptionalHeaderStart + Load16(stub + pe + kOptionalHeaderSizeField);
    const uint32_t newEntry = table + count * kSectionEntrySize;
    const uint32_t sectionAlignment = Load32(stub + pe + kSectionAlignmentField);
    const uint32_t fileAlignment = Load32(stub + pe + kFileAlignmentField);
    const uint32_t headersSize = Load32(stub + pe + kHeadersSizeField);
    auto powerOfTwo = [](uint32_t v) { return v != 0 && (v & (v - 1)) == 0; };
    if (!powerOfTwo(sectionAlignment) || !powerOfTwo(fileAlignment))
        return fail("the program's section or file alignment is not a power of two");
    if (uint64_t(newEntry) + kSectionEntrySize > headersSize || headersSize > stubLength)
        return fail("the program's headers have no room for another section entry");

    uint64_t imageEnd = Load32(stub + pe + kImageSizeField);
    uint64_t fileEnd = stubLength;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t *entry = stub + table + i * kSectionEntrySize;
        if (IsNamedSetup(entry))
            return fail("the program image carries a setup section already");
        const uint32_t rawPosition = Load32(entry + kEntryRawDataPosition);
        const uint32_t rawSize = Load32(entry + kEntryRawSize);
        if (rawPosition != 0 && rawPosition < uint64_t(newEntry) + kSectionEntrySize)
            return fail("the program's headers have no room for another section entry");
        uint64_t extent = Load32(entry + kEntryVirtualSize);
        if (extent < rawSize)
            extent = rawSize;
        const uint64_t end = AlignUp(uint64_t(Load32(entry + kEntryVirtualAddress)) + extent,
                                     sectionAlignment);
        if (end > imageEnd)
            imageEnd = end;
        if (rawPosition != 0 && uint64_t(rawPosition) + rawSize > fileEnd)
            fileEnd = uint64_t(rawPosition) + rawSize;
    }
    for (uint32_t i = 0; i < kSectionEntrySize; ++i)
        if (stub[newEntry + i] != 0)
            return fail("the program's headers have no free slot after the section table");

    const uint64_t virtualAddress = AlignUp(imageEnd, sectionAlignment);
    // The section's raw data starts on a page boundary (a multiple of any smaller file alignment):
    // a loader maps a section whose file offset is page-aligned straight from the file instead of
    // copying it into private memory, which for a large installer is the difference between a few
    // MiB and the whole payload held in memory.
    const uint64_t rawPosition = AlignUp(fileEnd, fileAlignment > kPageSize ? fileAlignment : kPageSize);
    const uint64_t rawSize = padding == SetupSectionPadding::ToSectionAlignment
                                 ? AlignUp(sectionLength, sectionAlignment)
                                 : sectionLength;
    const uint64_t total = rawPosition + rawSize;
    const uint64_t newImageSize = virtualAddress + AlignUp(rawSize, sectionAlignment);
    if (total > uint64_t(INT32_MAX - 2) || newImageSize > UINT32_MAX)
        return fail("the program with its setup data would be larger than 2 GB");

    leading.Resize(int32_t(rawPosition));
    uint8_t *image = reinterpret_cast<uint8_t *>(leading.MutableBytes());
    std::memset(image, 0, size_t(rawPosition));
    std::memcpy(image, stub, stubLength);

    uint8_t *entry = image + newEntry;
    std::memcpy(entry, kSetupSectionName, sizeof kSetupSectionName - 1);
    Store32(entry + kEntryVirtualSize, sectionLength);
    Store32(entry + kEntryVirtualAddress, uint32_t(virtualAddress));
    Store32(entry + kEntryRawSize, uint32_t(rawSize));
    Store32(entry + kEntryRawDataPosition, uint32_t(rawPosition));
    Store32(entry + kEntryCharacteristics, kSetupSectionCharacteristics);

    Store16(image + pe + kSectionCountField, count + 1);
    Store32(image + pe + kInitializedDataField,
            Load32(image + pe + kInitializedDataField) + uint32_t(rawSize));
    Store32(image + pe + kImageSizeField, uint32_t(newImageSize));

    location.peHeaderOffset = pe;
    location.sectionCount = count + 1;
    location.sectionTableOffset = table;
    location.entryOffset = newEntry;
    location.virtualSize = sectionLength;
    location.virtualAddress = uint32_t(virtualAddress);
    location.rawSize = uint32_t(rawSize);
    location.rawDataPosition = uint32_t(rawPosition);
    return true;
}

bool AppendSetupSection(const uint8_t *stub, size_t stubLength, const String &section,
                        SetupSectionPadding padding, int32_t imageChecksumFieldOffset, String &out,
                        const char **failure)
{
    if (imageChecksumFieldOffset >= 0 && int64_t(imageChecksumFieldOffset) + 4 > section.Length()) {
        *failure = "the image checksum field lies outside the setup data";
        return false;
    }
    SetupSectionLocation location;
    if (!PlanSetupSection(stub, stubLength, uint32_t(section.Length()), padding, out, location, failure))
        return false;
    out.Append(section);
    const int32_t end = out.Length();
    const int32_t padded = int32_t(location.rawDataPosition + location.rawSize);
    out.Resize(padded);
    std::memset(out.MutableBytes() + end, 0, size_t(padded - end));
    if (imageChecksumFieldOffset >= 0)
        Store32(reinterpret_cast<uint8_t *>(out.MutableBytes()) + location.rawDataPosition +
                    uint32_t(imageChecksumFieldOffset),
                ImageChecksum(out.Data(), location.rawDataPosition, location));
    return true;
}
