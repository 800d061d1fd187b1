#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wizard/window_geometry.h"
#include "wizard/window_look.h"

namespace {

struct AreaCase {
    const char *name;
    int clientWidth, clientHeight, pictureWidth, pictureHeight;
    int32_t percent, mode;
    PixelRect expected;
};

TEST(PictureArea, EachStretchModePlacesThePicture)
{
    const AreaCase cases[] = {
        {"mode 0 fills the centred area", 200, 100, 40, 30, 50, 0, {50, 25, 150, 75}},
        {"unknown modes behave as mode 0", 200, 100, 40, 30, 50, 7, {50, 25, 150, 75}},
        {"mode 1 keeps the aspect ratio (height decides)", 400, 200, 40, 30, 50, 1, {133, 50, 266, 150}},
        {"mode 1 keeps the aspect ratio (width decides)", 200, 400, 40, 30, 50, 1, {50, 162, 150, 237}},
        {"mode 2 uses the largest whole factor", 200, 100, 40, 30, 100, 2, {40, 5, 160, 95}},
        {"mode 2 with factor 1", 60, 40, 40, 30, 100, 2, {10, 5, 50, 35}},
        {"mode 2 with a larger picture behaves as mode 1", 200, 100, 400, 300, 50, 2, {67, 25, 133, 75}},
        {"100 percent in mode 0 is the whole client", 200, 100, 40, 30, 100, 0, {0, 0, 200, 100}},
        {"size 0 draws nothing", 200, 100, 40, 30, 0, 0, {0, 0, 0, 0}},
        {"no picture draws nothing", 200, 100, 0, 30, 50, 1, {0, 0, 0, 0}},
        {"an area that rounds to nothing draws nothing", 50, 50, 10, 10, 1, 1, {0, 0, 0, 0}},
    };
    for (const AreaCase &c : cases) {
        const PixelRect r = PictureArea(c.clientWidth, c.clientHeight, c.pictureWidth, c.pictureHeight, c.percent, c.mode);
        EXPECT_EQ(r, c.expected) << c.name << ": got " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST(PictureArea, TilesCoverTheClientColumnByColumn)
{
    const std::vector<PixelRect> tiles = PictureTiles(100, 50, 40, 30);
    ASSERT_EQ(tiles.size(), 6u);   // 3 columns (rounded up) x 2 rows (rounded up)
    EXPECT_EQ(tiles[0], (PixelRect{0, 0, 40, 30}));
    EXPECT_EQ(tiles[1], (PixelRect{0, 30, 40, 60}));
    EXPECT_EQ(tiles[2], (PixelRect{40, 0, 80, 30}));
    EXPECT_EQ(tiles[5], (PixelRect{80, 30, 120, 60}));
    EXPECT_TRUE(PictureTiles(100, 50, 0, 30).empty());
}

TEST(GradientBands, BandsRunFromTopColourToBottomColour)
{
    struct Case {
        int height;
        int bandHeight;
    } cases[] = {{100, 1}, {224, 1}, {448, 2}, {768, 3}, {2000, 3}};
    const uint32_t top = 0x00FF8000, bottom = 0x00000010;
    for (const Case &c : cases) {
        const std::vector<GradientBand> bands = GradientBands(c.height, top, bottom);
        ASSERT_FALSE(bands.empty()) << c.height;
        EXPECT_EQ(bands.front().top, 0);
        EXPECT_EQ(bands.front().bottom - bands.front().top, c.bandHeight) << c.height;
        EXPECT_EQ(bands.back().bottom, c.height) << c.height;
        EXPECT_EQ(bands.front().colour, top) << c.height;
        EXPECT_EQ(bands.back().colour, bottom) << c.height;
        for (size_t i = 1; i < bands.size(); ++i) {
            EXPECT_EQ(bands[i].top, bands[i - 1].bottom);
            // Each channel moves one way only.
            for (int shift = 0; shift <= 16; shift += 8) {
                const int before = (bands[i - 1].colour >> shift) & 0xFF;
                const int now = (bands[i].colour >> shift) & 0xFF;
                const int from = (top >> shift) & 0xFF, to = (bottom >> shift) & 0xFF;
                if (to >= from)
                    EXPECT_GE(now, before);
                else
                    EXPECT_LE(now, before);
            }
        }
    }
    // Steps are equal up to the spread remainder: 0 to 255 over 256 one-pixel bands is one apart.
    const std::vector<GradientBand> grey = GradientBands(256, 0, 0xFF);
    for (size_t i = 0; i < grey.size(); ++i)
        EXPECT_EQ(grey[i].colour, i);
    EXPECT_TRUE(GradientBands(0, top, bottom).empty());
}

// A text whose width is proportional to its font height: `perPixel` pixels of width per pixel of
// height.
struct FakeText {
    int perPixel;
    std::vector<int> heights;
};
int FakeWidth(void *context, int height)
{
    FakeText *t = static_cast<FakeText *>(context);
    t->heights.push_back(height);
    return height * t->perPixel;
}

TEST(FitTitle, ShrinksPointByPointUntilTheTextFits)
{
    // 26 points at 96 dpi: 34 pixels high. 1000 pixels of client, margin 5.
    FakeText fits{10, {}};
    TitleFit fit = FitTitle(26, 96, 1, 1000, 5, FakeWidth, &fits);
    EXPECT_EQ(fit.points, 26);
    EXPECT_EQ(fit.fontHeight, 34);
    EXPECT_EQ(fit.measurements, 1);

    // 40 pixels of width per pixel of height: fits when 40 h + shadow + 5 < 1000, h <= 24 (18 pt).
    FakeText wide{40, {}};
    fit = FitTitle(26, 96, 1, 1000, 5, FakeWidth, &wide);
    EXPECT_EQ(fit.points, 18);
    EXPECT_EQ(fit.fontHeight, 24);
    EXPECT_EQ(fit.measurements, 26 - 18 + 1);
    EXPECT_EQ(wide.heights.front(), 34);

    // Never fits: measured down to 7 points, then used at 6 without measuring.
    FakeText never{1000, {}};
    fit = FitTitle(26, 96, 1, 1000, 5, FakeWidth, &never);
    EXPECT_EQ(fit.points, 6);
    EXPECT_EQ(fit.measurements, 26 - 7 + 1);

    // A start at or below 6 points is not measured at all.
    FakeText small{1000, {}};
    fit = FitTitle(5, 96, 1, 1000, 5, FakeWidth, &small);
    EXPECT_EQ(fit.points, 5);
    EXPECT_EQ(fit.measurements, 0);

    // Width plus shadow plus margin must be below the client width: equal does not fit.
    FakeText exact{10, {}};   // 34 * 10 + shadow 34*100/1300 = 2 + margin 8 = 350
    fit = FitTitle(26, 96, 100, 350, 8, FakeWidth, &exact);
    EXPECT_EQ(fit.points, 25);
}

TEST(TextPlacement, EachPositionHasItsCornerOrEdge)
{
    const TextMargins m = TextMarginsFor(1000, 800);
    EXPECT_EQ(m.horizontal, 5);
    EXPECT_EQ(m.vertical, 2);
    EXPECT_EQ(ShadowOffset(130, 10), 1);
    EXPECT_EQ(ShadowOffset(129, 10), 0);
    EXPECT_EQ(FontPixelHeight(26, 144), 52);
    struct Case {
        int position;
        int x, y;
    } cases[] = {
        {1, 8, 2},                      // margin 5 + shadow 3
        {2, 8 + (984 - 100) / 2, 2},
        {3, 8 + 984 - 100, 2},
        {4, 8, 800 - 40 - 3 - 2},      // the vertical margin plus the shadow below the text
        {5, 8 + (984 - 100) / 2, 755},
        {6, 892, 755},
    };
    for (const Case &c : cases) {
        const TextOrigin o = PlaceText(c.position, 1000, 800, 100, 40, m, 3);
        EXPECT_EQ(o.x, c.x) << c.position;
        EXPECT_EQ(o.y, c.y) << c.position;
    }
    EXPECT_FALSE(IsTextPosition(0));
    EXPECT_FALSE(IsTextPosition(7));
}

bool OnlyTahomaAndVerdana(void *, const String &face)
{
    return face.Equals("Tahoma") || face.Equals("Verdana");
}

TEST(ChooseFontFace, TheFirstInstalledFaceOfTheListElseArial)
{
    struct Case {
        const char *list;
        const char *face;
    } cases[] = {
        {"Missing Face, Tahoma", "Tahoma"},
        {" Verdana ,Tahoma", "Verdana"},
        {"Missing One,Missing Two", "Arial"},
        {"", "Arial"},
        {",,Tahoma,", "Tahoma"},
    };
    for (const Case &c : cases)
        EXPECT_STREQ(ChooseFontFace(String(c.list), OnlyTahomaAndVerdana, nullptr).Bytes(), c.face) << c.list;
}

TEST(SizeFactors, PointSizesFromTheFactors)
{
    EXPECT_EQ(TitlePoints(1.0), 26);
    EXPECT_EQ(TitlePoints(1.5), 39);
    EXPECT_EQ(CopyrightPoints(1.0), 16);
    EXPECT_EQ(CopyrightPoints(0.0), 0);
    EXPECT_EQ(TitlePoints(-2.0), 0);
    EXPECT_EQ(TitlePoints(1e300), 1000);
}

} // namespace
