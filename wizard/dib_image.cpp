#include "wizard/dib_image.h"

#include <cstring>

namespace {

constexpr int32_t kCoreHeaderSize = 12;     // BITMAPCOREHEADER: 16-bit sizes, 3-byte palette
constexpr int32_t kInfoHeaderSize = 40;     // BITMAPINFOHEADER and its longer forms
constexpr int32_t kMaxDimension = 32768;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;

uint32_t U32(const uint8_t *p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t U16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
void PutU32(char *p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

} // namespace

bool DibImage::LoadFromFileBytes(const uint8_t *bytes, int32_t length)
{
    Clear();
    if (!bytes || length < kBitmapFileHeaderSize + kCoreHeaderSize || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    const uint32_t bitsOffset = U32(bytes + 10);
    block_.Assign(reinterpret_cast<const char *>(bytes) + kBitmapFileHeaderSize, length - kBitmapFileHeaderSize);
    // Many writers leave the offset 0 or wrong; those files still have their bits right after the
    // palette, which Parse finds by itself.
    bitsOffset_ = (bitsOffset >= static_cast<uint32_t>(kBitmapFileHeaderSize) &&
                   bitsOffset < static_cast<uint32_t>(length))
                      ? static_cast<int32_t>(bitsOffset) - kBitmapFileHeaderSize
                      : -1;
    if (!Parse()) {
        Clear();
        return false;
    }
    return true;
}

bool DibImage::LoadFromPacked(const uint8_t *bytes, int32_t length)
{
    Clear();
    if (!bytes || length < kCoreHeaderSize)
        return false;
    block_.Assign(reinterpret_cast<const char *>(bytes), length);
    bitsOffset_ = -1;
    if (!Parse()) {
        Clear();
        return false;
    }
    return true;
}

void DibImage::Clear()
{
    block_.Clear();
    mask_.Clear();
    masked_.Clear();
    premultiplied_.Clear();
    bitsOffset_ = headerSize_ = paletteEntries_ = paletteOffset_ = 0;
    paletteEntrySize_ = 4;
    width_ = height_ = bitsPerPixel_ = 0;
    compression_ = 0;
    topDown_ = hasAlpha_ = false;
}

bool DibImage::Parse()
{
    const uint8_t *p = block_.Data();
    const int32_t length = block_.Length();
    const uint32_t size = U32(p);
    int32_t width = 0;
    int32_t height = 0;
    uint32_t usedColours = 0;
    if (size == kCoreHeaderSize) {
        width = U16(p + 4);
        height = U16(p + 6);
        bitsPerPixel_ = U16(p + 10);
        compression_ = kRgb;
        paletteEntrySize_ = 3;
    } else if (size >= static_cast<uint32_t>(kInfoHeaderSize) && size <= static_cast<uint32_t>(length)) {
        width = static_cast<int32_t>(U32(p + 4));
        height = static_cast<int32_t>(U32(p + 8));
        bitsPerPixel_ = U16(p + 14);
        compression_ = U32(p + 16);
        usedColours = U32(p + 32);
    } else {
        return false;
    }
    headerSize_ = static_cast<int32_t>(size);
    topDown_ = height < 0;
    if (height < 0)
        height = -height;
    if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension)
        return false;
    switch (bitsPerPixel_) {
    case 1: case 4: case 8: case 16: case 24: case 32:
        break;
    default:
        return false;
    }
    if (compression_ != kRgb && compression_ != kBitFields && !(compression_ == kRle8 && bitsPerPixel_ == 8) &&
        !(compression_ == kRle4 && bitsPerPixel_ == 4))
        return false;
    if (compression_ == kBitFields && bitsPerPixel_ != 16 && bitsPerPixel_ != 32)
        return false;
    // Colour masks follow a 40-byte header; longer headers hold them inside.
    int32_t masks = (compression_ == kBitFields && headerSize_ == kInfoHeaderSize) ? 12 : 0;
    paletteOffset_ = headerSize_ + masks;
    if (bitsPerPixel_ <= 8) {
        const uint32_t most = 1u << bitsPerPixel_;
        paletteEntries_ = static_cast<int32_t>(usedColours == 0 || usedColours > most ? most : usedColours);
    } else {
        paletteEntries_ = usedColours > 256 ? 0 : static_cast<int32_t>(usedColours);
    }
    const int32_t afterPalette = paletteOffset_ + paletteEntries_ * paletteEntrySize_;
    if (afterPalette > length)
        return false;
    if (bitsOffset_ < afterPalette || bitsOffset_ >= length)
        bitsOffset_ = afterPalette;
    width_ = width;
    height_ = height;
    const int64_t needed = compression_ == kRgb || compression_ == kBitFields
                               ? static_cast<int64_t>(RowBytes()) * height_
                               : 2;   // run-length data: at least its end marker
    if (bitsOffset_ + needed > length) {
        width_ = height_ = 0;
        return false;
    }
    if (bitsPerPixel_ == 32 && compression_ == kRgb) {
        for (int y = 0; y < height_ && !hasAlpha_; ++y) {
            const uint8_t *row = Bits() + static_cast<int64_t>(RowBytes()) * y;
            for (int x = 0; x < width_; ++x)
                if (row[x * 4 + 3] != 0) {
                    hasAlpha_ = true;
                    break;
                }
        }
    }
    return true;
}

int32_t DibImage::RowBytes() const
{
    return static_cast<int32_t>(((static_cast<int64_t>(width_) * bitsPerPixel_ + 31) / 32) * 4);
}

String DibImage::FileBytes() const
{
    String out;
    if (!Loaded())
        return out;
    char header[kBitmapFileHeaderSize] = {'B', 'M'};
    PutU32(header + 2, static_cast<uint32_t>(kBitmapFileHeaderSize + block_.Length()));
    PutU32(header + 10, static_cast<uint32_t>(kBitmapFileHeaderSize + bitsOffset_));
    out.Reserve(kBitmapFileHeaderSize + block_.Length());
    out.Append(header, kBitmapFileHeaderSize);
    out.Append(block_);
    return out;
}

void DibImage::SetTransparentIndex(int32_t index)
{
    transparentIndex_ = index < 0 ? -1 : index;
    mask_.Clear();
    masked_.Clear();
}

bool DibImage::UsesMask() const
{
    return Loaded() && transparentIndex_ >= 0 && compression_ == kRgb;
}

uint32_t DibImage::PixelValue(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || compression_ != kRgb)
        return 0;
    const int storedRow = topDown_ ? y : height_ - 1 - y;
    const uint8_t *row = Bits() + static_cast<int64_t>(RowBytes()) * storedRow;
    switch (bitsPerPixel_) {
    case 1:
        return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4:
        return (row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF;
    case 8:
        return row[x];
    case 16: {
        // 5-5-5: each channel widened to 8 bits as the system does (v << 3 | v >> 2).
        const uint16_t v = U16(row + x * 2);
        const uint32_t r = (v >> 10) & 0x1F, g = (v >> 5) & 0x1F, b = v & 0x1F;
        return ((r << 3 | r >> 2) << 16) | ((g << 3 | g >> 2) << 8) | (b << 3 | b >> 2);
    }
    case 24:
        return static_cast<uint32_t>(row[x * 3]) | (row[x * 3 + 1] << 8) | (row[x * 3 + 2] << 16);
    default:
        return U32(row + x * 4) & 0xFFFFFF;
    }
}

void DibImage::BuildMask()
{
    const int32_t maskRow = ((width_ + 31) / 32) * 4;
    mask_.Resize(maskRow * height_);
    std::memset(mask_.MutableBytes(), 0, static_cast<size_t>(mask_.Length()));
    masked_ = block_;
    const uint32_t key = static_cast<uint32_t>(transparentIndex_);
    for (int y = 0; y < height_; ++y) {
        const int storedRow = topDown_ ? y : height_ - 1 - y;
        uint8_t *maskBits = reinterpret_cast<uint8_t *>(mask_.MutableBytes()) + maskRow * storedRow;
        uint8_t *pixels = reinterpret_cast<uint8_t *>(masked_.MutableBytes()) + bitsOffset_ +
                          static_cast<int64_t>(RowBytes()) * storedRow;
        for (int x = 0; x < width_; ++x) {
            if (PixelValue(x, y) != key)
                continue;
            maskBits[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            if (bitsPerPixel_ > 8)
                std::memset(pixels + x * (bitsPerPixel_ / 8), 0, static_cast<size_t>(bitsPerPixel_ / 8));
        }
    }
    // Paletted pictures: only the transparent pixels use that entry, so making it black in the
    // copy blackens exactly them.
    if (bitsPerPixel_ <= 8 && static_cast<int32_t>(key) < paletteEntries_)
        std::memset(masked_.MutableBytes() + paletteOffset_ + key * paletteEntrySize_, 0,
                    static_cast<size_t>(paletteEntrySize_ == 4 ? 3 : paletteEntrySize_));
}

const String &DibImage::MaskBits()
{
    if (UsesMask() && mask_.Empty())
        BuildMask();
    return mask_;
}

const String &DibImage::MaskedBlock()
{
    if (UsesMask() && masked_.Empty())
        BuildMask();
    return masked_;
}

const String &DibImage::PremultipliedBlock()
{
    if (!UsesAlpha() || !premultiplied_.Empty())
        return premultiplied_;
    premultiplied_ = block_;
    for (int y = 0; y < height_; ++y) {
        uint8_t *row = reinterpret_cast<uint8_t *>(premultiplied_.MutableBytes()) + bitsOffset_ +
                       static_cast<int64_t>(RowBytes()) * y;
        for (int x = 0; x < width_; ++x) {
            uint8_t *px = row + x * 4;
            for (int c = 0; c < 3; ++c)
                px[c] = static_cast<uint8_t>((px[c] * px[3] + 127) / 255);
        }
    }
    return premultiplied_;
}
