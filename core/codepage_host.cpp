// Code-page conversion by the library's own tables, for the host build (tests and tools): UTF-8,
// and Windows-1252, which also stands for the ANSI code page. Other pages fail. Unlike the system,
// these tables have no look-alike ("best fit") substitutes and do not compose decomposed letters:
// such characters take the replacement instead.
#include "core/codepage.h"
#include "core/codepage_system.h"

namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;

// Windows-1252 bytes 0x80 to 0x9F; the five bytes the page leaves undefined map to the C1 control
// of the same number, as the system's table does. Every other byte is its own code point.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t Windows1252ToUnit(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte;
}

// The byte for `unit`, or -1 when 1252 has none.
int Windows1252FromUnit(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return unit;
    for (int i = 0; i < 32; ++i)
        if (kWindows1252High[i] == unit)
            return 0x80 + i;
    return -1;
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendCodePoint(String &wide, uint32_t cp)
{
    if (cp >= 0x10000) {
        cp -= 0x10000;
        wide.AppendWideChar(static_cast<char16_t>(0xD800 + (cp >> 10)));
        wide.AppendWideChar(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        wide.AppendWideChar(static_cast<char16_t>(cp));
    }
}

// UTF-8 to UTF-16. Each maximal ill-formed subsequence becomes one U+FFFD, as the system does since
// Windows Vista when no error flag is given.
void Utf8ToWide(const unsigned char *p, int32_t length, String &wide)
{
    wide.Reserve(length * 2);
    int32_t i = 0;
    while (i < length) {
        const unsigned char lead = p[i];
        if (lead < 0x80) {
            wide.AppendWideChar(lead);
            ++i;
            continue;
        }
        int size = 0;
        unsigned char low = 0x80, high = 0xBF;   // the range allowed for the second byte
        if (lead >= 0xC2 && lead <= 0xDF)
            size = 2;
        else if (lead >= 0xE0 && lead <= 0xEF) {
            size = 3;
            if (lead == 0xE0)
                low = 0xA0;   // no overlong forms
            else if (lead == 0xED)
                high = 0x9F;  // no encoded surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            size = 4;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;  // nothing above U+10FFFF
        }
        uint32_t cp = size == 2 ? lead & 0x1Fu : size == 3 ? lead & 0x0Fu : lead & 0x07u;
        int taken = 1;
        bool complete = size > 0;
        for (; complete && taken < size; ++taken) {
            if (i + taken >= length) {
                complete = false;
                break;
            }
            const unsigned char next = p[i + taken];
            const unsigned char lo = taken == 1 ? low : 0x80, hi = taken == 1 ? high : 0xBF;
            if (next < lo || next > hi) {
                complete = false;
                break;
            }
            cp = cp << 6 | (next & 0x3Fu);
        }
        if (complete)
            AppendCodePoint(wide, cp);
        else
            wide.AppendWideChar(kReplacementCharacter);
        i += taken;
    }
}

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
void WideToUtf8(const char16_t *text, int32_t units, String &bytes)
{
    bytes.Reserve(units * 3);
    for (int32_t i = 0; i < units; ++i) {
        uint32_t cp = text[i];
        if (IsHighSurrogate(text[i]) && i + 1 < units && IsLowSurrogate(text[i + 1])) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
            cp = kReplacementCharacter;
        }
        char out[4];
        int n;
        if (cp < 0x80) {
            out[0] = static_cast<char>(cp);
            n = 1;
        } else if (cp < 0x800) {
            out[0] = static_cast<char>(0xC0 | cp >> 6);
            out[1] = static_cast<char>(0x80 | (cp & 0x3F));
            n = 2;
        } else if (cp < 0x10000) {
            out[0] = static_cast<char>(0xE0 | cp >> 12);
            out[1] = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out[2] = static_cast<char>(0x80 | (cp & 0x3F));
            n = 3;
        } else {
            out[0] = static_cast<char>(0xF0 | cp >> 18);
            out[1] = static_cast<char>(0x80 | (cp >> 12 & 0x3F));
            out[2] = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out[3] = static_cast<char>(0x80 | (cp & 0x3F));
            n = 4;
        }
        bytes.Append(out, n);
    }
}

// UTF-16 to a single-byte page: `fromUnit` gives the byte or -1. As with the system, a surrogate
// pair is one character and takes one replacement byte.
void WideToSingleByte(const char16_t *text, int32_t units, int (*fromUnit)(char16_t), char replacement,
                      String &bytes)
{
    bytes.Reserve(units);
    for (int32_t i = 0; i < units; ++i) {
        const int byte = fromUnit(text[i]);
        if (byte >= 0) {
            bytes.AppendByte(static_cast<char>(byte));
            continue;
        }
        if (IsHighSurrogate(text[i]) && i + 1 < units && IsLowSurrogate(text[i + 1]))
            ++i;
        bytes.AppendByte(replacement);
    }
}

int UsAsciiFromUnit(char16_t unit) { return unit < 0x80 ? unit : -1; }

bool IsWindows1252(int codePage) { return codePage == kCodePageAnsi || codePage == kCodePageWindows1252; }

} // namespace

bool SystemCodePageToWide(const char *bytes, int32_t length, int codePage, String &wide)
{
    const unsigned char *p = reinterpret_cast<const unsigned char *>(bytes);
    String result;
    if (codePage == kCodePageUtf8) {
        Utf8ToWide(p, length, result);
    } else if (IsWindows1252(codePage)) {
        result.Reserve(length * 2);
        for (int32_t i = 0; i < length; ++i)
            result.AppendWideChar(Windows1252ToUnit(p[i]));
    } else {
        return false;
    }
    wide = static_cast<String &&>(result);
    return true;
}

bool SystemCodePageFromWide(const char16_t *text, int32_t units, int codePage, const char *replacement,
                            bool noBestFit, String &bytes)
{
    // Single-byte pages use the first byte of the replacement, '?' by default, like the system.
    const char replacementByte = replacement && *replacement ? *replacement : '?';
    String result;
    if (codePage == kCodePageUtf8)
        WideToUtf8(text, units, result);
    else if (IsWindows1252(codePage))
        WideToSingleByte(text, units, Windows1252FromUnit, replacementByte, result);
    else if (codePage == kCodePageUsAscii)
        WideToSingleByte(text, units, UsAsciiFromUnit, replacementByte, result);
    else
        return false;
    bytes = static_cast<String &&>(result);
    return true;
}
