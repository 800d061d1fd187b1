// DibImage's reading of ".bmp" files, built byte by byte here rather than by the writer.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "wizard/dib_image.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes &b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(Bytes &b, uint16_t v)
{
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

// A ".bmp" file: 14-byte file header, 40-byte information header, `palette` entries, `bits`.
Bytes BmpFile(int32_t width, int32_t height, uint16_t bpp, const std::vector<uint32_t> &palette, const Bytes &bits,
              uint32_t compression = 0)
{
    Bytes b = {'B', 'M'};
    const uint32_t bitsOffset = 14 + 40 + static_cast<uint32_t>(palette.size()) * 4;
    Put32(b, bitsOffset + static_cast<uint32_t>(bits.size()));
    Put32(b, 0);
    Put32(b, bitsOffset);
    Put32(b, 40);
    Put32(b, static_cast<uint32_t>(width));
    Put32(b, static_cast<uint32_t>(height));
    Put16(b, 1);
    Put16(b, bpp);
    Put32(b, compression);
    Put32(b, static_cast<uint32_t>(bits.size()));
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, static_cast<uint32_t>(palette.size()));
    Put32(b, 0);
    for (uint32_t entry : palette)
        Put32(b, entry);
    b.insert(b.end(), bits.begin(), bits.end());
    return b;
}

bool Load(DibImage &image, const Bytes &file)
{
    return image.LoadFromFileBytes(file.data(), static_cast<int32_t>(file.size()));
}

TEST(DibImage, ReadsTheHeaderOfEachPixelFormat)
{
    struct Case {
        const char *name;
        int32_t width, height;
        uint16_t bpp;
        int paletteEntries;
        int rowBytes;
    } cases[] = {
        {"1 bit", 9, 2, 1, 2, 4},
        {"4 bits", 9, 2, 4, 16, 8},
        {"8 bits", 5, 3, 8, 256, 8},
        {"16 bits", 3, 2, 16, 0, 8},
        {"24 bits", 3, 2, 24, 0, 12},
        {"32 bits", 3, 2, 32, 0, 12},
        {"top-down 24 bits", 3, -2, 24, 0, 12},
    };
    for (const Case &c : cases) {
        const int height = c.height < 0 ? -c.height : c.height;
        const Bytes file = BmpFile(c.width, c.height, c.bpp, std::vector<uint32_t>(c.paletteEntries, 0),
                                   Bytes(static_cast<size_t>(c.rowBytes * height), 0));
        DibImage image;
        ASSERT_TRUE(Load(image, file)) << c.name;
        EXPECT_EQ(image.Width(), c.width) << c.name;
        EXPECT_EQ(image.Height(), height) << c.name;
        EXPECT_EQ(image.TopDown(), c.height < 0) << c.name;
        EXPECT_EQ(image.BitsPerPixel(), c.bpp) << c.name;
        EXPECT_EQ(image.RowBytes(), c.rowBytes) << c.name;
        EXPECT_EQ(image.BitsOffset(), 40 + c.paletteEntries * 4) << c.name;
    }
}

TEST(DibImage, BadFilesCountAsNotLoaded)
{
    const Bytes good = BmpFile(2, 2, 24, {}, Bytes(16, 0));
    struct Case {
        const char *name;
        Bytes file;
    } cases[] = {
        {"no BM signature", [&] { Bytes b = good; b[0] = 'X'; return b; }()},
        {"too short for a header", Bytes(good.begin(), good.begin() + 20)},
        {"pixel rows cut off", Bytes(good.begin(), good.end() - 1)},
        {"zero width", BmpFile(0, 2, 24, {}, Bytes(16, 0))},
        {"bits per pixel 7", BmpFile(2, 2, 7, {}, Bytes(16, 0))},
        {"pixel rows missing after the palette", BmpFile(2, 2, 8, std::vector<uint32_t>(2, 0), {})},
        {"unknown compression", BmpFile(2, 2, 24, {}, Bytes(16, 0), 9)},
        {"header size beyond the file", [&] { Bytes b = good; b[14] = 0xFF; b[15] = 0xFF; return b; }()},
    };
    for (const Case &c : cases) {
        DibImage image;
        EXPECT_FALSE(Load(image, c.file)) << c.name;
        EXPECT_FALSE(image.Loaded()) << c.name;
        EXPECT_EQ(image.Width(), 0) << c.name;
    }
    // A bits offset of 0 (some writers leave it out): the bits follow the palette.
    Bytes zeroOffset = BmpFile(1, 1, 8, {0x112233, 0x445566}, Bytes{1, 0, 0, 0});
    zeroOffset[10] = zeroOffset[11] = 0;
    DibImage image;
    ASSERT_TRUE(Load(image, zeroOffset));
    EXPECT_EQ(image.BitsOffset(), 48);
    EXPECT_EQ(image.PixelValue(0, 0), 1u);
}

TEST(DibImage, SavedFileReadsBackTheSameBytes)
{
    const Bytes file = BmpFile(3, 2, 8, {0x000000, 0xFFFFFF, 0x00FF00}, Bytes{0, 1, 2, 0, 2, 1, 0, 0});
    DibImage image;
    ASSERT_TRUE(Load(image, file));
    const String saved = image.FileBytes();
    ASSERT_EQ(saved.Length(), static_cast<int32_t>(file.size()));
    EXPECT_EQ(Bytes(saved.Data(), saved.Data() + saved.Length()), file);
    DibImage packed;
    ASSERT_TRUE(packed.LoadFromPacked(file.data() + 14, static_cast<int32_t>(file.size() - 14)));
    EXPECT_EQ(packed.Width(), 3);
    EXPECT_EQ(packed.PixelValue(0, 0), 2u);   // the top row is the last stored row
}

TEST(DibImage, TransparentPixelsMakeTheMaskAndTurnBlackInTheMaskedCopy)
{
    // 8 bits, 3 x 2, bottom-up: stored row 0 (bottom) = 2 1 2, row 1 (top) = 0 2 1.
    const Bytes bits = {2, 1, 2, 0, 0, 2, 1, 0};
    DibImage image;
    ASSERT_TRUE(Load(image, BmpFile(3, 2, 8, {0x101010, 0x202020, 0x00FF00FF}, bits)));
    EXPECT_FALSE(image.UsesMask());
    image.SetTransparentIndex(2);
    ASSERT_TRUE(image.UsesMask());
    const String &mask = image.MaskBits();
    ASSERT_EQ(mask.Length(), 8);   // two rows of one 32-bit word
    EXPECT_EQ(static_cast<uint8_t>(mask.Bytes()[0]), 0xA0);   // bottom row: pixels 0 and 2
    EXPECT_EQ(static_cast<uint8_t>(mask.Bytes()[4]), 0x40);   // top row: pixel 1
    const String &masked = image.MaskedBlock();
    const uint8_t *entry2 = masked.Data() + 40 + 2 * 4;
    EXPECT_EQ(entry2[0] | entry2[1] | entry2[2], 0);
    EXPECT_EQ(masked.Data()[40 + 4], 0x20);   // the other entries stay

    // 24 bits: the index is the 0x00RRGGBB colour.
    const Bytes rgb = {0x00, 0x00, 0xFF, 0x10, 0x20, 0x30, 0, 0};   // red, then 0x302010
    DibImage colour;
    ASSERT_TRUE(Load(colour, BmpFile(2, 1, 24, {}, rgb)));
    colour.SetTransparentIndex(0xFF0000);
    EXPECT_EQ(static_cast<uint8_t>(colour.MaskBits().Bytes()[0]), 0x80);
    const uint8_t *pixels = colour.MaskedBlock().Data() + colour.BitsOffset();
    EXPECT_EQ(pixels[0] | pixels[1] | pixels[2], 0);
    EXPECT_EQ(pixels[3], 0x10);
}

TEST(DibImage, ThirtyTwoBitPicturesBlendOnlyWithAlpha)
{
    DibImage opaque;
    ASSERT_TRUE(Load(opaque, BmpFile(1, 1, 32, {}, Bytes{10, 20, 30, 0})));
    EXPECT_FALSE(opaque.UsesAlpha());
    DibImage alpha;
    ASSERT_TRUE(Load(alpha, BmpFile(2, 1, 32, {}, Bytes{200, 100, 50, 128, 255, 255, 255, 255})));
    ASSERT_TRUE(alpha.UsesAlpha());
    const uint8_t *p = alpha.PremultipliedBlock().Data() + alpha.BitsOffset();
    EXPECT_EQ(p[0], 100);
    EXPECT_EQ(p[1], 50);
    EXPECT_EQ(p[2], 25);
    EXPECT_EQ(p[3], 128);
    EXPECT_EQ(p[4], 255);
    alpha.SetTransparentIndex(0);
    EXPECT_FALSE(alpha.UsesAlpha());
}

} // namespace
