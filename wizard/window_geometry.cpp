#include "wizard/window_geometry.h"

#include <cstddef>

namespace {

constexpr int kMinimumPoints = 6;
constexpr int kBandDivisor = 224;
constexpr int kMaxBandHeight = 3;

int Channel(uint32_t colour, int shift) { return static_cast<int>((colour >> shift) & 0xFF); }

PixelRect Centred(int clientWidth, int clientHeight, int width, int height)
{
    PixelRect r;
    r.left = (clientWidth - width) / 2;
    r.top = (clientHeight - height) / 2;
    r.right = r.left + width;
    r.bottom = r.top + height;
    return r;
}

// The largest rectangle of the picture's aspect ratio inside `area`, centred in it.
PixelRect KeepAspect(const PixelRect &area, int pictureWidth, int pictureHeight)
{
    // 64-bit products: a picture of some thousand pixels times an area of some thousand pixels.
    const int64_t byWidth = static_cast<int64_t>(area.Width()) * pictureHeight;
    const int64_t byHeight = static_cast<int64_t>(area.Height()) * pictureWidth;
    int width = area.Width();
    int height = area.Height();
    if (byWidth > byHeight)   // the area is wider than the picture: the height decides
        width = static_cast<int>(static_cast<int64_t>(area.Height()) * pictureWidth / pictureHeight);
    else
        height = static_cast<int>(static_cast<int64_t>(area.Width()) * pictureHeight / pictureWidth);
    PixelRect r;
    r.left = area.left + (area.Width() - width) / 2;
    r.top = area.top + (area.Height() - height) / 2;
    r.right = r.left + width;
    r.bottom = r.top + height;
    return r;
}

} // namespace

PixelRect PictureArea(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight,
                      int32_t bitmapSizePercent, int32_t stretchMode)
{
    if (bitmapSizePercent <= 0 || pictureWidth <= 0 || pictureHeight <= 0 || clientWidth <= 0 ||
        clientHeight <= 0)
        return PixelRect();
    const int percent = bitmapSizePercent > 100 ? 100 : bitmapSizePercent;
    const PixelRect area = Centred(clientWidth, clientHeight, clientWidth * percent / 100,
                                   clientHeight * percent / 100);
    if (area.Width() <= 0 || area.Height() <= 0)
        return PixelRect();
    switch (stretchMode) {
    case kStretchKeepAspect:
        return KeepAspect(area, pictureWidth, pictureHeight);
    case kStretchWholeFactor: {
        if (pictureWidth > area.Width() || pictureHeight > area.Height())
            return KeepAspect(area, pictureWidth, pictureHeight);
        const int byWidth = area.Width() / pictureWidth;
        const int byHeight = area.Height() / pictureHeight;
        int factor = byWidth < byHeight ? byWidth : byHeight;
        if (factor < 1)
            factor = 1;
        PixelRect r;
        r.left = area.left + (area.Width() - pictureWidth * factor) / 2;
        r.top = area.top + (area.Height() - pictureHeight * factor) / 2;
        r.right = r.left + pictureWidth * factor;
        r.bottom = r.top + pictureHeight * factor;
        return r;
    }
    default:
        return area;
    }
}

std::vector<PixelRect> PictureTiles(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight)
{
    std::vector<PixelRect> tiles;
    if (pictureWidth <= 0 || pictureHeight <= 0 || clientWidth <= 0 || clientHeight <= 0)
        return tiles;
    const int columns = (clientWidth + pictureWidth - 1) / pictureWidth;
    const int rows = (clientHeight + pictureHeight - 1) / pictureHeight;
    tiles.reserve(static_cast<size_t>(columns) * static_cast<size_t>(rows));
    for (int c = 0; c < columns; ++c)
        for (int r = 0; r < rows; ++r)
            tiles.push_back(PixelRect{c * pictureWidth, r * pictureHeight, (c + 1) * pictureWidth,
                                      (r + 1) * pictureHeight});
    return tiles;
}

std::vector<GradientBand> GradientBands(int height, uint32_t top, uint32_t bottom)
{
    std::vector<GradientBand> bands;
    if (height <= 0)
        return bands;
    int bandHeight = height / kBandDivisor;
    if (bandHeight < 1)
        bandHeight = 1;
    if (bandHeight > kMaxBandHeight)
        bandHeight = kMaxBandHeight;
    const int count = (height + bandHeight - 1) / bandHeight;
    bands.reserve(static_cast<size_t>(count));
    // Band i of n gets top + (bottom - top) * i / (n - 1) per channel: equal whole steps of
    // (bottom - top) / (n - 1) with the remainder spread evenly over the bands, and the last band
    // exactly the bottom colour.
    for (int i = 0; i < count; ++i) {
        uint32_t colour = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const int from = Channel(top, shift);
            const int to = Channel(bottom, shift);
            const int value = count == 1 ? from : from + (to - from) * i / (count - 1);
            colour |= static_cast<uint32_t>(value) << shift;
        }
        const int bandTop = i * bandHeight;
        const int bandBottom = bandTop + bandHeight > height ? height : bandTop + bandHeight;
        bands.push_back(GradientBand{bandTop, bandBottom, colour});
    }
    return bands;
}

TextMargins TextMarginsFor(int clientWidth, int clientHeight)
{
    return TextMargins{clientWidth / 200, clientHeight / 400};
}

int FontPixelHeight(int pointSize, int dpiY)
{
    return static_cast<int>(static_cast<int64_t>(dpiY) * pointSize / 72);
}

int ShadowOffset(int fontHeight, int shadow) { return fontHeight * shadow / 1300; }

TitleFit FitTitle(int startPoints, int dpiY, int shadowSetting, int clientWidth, int horizontalMargin,
                  MeasureTextWidth measure, void *context)
{
    TitleFit fit;
    fit.points = startPoints;
    for (;;) {
        fit.fontHeight = FontPixelHeight(fit.points, dpiY);
        fit.shadow = ShadowOffset(fit.fontHeight, shadowSetting);
        if (fit.points <= kMinimumPoints)
            break;
        ++fit.measurements;
        const int width = measure(context, fit.fontHeight);
        if (width + fit.shadow + horizontalMargin < clientWidth)
            break;
        --fit.points;
    }
    return fit;
}

bool IsTextPosition(int position) { return position >= 1 && position <= 6; }

TextOrigin PlaceText(int position, int clientWidth, int clientHeight, int textWidth, int textHeight,
                     TextMargins margins, int shadow)
{
    TextOrigin origin;
    // The text is aligned inside the client width less the margin and the shadow on both sides.
    const int boxLeft = margins.horizontal + shadow;
    const int boxWidth = clientWidth - 2 * (margins.horizontal + shadow);
    switch (position) {
    case 1:
    case 4:
        origin.x = boxLeft;
        break;
    case 2:
    case 5:
        origin.x = boxLeft + (boxWidth - textWidth) / 2;
        break;
    default:
        origin.x = boxLeft + boxWidth - textWidth;
        break;
    }
    if (position <= 3)
        origin.y = margins.vertical;
    else
        origin.y = clientHeight - textHeight - shadow - margins.vertical;
    return origin;
}
