#include "setupdata/local_codepage.h"

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F; the five unassigned bytes map to the C1
// control of the same value, as MultiByteToWideChar does.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t WideFrom1252(uint8_t b)
{
    return b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b);
}

char Cp1252From(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<char>(unit);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == unit)
            return static_cast<char>(0x80 + i);
    return '?';
}

// UTF-8 with unpaired surrogates carried as three-byte sequences, so that any wide text survives a
// round trip through it.
String WideFromUtf8(const String &utf8)
{
    String wide;
    const uint8_t *p = utf8.Data();
    const uint8_t *end = p + utf8.Length();
    while (p < end) {
        uint32_t c = *p++;
        int more = 0;
        if (c >= 0xF0 && c < 0xF8) {
            c &= 0x07;
            more = 3;
        } else if (c >= 0xE0) {
            c &= 0x0F;
            more = 2;
        } else if (c >= 0xC0) {
            c &= 0x1F;
            more = 1;
        } else if (c >= 0x80) {
            c = 0xFFFD;   // a stray continuation byte
        }
        if (c >= 0xF8)
            c = 0xFFFD;
        for (; more > 0; --more) {
            if (p >= end || (*p & 0xC0) != 0x80) {
                c = 0xFFFD;
                break;
            }
            c = (c << 6) | (*p++ & 0x3F);
        }
        if (c >= 0x10000 && c <= 0x10FFFF) {
            c -= 0x10000;
            wide.AppendWideChar(static_cast<char16_t>(0xD800 + (c >> 10)));
            wide.AppendWideChar(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            wide.AppendWideChar(c > 0x10FFFF ? char16_t(0xFFFD) : static_cast<char16_t>(c));
        }
    }
    return wide;
}

String Utf8FromWide(const String &wide)
{
    String utf8;
    const char16_t *u = wide.Wide();
    const int32_t n = wide.WideLength();
    for (int32_t i = 0; i < n; ++i) {
        uint32_t c = u[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && u[i + 1] >= 0xDC00 && u[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (u[++i] - 0xDC00);
        if (c < 0x80) {
            utf8.AppendByte(static_cast<char>(c));
        } else if (c < 0x800) {
            utf8.AppendByte(static_cast<char>(0xC0 | (c >> 6)));
            utf8.AppendByte(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            utf8.AppendByte(static_cast<char>(0xE0 | (c >> 12)));
            utf8.AppendByte(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            utf8.AppendByte(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            utf8.AppendByte(static_cast<char>(0xF0 | (c >> 18)));
            utf8.AppendByte(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            utf8.AppendByte(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            utf8.AppendByte(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return utf8;
}

} // namespace

String WideFromCodePage(const String &narrow, int codePage)
{
    if (codePage == kCodePageUtf8)
        return WideFromUtf8(narrow);
    String wide;
    wide.Reserve(narrow.Length() * 2);
    for (int32_t i = 0; i < narrow.Length(); ++i)
        wide.AppendWideChar(WideFrom1252(narrow.Data()[i]));
    return wide;
}

String CodePageFromWide(const String &wide, int codePage)
{
    if (codePage == kCodePageUtf8)
        return Utf8FromWide(wide);
    String narrow;
    narrow.Reserve(wide.WideLength());
    for (int32_t i = 0; i < wide.WideLength(); ++i)
        narrow.AppendByte(Cp1252From(wide.Wide()[i]));
    return narrow;
}
