// The arithmetic of the installer window's painting, kept apart from GDI so that it can be checked
// on the host: where the background picture goes, the bands of the gradient when the system's
// gradient fill is missing, the title's font size, shadow and place.
#pragma once

#include <cstdint>
#include <vector>

struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const PixelRect &o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// "StretchMode" values.
enum PictureStretchMode : int32_t {
    kStretchToArea = 0,     // fill the area (and every unknown value)
    kStretchKeepAspect = 1, // the largest centred rectangle of the picture's aspect ratio
    kStretchWholeFactor = 2,// the picture's size times the largest whole factor that fits
    kStretchTile = 3,       // tiles at the picture's own size over the whole client area
};

// The rectangle the picture is stretched into (modes 0 to 2): "BitmapSize" percent of the client
// width and height, centred, then shaped by the mode. Empty (zero size) when nothing is drawn: a
// size of 0 or less, or a picture without pixels.
PixelRect PictureArea(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight,
                      int32_t bitmapSizePercent, int32_t stretchMode);

// Mode 3: the top-left corners of the tiles, column by column, covering the client area (columns
// and rows rounded up).
std::vector<PixelRect> PictureTiles(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight);

// One band of the fall-back gradient. Colours are COLORREF values (0x00BBGGRR).
struct GradientBand {
    int top = 0;
    int bottom = 0;
    uint32_t colour = 0;
};

// The bands that stand in for a vertical gradient from `top` to `bottom` over a client area of
// `height` pixels: each band height / 224 pixels high (kept between 1 and 3), the colour moving by
// equal integer steps per channel with the remainders spread evenly, the first band `top` and the
// last `bottom`.
std::vector<GradientBand> GradientBands(int height, uint32_t top, uint32_t bottom);

// Title and copyright placement.
struct TextMargins {
    int horizontal = 0;  // client width / 200
    int vertical = 0;    // client height / 400
};
TextMargins TextMarginsFor(int clientWidth, int clientHeight);

// Font height in pixels for a point size at `dpiY` logical pixels per inch.
int FontPixelHeight(int pointSize, int dpiY);
// Shadow offset in pixels: height x shadow / 1300 (integer division).
int ShadowOffset(int fontHeight, int shadow);

// The point size that the shrink loop settles on. Starting at `startPoints`, while the size is
// above 6 the text is measured at that size (`measure` returns the text width in pixels); the
// loop stops when width + shadow offset + horizontal margin is below the client width, else it
// tries one point smaller. At 6 points or less no more measuring happens.
struct TitleFit {
    int points = 0;
    int fontHeight = 0;
    int shadow = 0;
    int measurements = 0;    // how many sizes were measured
};
using MeasureTextWidth = int (*)(void *context, int fontHeight);
TitleFit FitTitle(int startPoints, int dpiY, int shadowSetting, int clientWidth, int horizontalMargin,
                  MeasureTextWidth measure, void *context);

// "TitlePosition" / "CopyrightPos": 1 top left, 2 top centre, 3 top right, 4 bottom left, 5 bottom
// centre, 6 bottom right; anything else paints nothing.
bool IsTextPosition(int position);

// Where a text of `textWidth` by `textHeight` pixels is painted (the top-left corner of the text
// in its colour; its shadow, if any, lies `shadow` pixels right and down of it).
struct TextOrigin {
    int x = 0;
    int y = 0;
};
TextOrigin PlaceText(int position, int clientWidth, int clientHeight, int textWidth, int textHeight,
                     TextMargins margins, int shadow);
