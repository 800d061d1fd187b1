#include "core/version_resource.h"

namespace {

constexpr uint32_t kResourceTypeVersion = 16;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kSubdirectoryBit = 0x80000000u;

uint16_t Load16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Load32(const uint8_t *p) { return uint32_t(p[0] | p[1] << 8 | p[2] << 16) | uint32_t(p[3]) << 24; }
size_t Align4(size_t offset) { return (offset + 3) & ~size_t(3); }

// One node of the version tree, bounded by its own length and by the block.
struct Node {
    size_t begin = 0, end = 0;        // offsets in the block
    uint16_t valueLength = 0;
    uint16_t type = 0;
    size_t keyBegin = 0, keyUnits = 0;
    size_t valueBegin = 0;
    size_t childrenBegin = 0;
};

bool ReadNode(const uint8_t *block, size_t limit, size_t at, Node &node)
{
    if (at + 6 > limit)
        return false;
    const uint16_t length = Load16(block + at);
    if (length < 6 || at + length > limit)
        return false;
    node.begin = at;
    node.end = at + length;
    node.valueLength = Load16(block + at + 2);
    node.type = Load16(block + at + 4);
    node.keyBegin = at + 6;
    size_t p = node.keyBegin;
    while (p + 2 <= node.end && Load16(block + p) != 0)
        p += 2;
    if (p + 2 > node.end)
        return false;
    node.keyUnits = (p - node.keyBegin) / 2;
    node.valueBegin = Align4(p + 2);
    // A text value's length counts characters (some writers count bytes); binary counts bytes.
    const size_t valueBytes = node.type == 1 ? size_t(node.valueLength) * 2 : node.valueLength;
    node.childrenBegin = Align4(node.valueBegin + valueBytes);
    if (node.childrenBegin > node.end)
        node.childrenBegin = node.end;
    return true;
}

bool KeyIs(const uint8_t *block, const Node &node, const char *key)
{
    size_t i = 0;
    for (; key[i]; ++i)
        if (i >= node.keyUnits || Load16(block + node.keyBegin + 2 * i) != uint8_t(key[i]))
            return false;
    return i == node.keyUnits;
}

// The zero-terminated text value of a node, ASCII only, up to the node's end.
String TextValue(const uint8_t *block, const Node &node)
{
    String text;
    for (size_t p = node.valueBegin; p + 2 <= node.end; p += 2) {
        const uint16_t unit = Load16(block + p);
        if (unit == 0)
            break;
        if (unit < 0x80)
            text.AppendByte(char(unit));
    }
    return text;
}

// Calls `visit` for each child of `parent` until it returns true; true when one did.
template <typename Visit>
bool ForEachChild(const uint8_t *block, const Node &parent, Visit visit)
{
    for (size_t at = parent.childrenBegin; at + 6 <= parent.end;) {
        Node child;
        if (!ReadNode(block, parent.end, at, child))
            return false;
        if (visit(child))
            return true;
        at = Align4(child.end);
    }
    return false;
}

// File offset of a relative virtual address, through the section table.
bool RvaToOffset(const uint8_t *file, size_t length, size_t sectionTable, uint32_t sections,
                 uint32_t rva, size_t &offset)
{
    for (uint32_t i = 0; i < sections; ++i) {
        const size_t entry = sectionTable + size_t(i) * 40;
        if (entry + 40 > length)
            return false;
        const uint32_t virtualSize = Load32(file + entry + 8);
        const uint32_t virtualAddress = Load32(file + entry + 12);
        const uint32_t rawSize = Load32(file + entry + 16);
        const uint32_t rawPosition = Load32(file + entry + 20);
        const uint32_t span = virtualSize > rawSize ? virtualSize : rawSize;
        if (rva >= virtualAddress && rva - virtualAddress < span) {
            const uint32_t inSection = rva - virtualAddress;
            if (inSection >= rawSize)
                return false;
            offset = size_t(rawPosition) + inSection;
            return offset < length;
        }
    }
    return false;
}

// The entry of a resource directory at `directory` (offset in the file): the one with `id`, or the
// first when `id` is 0. Returns its OffsetToData field.
bool FindResourceEntry(const uint8_t *file, size_t length, size_t directory, uint32_t id,
                       uint32_t &target)
{
    if (directory + 16 > length)
        return false;
    const uint32_t count = uint32_t(Load16(file + directory + 12)) + Load16(file + directory + 14);
    for (uint32_t i = 0; i < count; ++i) {
        const size_t entry = directory + 16 + size_t(i) * 8;
        if (entry + 8 > length)
            return false;
        const uint32_t name = Load32(file + entry);
        if (id == 0 || name == id) {
            target = Load32(file + entry + 4);
            return true;
        }
    }
    return false;
}

} // namespace

String NormalizeFileVersion(const String &text)
{
    String version = text;
    char *p = version.MutableBytes();
    for (int32_t i = 0; p && i < version.Length(); ++i)
        if (p[i] == ',')
            p[i] = '.';
    version.Trim();
    return version;
}

bool FileVersionFromVersionInfo(const uint8_t *block, size_t length, String &version)
{
    Node root;
    if (!block || !ReadNode(block, length, 0, root) || !KeyIs(block, root, "VS_VERSION_INFO"))
        return false;
    String found;
    const bool ok = ForEachChild(block, root, [&](const Node &info) {
        if (!KeyIs(block, info, "StringFileInfo"))
            return false;
        return ForEachChild(block, info, [&](const Node &table) {
            return ForEachChild(block, table, [&](const Node &entry) {
                if (!KeyIs(block, entry, "FileVersion"))
                    return false;
                found = TextValue(block, entry);
                return true;
            });
        });
    });
    if (!ok)
        return false;
    version = NormalizeFileVersion(found);
    return true;
}

bool FileVersionFromPeImage(const uint8_t *file, size_t length, String &version)
{
    if (!file || length < 64 || file[0] != 'M' || file[1] != 'Z')
        return false;
    const size_t pe = Load32(file + 60);
    if (pe + 24 > length || Load32(file + pe) != 0x00004550)   // "PE\0\0"
        return false;
    const uint32_t sections = Load16(file + pe + 6);
    const size_t optionalSize = Load16(file + pe + 20);
    const size_t optional = pe + 24;
    if (optional + 2 > length)
        return false;
    const uint16_t magic = Load16(file + optional);
    const size_t directories = optional + (magic == kPe32PlusMagic ? 112 : magic == kPe32Magic ? 96 : 0);
    if (directories == optional || directories + 8 * (kResourceDirectoryIndex + 1) > optional + optionalSize ||
        directories + 8 * (kResourceDirectoryIndex + 1) > length)
        return false;
    const uint32_t resourceRva = Load32(file + directories + 8 * kResourceDirectoryIndex);
    const size_t sectionTable = optional + optionalSize;
    size_t root = 0;
    if (resourceRva == 0 || !RvaToOffset(file, length, sectionTable, sections, resourceRva, root))
        return false;

    // Type, then name: two levels of directories; the language directory's entry is the data.
    size_t at = root;
    uint32_t target = 0;
    const uint32_t ids[2] = {kResourceTypeVersion, 0};
    for (int level = 0; level < 2; ++level) {
        if (!FindResourceEntry(file, length, at, ids[level], target) || !(target & kSubdirectoryBit))
            return false;
        at = root + (target & ~kSubdirectoryBit);
    }
    // `at` is now the language directory; its first entry is the data entry.
    if (!FindResourceEntry(file, length, at, 0, target) || (target & kSubdirectoryBit))
        return false;
    const size_t dataEntry = root + target;
    if (dataEntry + 16 > length)
        return false;
    const uint32_t dataRva = Load32(file + dataEntry);
    const uint32_t dataSize = Load32(file + dataEntry + 4);
    size_t data = 0;
    if (!RvaToOffset(file, length, sectionTable, sections, dataRva, data) || dataSize > length - data)
        return false;
    return FileVersionFromVersionInfo(file + data, dataSize, version);
}
