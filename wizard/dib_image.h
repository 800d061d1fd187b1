// DibImage: a device-independent bitmap held in memory, the way the installer window and the pages
// keep their pictures.
//
// A ".bmp" file:
//
//   offset 0   "BM"                      file header, 14 bytes
//          2   file size        uint32
//          6   reserved         2 x uint16
//         10   bits offset      uint32   from the start of the file
//   offset 14  information block         header (12 bytes for the old core form, 40 or more
//                                        otherwise), colour masks, palette
//              pixel bits                 at the bits offset; rows bottom-up when the height is
//                                        positive, each row padded to 4 bytes
//
// The object stores the information block and the bits as one buffer (the file without its
// 14-byte header, which is also the form of a bitmap resource) and the offset of the bits in it.
// Loading checks that header, palette and pixel rows lie inside the bytes; a picture that fails
// counts as not loaded (width 0).
//
// Transparency: with a transparent pixel index (-1 none), a pixel whose value equals it (the
// palette index for pictures of 8 bits or fewer, the 0x00RRGGBB colour for 16, 24 and 32 bits)
// leaves the background visible. The derived mask (1 bit per pixel, 1 = transparent, rows
// bottom-up and 4-byte aligned) and a copy of the picture with those pixels black make the
// two-step drawing (mask with AND, picture with OR) possible. 32-bit pictures are drawn with
// their per-pixel alpha.
#pragma once

#include <cstdint>

#include "core/string.h"

constexpr int kBitmapFileHeaderSize = 14;

class DibImage {
public:
    DibImage() = default;
    virtual ~DibImage() = default;

    // From the bytes of a ".bmp" file (they must begin with "BM").
    bool LoadFromFileBytes(const uint8_t *bytes, int32_t length);
    // From an information block followed by the bits (a bitmap resource).
    bool LoadFromPacked(const uint8_t *bytes, int32_t length);
    // The ".bmp" file image: "BM", the file size and the bits offset, then the stored block.
    String FileBytes() const;
    void Clear();

    bool Loaded() const { return width_ > 0; }
    int Width() const { return width_; }
    int Height() const { return height_; }        // always positive
    bool TopDown() const { return topDown_; }
    int BitsPerPixel() const { return bitsPerPixel_; }
    uint32_t Compression() const { return compression_; }
    int32_t BitsOffset() const { return bitsOffset_; }
    const String &Block() const { return block_; }
    const uint8_t *Info() const { return block_.Data(); }
    const uint8_t *Bits() const { return block_.Data() + bitsOffset_; }
    int32_t RowBytes() const;                     // stride of the stored rows

    void SetTransparentIndex(int32_t index);
    int32_t TransparentIndex() const { return transparentIndex_; }
    // True when drawing goes through the mask: a transparent index is set and the pixel format is
    // one whose pixels can be read (uncompressed 1, 4, 8, 16, 24 or 32 bits).
    bool UsesMask() const;
    // True for an uncompressed 32-bit picture without a transparent index whose alpha bytes are
    // not all zero (a 32-bit file whose fourth bytes are all zero is an ordinary opaque picture:
    // blending it would draw nothing).
    bool UsesAlpha() const { return hasAlpha_ && transparentIndex_ < 0; }

    // The value of pixel (x, y) counted from the top row; the palette index or 0x00RRGGBB colour.
    uint32_t PixelValue(int x, int y) const;
    // The mask and the masked copy (see above), made on first use. Empty when UsesMask() is false.
    const String &MaskBits();       // 1 bit per pixel, in the stored row order
    const String &MaskedBlock();    // like Block(), transparent pixels black (palette: an entry
                                    // of the masked copy's own palette set to black)
    // For UsesAlpha(): like Block() with the colours multiplied by their alpha, the form the
    // system's alpha blending takes.
    const String &PremultipliedBlock();

    static constexpr uint32_t kRgb = 0;
    static constexpr uint32_t kBitFields = 3;

private:
    bool Parse();
    void BuildMask();

    String block_;
    int32_t bitsOffset_ = 0;
    int32_t headerSize_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool topDown_ = false;
    int bitsPerPixel_ = 0;
    uint32_t compression_ = 0;
    int32_t paletteEntries_ = 0;
    int32_t paletteOffset_ = 0;
    int32_t paletteEntrySize_ = 4;
    int32_t transparentIndex_ = -1;
    bool hasAlpha_ = false;
    String mask_;
    String masked_;
    String premultiplied_;
};
