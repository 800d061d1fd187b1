// String operations beyond storage: lines, trimming, cutting, searching, parsing, comparing, case
// and the hash. The 8-bit and wide forms share one template each, on the unit type.
#include "core/string.h"

#include <cstring>

#include "core/ascii_text.h"
#include "core/text_case.h"

const char kTrimSet[] = " \r\n\t";
const char16_t kTrimSetWide[] = u" \r\n\t";

namespace {

template <typename C>
const C *Units(const String &s);
template <>
const char *Units<char>(const String &s) { return s.Bytes(); }
template <>
const char16_t *Units<char16_t>(const String &s) { return s.Wide(); }

template <typename C>
int32_t UnitCount(const String &s) { return s.Length() / static_cast<int32_t>(sizeof(C)); }

template <typename C>
int32_t TextLength(const C *text)
{
    int32_t n = 0;
    if (text)
        while (text[n])
            ++n;
    return n;
}

template <typename C>
bool InSet(C c, const C *set)
{
    for (; *set; ++set)
        if (*set == c)
            return true;
    return false;
}

template <typename C>
void Trim(String &s, const C *set, bool left, bool right)
{
    const C *text = Units<C>(s);
    int32_t end = UnitCount<C>(s);
    int32_t start = 0;
    if (right)
        while (end > 0 && InSet(text[end - 1], set))
            --end;
    if (left)
        while (start < end && InSet(text[start], set))
            ++start;
    const int32_t unit = sizeof(C);
    if (end < UnitCount<C>(s))
        s.Resize(end * unit);
    if (start > 0)
        s.Remove(0, start * unit);
}

template <typename C>
bool StripLeading(String &s, C c)
{
    if (UnitCount<C>(s) == 0 || Units<C>(s)[0] != c)
        return false;
    s.Remove(0, sizeof(C));
    return true;
}

template <typename C>
bool StripTrailing(String &s, C c)
{
    const int32_t n = UnitCount<C>(s);
    if (n == 0 || Units<C>(s)[n - 1] != c)
        return false;
    s.Resize((n - 1) * static_cast<int32_t>(sizeof(C)));
    return true;
}

template <typename C>
void RemoveChars(String &s, const C *set)
{
    const int32_t n = UnitCount<C>(s);
    if (n == 0 || !set)
        return;
    C *text = reinterpret_cast<C *>(s.MutableBytes());
    int32_t kept = 0;
    for (int32_t i = 0; i < n; ++i)
        if (!InSet(text[i], set))
            text[kept++] = text[i];
    if (kept < n)
        s.Resize(kept * static_cast<int32_t>(sizeof(C)));
}

template <typename C>
String CutQuoted(String &s, int32_t at, C quote)
{
    String token;
    const int32_t n = UnitCount<C>(s);
    const C *text = Units<C>(s);
    if (at < 0 || at >= n || text[at] != quote)
        return token;
    int32_t i = at + 1;
    for (; i < n; ++i) {
        if (text[i] != quote) {
            token.Append(reinterpret_cast<const char *>(text + i), sizeof(C));
        } else if (i + 1 < n && text[i + 1] == quote) {
            token.Append(reinterpret_cast<const char *>(text + i), sizeof(C));
            ++i;
        } else {
            ++i;   // the closing quote goes with the token
            break;
        }
    }
    const int32_t unit = sizeof(C);
    s.Remove(at * unit, (i - at) * unit);
    return token;
}

template <typename C>
int32_t FindLineEnd(const String &s, int32_t from, unsigned flags)
{
    const int32_t n = UnitCount<C>(s);
    const C *text = Units<C>(s);
    for (int32_t i = from < 0 ? 0 : from; i < n; ++i) {
        const C c = text[i];
        if (c == '"' && (flags & kLineEndSkipQuoted)) {
            ++i;
            while (i < n && text[i] != '"')
                ++i;
            if (i == n)
                break;
            continue;
        }
        if (c != '\r' && c != '\n')
            continue;
        if (flags & kLineEndAtTerminator)
            return i;
        const C pair = c == '\r' ? '\n' : '\r';
        return i + 1 < n && text[i + 1] == pair ? i + 2 : i + 1;
    }
    return (flags & kLineEndOrTextEnd) ? n : -1;
}

template <typename C>
int64_t ParseInteger(const String &s)
{
    const int32_t n = UnitCount<C>(s);
    const C *text = Units<C>(s);
    int32_t i = 0;
    while (i < n && !(text[i] >= '0' && text[i] <= '9') && text[i] != '+' && text[i] != '-' && text[i] != '.')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // Accumulated as a negative number, whose range is the larger one.
    constexpr int64_t kMin = INT64_MIN;
    int64_t value = 0;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (value < (kMin + digit) / 10) {
            value = kMin;
            break;
        }
        value = value * 10 - digit;
    }
    if (negative)
        return value;
    return value == kMin ? INT64_MAX : -value;
}

template <typename C>
bool StartsWith(const String &s, const C *prefix, int32_t units)
{
    return units <= UnitCount<C>(s) && std::memcmp(s.Bytes(), prefix, sizeof(C) * static_cast<size_t>(units)) == 0;
}

bool EqualIgnoringAsciiCase(const char *a, int32_t aLength, const char *b, int32_t bLength)
{
    if (aLength != bLength)
        return false;
    for (int32_t i = 0; i < aLength; ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

} // namespace

String &String::AppendLine(const char *text) { return Append(text).Append("\r\n", 2); }
String &String::AppendLine(const String &text) { return Append(text).Append("\r\n", 2); }
String &String::AppendLineWide(const char16_t *text) { return AppendWide(text).AppendWide(u"\r\n", 2); }
String &String::AppendLineWide(const String &wide) { return Append(wide).AppendWide(u"\r\n", 2); }

String &String::TrimLeft(const char *set) { return ::Trim(*this, set, true, false), *this; }
String &String::TrimRight(const char *set) { return ::Trim(*this, set, false, true), *this; }
String &String::Trim(const char *set) { return ::Trim(*this, set, true, true), *this; }
String &String::TrimLeftWide(const char16_t *set) { return ::Trim(*this, set, true, false), *this; }
String &String::TrimRightWide(const char16_t *set) { return ::Trim(*this, set, false, true), *this; }
String &String::TrimWide(const char16_t *set) { return ::Trim(*this, set, true, true), *this; }

bool String::StripLeading(char c) { return ::StripLeading(*this, c); }
bool String::StripTrailing(char c) { return ::StripTrailing(*this, c); }
bool String::StripLeadingWide(char16_t c) { return ::StripLeading(*this, c); }
bool String::StripTrailingWide(char16_t c) { return ::StripTrailing(*this, c); }

String &String::RemoveChars(const char *set) { return ::RemoveChars(*this, set), *this; }
String &String::RemoveCharsWide(const char16_t *set) { return ::RemoveChars(*this, set), *this; }

String String::CutQuoted(int32_t at, char quote) { return ::CutQuoted(*this, at, quote); }
String String::CutQuotedWide(int32_t at, char16_t quote) { return ::CutQuoted(*this, at, quote); }

int32_t String::FindLineEnd(int32_t from, unsigned flags) const { return ::FindLineEnd<char>(*this, from, flags); }
int32_t String::FindLineEndWide(int32_t from, unsigned flags) const
{
    return ::FindLineEnd<char16_t>(*this, from, flags);
}

int64_t String::ParseInteger() const { return ::ParseInteger<char>(*this); }
int64_t String::ParseIntegerWide() const { return ::ParseInteger<char16_t>(*this); }

bool String::operator==(const String &other) const
{
    return length_ == other.length_ && std::memcmp(Bytes(), other.Bytes(), static_cast<size_t>(length_)) == 0;
}

bool String::Equals(const char *text) const
{
    const int32_t n = TextLength(text);
    return n == length_ && std::memcmp(Bytes(), text ? text : "", static_cast<size_t>(n)) == 0;
}

bool String::EqualsIgnoreCase(const String &other) const
{
    return EqualIgnoringAsciiCase(Bytes(), length_, other.Bytes(), other.length_);
}

bool String::EqualsIgnoreCase(const char *text) const
{
    return EqualIgnoringAsciiCase(Bytes(), length_, text ? text : "", TextLength(text));
}

bool String::EqualsIgnoreCaseWide(const String &other) const
{
    return WideEqualIgnoringCase(Wide(), WideLength(), other.Wide(), other.WideLength());
}

bool String::EqualsIgnoreCaseWide(const char16_t *text) const
{
    return WideEqualIgnoringCase(Wide(), WideLength(), text ? text : u"", TextLength(text));
}

bool String::StartsWith(const String &prefix) const { return ::StartsWith(*this, prefix.Bytes(), prefix.length_); }
bool String::StartsWith(const char *prefix) const { return ::StartsWith(*this, prefix, TextLength(prefix)); }
bool String::StartsWithWide(const char16_t *prefix) const
{
    return ::StartsWith(*this, prefix, TextLength(prefix));
}

String &String::ToLowerAscii()
{
    for (int32_t i = 0; i < length_; ++i)
        data_[i] = AsciiLower(data_[i]);
    return *this;
}

String &String::ToUpperWide()
{
    if (data_)
        WideToUpperCase(MutableWide(), WideLength());
    return *this;
}

uint32_t String::Hash() const
{
    constexpr uint32_t kSeed = 0x79e2bc9d;
    uint32_t hash = kSeed;
    if (length_ <= 0)
        return hash;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(data_);
    const int32_t words = length_ / 4;
    for (int32_t i = 0; i < words; ++i, p += 4)
        hash += uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    for (int32_t i = words * 4; i < length_; ++i, ++p)
        hash += static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*p)));
    return hash + static_cast<uint32_t>(length_);
}
