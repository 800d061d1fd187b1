#include "install/uninstaller_icon.h"

#include <cstring>

namespace {

uint16_t U16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t *p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }

constexpr int32_t kDirectorySize = 6;
constexpr int32_t kFileEntrySize = 16;

} // namespace

bool ParseIconFile(const String &file, IconResources &out)
{
    out = IconResources();
    const uint8_t *d = file.Data();
    const int64_t size = file.Length();
    if (size < kDirectorySize || U16(d) != 0 || U16(d + 2) != 1)
        return false;
    const uint16_t count = U16(d + 4);
    if (count == 0 || size < kDirectorySize + static_cast<int64_t>(count) * kFileEntrySize)
        return false;
    String group;
    group.Append(reinterpret_cast<const char *>(d), kDirectorySize);
    for (uint16_t i = 0; i < count; ++i) {
        const uint8_t *e = d + kDirectorySize + i * kFileEntrySize;
        const uint32_t imageSize = U32(e + 8);
        const uint32_t offset = U32(e + 12);
        if (imageSize == 0 || offset > size || imageSize > size - offset)
            return false;
        out.images.emplace_back(reinterpret_cast<const char *>(d + offset), static_cast<int32_t>(imageSize));
        IconEntryHeader entry;
        entry.width = e[0];
        entry.height = e[1];
        entry.colourCount = e[2];
        entry.reserved = e[3];
        entry.planes = U16(e + 4);
        entry.bitsPerPixel = U16(e + 6);
        entry.imageSize = imageSize;
        entry.resourceNumber = static_cast<uint16_t>(i + 1);
        group.Append(reinterpret_cast<const char *>(&entry), sizeof entry);
    }
    out.group = group;
    return true;
}
