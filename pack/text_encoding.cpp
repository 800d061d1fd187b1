#include "pack/text_encoding.h"

namespace {

// Unicode code points of the Windows-1252 bytes 0x80 to 0x9F; 0 marks the five unassigned bytes.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// Decodes one code point at `i`; false on malformed input.
bool NextCodePoint(const std::string &s, size_t &i, char32_t &cp)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    int extra;
    char32_t min;
    if (b0 < 0x80) {
        cp = b0;
        ++i;
        return true;
    } else if ((b0 & 0xE0) == 0xC0) {
        cp = b0 & 0x1F, extra = 1, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        cp = b0 & 0x0F, extra = 2, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        cp = b0 & 0x07, extra = 3, min = 0x10000;
    } else {
        return false;
    }
    if (i + extra >= s.size())
        return false;
    for (int k = 1; k <= extra; ++k) {
        const unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80)
            return false;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return false;
    i += extra + 1;
    return true;
}

void AppendUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsAscii(const std::string &s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

std::optional<std::u16string> Utf8ToUtf16(const std::string &utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp;
        if (!NextCodePoint(utf8, i, cp))
            return std::nullopt;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string Utf16ToUtf8(const std::u16string &wide)
{
    std::string out;
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t cp = wide[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::optional<std::string> Utf8ToWindows1252(const std::string &utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp;
        if (!NextCodePoint(utf8, i, cp))
            return std::nullopt;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
            continue;
        }
        bool found = false;
        for (int k = 0; k < 32 && !found; ++k) {
            if (kWindows1252High[k] != 0 && kWindows1252High[k] == cp) {
                out += static_cast<char>(0x80 + k);
                found = true;
            }
        }
        if (!found)
            return std::nullopt;
    }
    return out;
}

std::string Windows1252ToUtf8(const std::string &bytes)
{
    std::string out;
    for (char c : bytes) {
        const unsigned char b = static_cast<unsigned char>(c);
        char32_t cp = b;
        if (b >= 0x80 && b <= 0x9F && kWindows1252High[b - 0x80] != 0)
            cp = kWindows1252High[b - 0x80];
        AppendUtf8(out, cp);
    }
    return out;
}

std::string PathText8(const std::string &utf8)
{
    return IsAscii(utf8) ? utf8 : "|" + utf8;
}

std::string PathText8ToUtf8(const std::string &text)
{
    if (!text.empty() && text[0] == '|')
        return text.substr(1);
    return IsAscii(text) ? text : Windows1252ToUtf8(text);
}
