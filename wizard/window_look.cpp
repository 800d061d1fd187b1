#include "wizard/window_look.h"

#include "setupdata/settings.h"

WindowLook WindowLookFromSettings(const Settings &s)
{
    WindowLook look;
    look.TaskbarText = s.TaskbarText;
    look.DisplayTitle = s.DisplayTitle;
    look.TitleSize = s.TitleSize;
    look.TitleColor = s.TitleColor;
    look.TitleShadow = s.TitleShadow;
    look.TitlePosition = s.TitlePosition;
    look.TitleFont = s.TitleFont;
    look.TopColor = s.TopColor;
    look.BottomColor = s.BottomColor;
    look.MonoColor = s.TopColor == s.BottomColor;
    look.CopyrightText = s.CopyrightText;
    look.CopyrightFont = s.CopyrightFont;
    look.CopyrightSize = s.CopyrightSize;
    look.CopyrightColor = s.CopyrightColor;
    look.CopyrightPos = s.CopyrightPos;
    look.BackgroundBitmap = s.BackgroundBitmap;
    look.BitmapTPI = s.BackgroundBitmap.Empty() ? -1 : s.BitmapTPI;
    look.StretchMode = s.StretchMode;
    look.BitmapSize = s.BitmapSize;
    return look;
}

String ChooseFontFace(const String &fontList, FontInstalled installed, void *context)
{
    const char *text = fontList.Bytes();
    const int32_t length = fontList.Length();
    int32_t start = 0;
    while (start <= length) {
        int32_t end = start;
        while (end < length && text[end] != ',')
            ++end;
        String face(text + start, end - start);
        face.Trim();
        if (!face.Empty() && installed(context, face))
            return face;
        start = end + 1;
    }
    return String("Arial");
}

namespace {

int Points(double factor, int perFactor)
{
    const double points = factor * perFactor;
    // A nonsense factor (a NaN, a huge value from a damaged entry) must not become a huge font.
    if (!(points > 0))
        return 0;
    return points > 1000 ? 1000 : static_cast<int>(points);
}

} // namespace

int TitlePoints(double factor) { return Points(factor, kTitlePointsPerFactor); }
int CopyrightPoints(double factor) { return Points(factor, kCopyrightPointsPerFactor); }
