// The computed values of the uninstall entry and the icon resources made from an icon file.
#include <gtest/gtest.h>

#include <cstring>

#include "install/uninstall_registration.h"
#include "install/uninstaller_icon.h"
#include "text_support.h"

namespace {

TEST(UninstallEntryValues, VersionParts)
{
    struct Case {
        const char *version;
        bool written;
        uint32_t major, minor;
    };
    const Case cases[] = {
        {"3", false, 0, 0}, {"3.10", true, 3, 10}, {"2.0.7", true, 2, 0}, {"", false, 0, 0}, {"4.", true, 4, 0},
    };
    for (const Case &c : cases) {
        uint32_t major = 99, minor = 99;
        EXPECT_EQ(SplitVersionMajorMinor(String(c.version), major, minor), c.written) << c.version;
        if (c.written) {
            EXPECT_EQ(major, c.major) << c.version;
            EXPECT_EQ(minor, c.minor) << c.version;
        }
    }
}

TEST(UninstallEntryValues, EstimatedSizeAndFlags)
{
    uint32_t kib = 0;
    EXPECT_FALSE(EstimatedSizeValue(1023, kib));
    EXPECT_TRUE(EstimatedSizeValue(1024, kib));
    EXPECT_EQ(kib, 1u);
    EXPECT_TRUE(EstimatedSizeValue(0xFFFFFFFFLL * 1024 + 1023, kib));
    EXPECT_EQ(kib, 0xFFFFFFFFu);
    EXPECT_FALSE(EstimatedSizeValue(0x100000000LL * 1024, kib));
    EXPECT_EQ(UnsignedDecimal(0), String("0"));
    EXPECT_EQ(UnsignedDecimal(0x8000000000000004ULL), String("9223372036854775812"));
}

String IconFile(int images, uint32_t offsetShift = 0)
{
    String f;
    const uint8_t dir[6] = {0, 0, 1, 0, static_cast<uint8_t>(images), 0};
    f.Append(reinterpret_cast<const char *>(dir), 6);
    const uint32_t first = 6 + 16 * images;
    for (int i = 0; i < images; ++i) {
        uint8_t e[16] = {static_cast<uint8_t>(16 * (i + 1)), static_cast<uint8_t>(16 * (i + 1)), 0, 0, 1, 0, 32, 0};
        const uint32_t size = 4, offset = first + 4 * i + offsetShift;
        std::memcpy(e + 8, &size, 4);
        std::memcpy(e + 12, &offset, 4);
        f.Append(reinterpret_cast<const char *>(e), 16);
    }
    for (int i = 0; i < images; ++i)
        f.Append("IMG", 3).AppendByte(static_cast<char>('0' + i));
    return f;
}

TEST(UninstallerIcon, ImagesAndGroup)
{
    IconResources r;
    ASSERT_TRUE(ParseIconFile(IconFile(2), r));
    ASSERT_EQ(r.images.size(), 2u);
    EXPECT_EQ(r.images[1], String("IMG1"));
    ASSERT_EQ(r.group.Length(), 6 + 2 * 14);
    const uint8_t *g = r.group.Data();
    EXPECT_EQ(g[4], 2);                    // count
    EXPECT_EQ(g[6 + 14], 32);              // second entry: width 32
    EXPECT_EQ(g[6 + 14 + 8], 4);           // image size
    EXPECT_EQ(g[6 + 14 + 12], 2);          // resource number 2
    EXPECT_FALSE(ParseIconFile(IconFile(1, 1), r));        // image runs past the end
    EXPECT_FALSE(ParseIconFile(String("BM\x00\x00", 4), r));
    EXPECT_FALSE(ParseIconFile(IconFile(0), r));
}

} // namespace
