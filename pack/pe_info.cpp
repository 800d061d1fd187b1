#include "pack/pe_info.h"

#include <vector>

namespace {

constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kCertificateDirectory = 4;
constexpr uint32_t kRtVersion = 16;
constexpr int kMaxResourceDepth = 3;

class Bytes {
public:
    Bytes(const uint8_t *data, size_t length) : data_(data), length_(length) {}
    bool Has(uint64_t at, uint64_t n) const { return at <= length_ && n <= length_ - at; }
    uint16_t U16(uint64_t at) const { return Has(at, 2) ? uint16_t(data_[at] | data_[at + 1] << 8) : 0; }
    uint32_t U32(uint64_t at) const { return Has(at, 4) ? uint32_t(U16(at) | uint32_t(U16(at + 2)) << 16) : 0; }

private:
    const uint8_t *data_;
    size_t length_;
};

struct SectionMap {
    uint32_t virtualAddress, virtualSize, rawPosition, rawSize;
};

// The file offset of an RVA, or UINT64_MAX when no section's raw data holds it.
uint64_t OffsetOf(const std::vector<SectionMap> &sections, uint32_t rva)
{
    for (const SectionMap &s : sections) {
        const uint32_t extent = s.rawSize;
        if (rva >= s.virtualAddress && uint64_t(rva) < uint64_t(s.virtualAddress) + extent)
            return uint64_t(s.rawPosition) + (rva - s.virtualAddress);
    }
    return UINT64_MAX;
}

void AppendUtf8(std::string &out, uint32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6), out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | c >> 12), out += char(0x80 | (c >> 6 & 0x3F)), out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | c >> 18), out += char(0x80 | (c >> 12 & 0x3F));
        out += char(0x80 | (c >> 6 & 0x3F)), out += char(0x80 | (c & 0x3F));
    }
}

// A NUL-terminated UTF-16 text at `at`, at most up to `end`; `next` is the offset after its NUL.
std::string WideText(const Bytes &b, uint64_t at, uint64_t end, uint64_t &next)
{
    std::string out;
    while (at + 2 <= end && b.Has(at, 2)) {
        uint32_t c = b.U16(at);
        at += 2;
        if (c == 0)
            break;
        if (c >= 0xD800 && c < 0xDC00 && at + 2 <= end) {
            const uint32_t low = b.U16(at);
            if (low >= 0xDC00 && low < 0xE000)
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00), at += 2;
        }
        AppendUtf8(out, c);
    }
    next = at;
    return out;
}

uint64_t Align4(uint64_t v) { return (v + 3) & ~uint64_t(3); }

// A version resource block: length, value length, type, key, padding, value, padding, children.
struct Block {
    uint64_t start, end, valueAt, childrenAt;
    uint16_t valueLength, type;
    std::string key;
};

bool ReadBlock(const Bytes &b, uint64_t at, uint64_t limit, Block &block)
{
    const uint16_t length = b.U16(at);
    if (length < 6 || at + length > limit || !b.Has(at, length))
        return false;
    block.start = at;
    block.end = at + length;
    block.valueLength = b.U16(at + 2);
    block.type = b.U16(at + 4);
    uint64_t next = 0;
    block.key = WideText(b, at + 6, block.end, next);
    block.valueAt = Align4(next);
    // Text values count their length in UTF-16 units, binary ones in bytes.
    const uint64_t valueBytes = block.type == 1 ? uint64_t(block.valueLength) * 2 : block.valueLength;
    block.childrenAt = Align4(block.valueAt + valueBytes);
    return block.valueAt <= block.end;
}

void ReadVersionResource(const Bytes &b, uint64_t at, uint64_t size, PeInfo &info)
{
    Block root;
    if (!ReadBlock(b, at, at + size, root) || root.key != "VS_VERSION_INFO")
        return;
    info.hasVersion = true;
    for (uint64_t c = root.childrenAt; c + 6 <= root.end;) {
        Block child;
        if (!ReadBlock(b, c, root.end, child))
            return;
        if (child.key == "StringFileInfo") {
            Block table;
            if (ReadBlock(b, child.childrenAt, child.end, table)) {
                for (uint64_t s = table.childrenAt; s + 6 <= table.end;) {
                    Block text;
                    if (!ReadBlock(b, s, table.end, text))
                        break;
                    uint64_t next = 0;
                    info.versionTexts.emplace(text.key, text.valueLength ? WideText(b, text.valueAt, text.end, next)
                                                                         : std::string());
                    s = Align4(text.end);
                }
            }
            return;
        }
        c = Align4(child.end);
    }
}

// The first leaf below a resource directory, following the type entry `type` at the top.
bool FindResource(const Bytes &b, uint64_t base, uint64_t directory, int depth, uint32_t type,
                  uint32_t &dataEntry)
{
    const uint32_t named = b.U16(directory + 12), ids = b.U16(directory + 14);
    for (uint32_t i = 0; i < named + ids && i < 4096; ++i) {
        const uint64_t entry = directory + 16 + uint64_t(i) * 8;
        if (!b.Has(entry, 8))
            return false;
        if (depth == 0 && b.U32(entry) != type)
            continue;
        const uint32_t target = b.U32(entry + 4);
        if (target & 0x80000000u) {
            if (depth + 1 >= kMaxResourceDepth)
                return false;
            if (FindResource(b, base, base + (target & 0x7FFFFFFFu), depth + 1, type, dataEntry))
                return true;
        } else if (depth == kMaxResourceDepth - 1) {
            dataEntry = target;
            return true;
        }
        if (depth == 0)
            return false;
    }
    return false;
}

} // namespace

bool ReadPeInfo(const uint8_t *file, size_t length, PeInfo &info)
{
    const Bytes b(file, length);
    if (!b.Has(0, 64) || file[0] != 'M' || file[1] != 'Z')
        return false;
    const uint32_t pe = b.U32(60);
    if (!b.Has(pe, 24) || b.U32(pe) != 0x00004550u)
        return false;
    info.machine = b.U16(pe + 4);
    const uint32_t sectionCount = b.U16(pe + 6);
    const uint32_t optionalSize = b.U16(pe + 20);
    info.characteristics = b.U16(pe + 22);
    const uint64_t optional = uint64_t(pe) + 24;
    if (optionalSize < 70 || !b.Has(optional, optionalSize))
        return false;
    info.magic = b.U16(optional);
    if (info.magic != kPe32Magic && info.magic != kPe32PlusMagic)
        return false;
    info.subsystem = b.U16(optional + 68);

    const uint64_t directories = optional + (info.magic == kPe32Magic ? 96 : 112);
    const uint32_t directoryCount = b.U32(directories - 4);
    if (directoryCount > kCertificateDirectory &&
        directories + 8 * (kCertificateDirectory + 1) <= optional + optionalSize) {
        info.certificateOffset = b.U32(directories + 8 * kCertificateDirectory);
        info.certificateSize = b.U32(directories + 8 * kCertificateDirectory + 4);
    }
    if (directoryCount <= kResourceDirectory || directories + 8 * (kResourceDirectory + 1) > optional + optionalSize)
        return true;
    const uint32_t resourceRva = b.U32(directories + 8 * kResourceDirectory);
    if (resourceRva == 0)
        return true;
    std::vector<SectionMap> sections;
    const uint64_t table = optional + optionalSize;
    for (uint32_t i = 0; i < sectionCount && b.Has(table + uint64_t(i) * 40, 40); ++i) {
        const uint64_t e = table + uint64_t(i) * 40;
        sections.push_back({b.U32(e + 12), b.U32(e + 8), b.U32(e + 20), b.U32(e + 16)});
    }
    const uint64_t base = OffsetOf(sections, resourceRva);
    uint32_t dataEntry = 0;
    if (base == UINT64_MAX || !FindResource(b, base, base, 0, kRtVersion, dataEntry))
        return true;
    const uint64_t leaf = base + dataEntry;
    const uint64_t data = OffsetOf(sections, b.U32(leaf));
    const uint32_t size = b.U32(leaf + 4);
    if (data != UINT64_MAX && b.Has(data, size))
        ReadVersionResource(b, data, size, info);
    return true;
}

std::string NormalizedFileVersion(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            out += c;
        else if (c == '.' || c == ',')
            out += '.';
        else if (c != ' ')
            break;
    }
    while (!out.empty() && out.back() == '.')
        out.pop_back();
    return out;
}
