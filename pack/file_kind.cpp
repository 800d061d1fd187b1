#include "pack/file_kind.h"

namespace {

bool StartsWith(const std::string &bytes, const char *magic, size_t length, size_t at = 0)
{
    return bytes.size() >= at + length && bytes.compare(at, length, magic, length) == 0;
}

} // namespace

const char *WrongFormat(const std::string &bytes, FileKind kind)
{
    switch (kind) {
    case FileKind::Any:
        return nullptr;
    case FileKind::Icon:
        // Reserved 0, type 1 (icon), then at least one image entry of 16 bytes.
        if (StartsWith(bytes, "\0\0\1\0", 4) && bytes.size() >= 6 + 16 &&
            (bytes[4] != 0 || bytes[5] != 0))
            return nullptr;
        return "an icon (an ICO file)";
    case FileKind::Bitmap:
        // "BM", the 14-byte file header and at least the 12-byte core header.
        if (StartsWith(bytes, "BM", 2) && bytes.size() >= 14 + 12)
            return nullptr;
        return "a bitmap (a BMP file)";
    case FileKind::Wave:
        if (StartsWith(bytes, "RIFF", 4) && StartsWith(bytes, "WAVE", 4, 8))
            return nullptr;
        return "a sound (a RIFF/WAVE file)";
    }
    return nullptr;
}
