// The formatter behind String::Format and friends; see format.h for the conversions.
#include "core/format.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <type_traits>

#include "core/codepage.h"

namespace {

// Where formatted units go: a String, through a chunk so that appending stays cheap, or a fixed
// buffer that is cut when full.
template <typename C>
class Sink {
public:
    explicit Sink(String &out) : out_(&out) {}
    Sink(C *buffer, int32_t size) : buffer_(buffer), size_(size) {}

    void Put(C c)
    {
        if (out_) {
            chunk_[used_++] = c;
            if (used_ == kChunkUnits)
                Flush();
        } else if (written_ + 1 < size_) {
            buffer_[written_++] = c;
        }
    }
    void Put(const C *text, int32_t n)
    {
        for (int32_t i = 0; i < n; ++i)
            Put(text[i]);
    }
    void Repeat(C c, int32_t n)
    {
        for (int32_t i = 0; i < n; ++i)
            Put(c);
    }
    // Ends the output: flushes the chunk or terminates the buffer; returns the buffer's length.
    int32_t Finish()
    {
        if (out_)
            Flush();
        else if (size_ > 0)
            buffer_[written_] = 0;
        return written_;
    }

private:
    void Flush()
    {
        out_->Append(reinterpret_cast<const char *>(chunk_), used_ * static_cast<int32_t>(sizeof(C)));
        used_ = 0;
    }

    static constexpr int32_t kChunkUnits = 128;
    String *out_ = nullptr;
    C chunk_[kChunkUnits];
    int32_t used_ = 0;
    C *buffer_ = nullptr;
    int32_t size_ = 0;
    int32_t written_ = 0;
};

enum class Length { None, HH, H, L, LL, Z, J, T, I32, I64, LongDouble };

struct Field {
    bool left = false, plus = false, space = false, alternate = false, zero = false;
    int width = 0;
    int precision = -1;   // -1: none
    Length length = Length::None;
};

// Blank padding around a field of `n` units, written by `body`.
template <typename C, typename Body>
void PutPadded(Sink<C> &sink, const Field &field, int32_t n, Body body)
{
    const int32_t pad = field.width > n ? field.width - n : 0;
    if (!field.left)
        sink.Repeat(C(' '), pad);
    body();
    if (field.left)
        sink.Repeat(C(' '), pad);
}

template <typename C>
void PutInteger(Sink<C> &sink, const Field &field, uint64_t magnitude, bool negative, bool isSigned, char conversion)
{
    const unsigned base = conversion == 'o' ? 8 : (conversion == 'x' || conversion == 'X' || conversion == 'p') ? 16 : 10;
    const char *digitSet = conversion == 'x' ? "0123456789abcdef" : "0123456789ABCDEF";
    char digits[24];
    int32_t n = 0;
    for (uint64_t v = magnitude; v; v /= base)
        digits[n++] = digitSet[v % base];
    int32_t zeros = 0;
    if (field.precision >= 0)
        zeros = field.precision > n ? field.precision - n : 0;
    else if (magnitude == 0)
        zeros = 1;   // "0" without a precision
    if (conversion == 'o' && field.alternate && zeros == 0 && (n == 0 || digits[n - 1] != '0'))
        zeros = 1;
    char sign = 0;
    if (negative)
        sign = '-';
    else if (isSigned && field.plus)
        sign = '+';
    else if (isSigned && field.space)
        sign = ' ';
    const char *prefix = "";
    if (field.alternate && magnitude != 0 && (conversion == 'x' || conversion == 'X'))
        prefix = conversion == 'x' ? "0x" : "0X";
    const int32_t prefixLength = prefix[0] ? 2 : 0;
    int32_t total = (sign ? 1 : 0) + prefixLength + zeros + n;
    if (field.zero && !field.left && field.precision < 0 && field.width > total) {
        zeros += field.width - total;
        total = field.width;
    }
    PutPadded(sink, field, total, [&] {
        if (sign)
            sink.Put(C(sign));
        for (int32_t i = 0; i < prefixLength; ++i)
            sink.Put(C(prefix[i]));
        sink.Repeat(C('0'), zeros);
        while (n > 0)
            sink.Put(C(digits[--n]));
    });
}

template <typename T>
int32_t BoundedLength(const T *text, int precision)
{
    int32_t n = 0;
    while ((precision < 0 || n < precision) && text[n])
        ++n;
    return n;
}

template <typename C>
void PutText(Sink<C> &sink, const Field &field, const C *text, int32_t n)
{
    PutPadded(sink, field, n, [&] { sink.Put(text, n); });
}

// Text of the other width, converted through the ANSI code page.
void PutOtherText(Sink<char> &sink, const Field &field, const char16_t *text, int32_t n)
{
    String bytes;
    CodePageFromWide(text, n, kCodePageAnsi, "?", bytes);
    PutText(sink, field, bytes.Bytes(), bytes.Length());
}

void PutOtherText(Sink<char16_t> &sink, const Field &field, const char *text, int32_t n)
{
    String wide;
    CodePageToWide(text, n, kCodePageAnsi, wide);
    PutText(sink, field, wide.Wide(), wide.WideLength());
}

// A floating-point value through the C library, with the width and precision as arguments (a
// negative precision gives the library's default of 6).
template <typename C, typename T>
void PutCFormatted(Sink<C> &sink, const char *cFormat, const Field &field, T value)
{
    char small[64];
    String large;
    const char *out = small;
    const int n = std::snprintf(small, sizeof small, cFormat, field.width, field.precision, value);
    if (n >= static_cast<int>(sizeof small)) {
        large.Resize(n + 1);
        std::snprintf(large.MutableBytes(), static_cast<size_t>(n) + 1, cFormat, field.width, field.precision, value);
        out = large.Bytes();
    }
    for (int i = 0; i < n; ++i)
        sink.Put(C(static_cast<unsigned char>(out[i])));
}

template <typename C>
void PutFloat(Sink<C> &sink, const Field &field, va_list *args, char conversion)
{
    char cFormat[40];
    int32_t f = 0;
    cFormat[f++] = '%';
    if (field.left)
        cFormat[f++] = '-';
    if (field.plus)
        cFormat[f++] = '+';
    if (field.space)
        cFormat[f++] = ' ';
    if (field.alternate)
        cFormat[f++] = '#';
    if (field.zero)
        cFormat[f++] = '0';
    cFormat[f++] = '*';
    cFormat[f++] = '.';
    cFormat[f++] = '*';
    if (field.length == Length::LongDouble)
        cFormat[f++] = 'L';
    cFormat[f++] = conversion;
    cFormat[f] = 0;
    if (field.length == Length::LongDouble)
        PutCFormatted(sink, cFormat, field, va_arg(*args, long double));
    else
        PutCFormatted(sink, cFormat, field, va_arg(*args, double));
}

// A width or precision: digits (capped, so that they cannot overflow), or "*" for the next int
// argument.
template <typename C>
int ReadCount(const C *&p, va_list *args)
{
    if (*p == '*') {
        ++p;
        return va_arg(*args, int);
    }
    int n = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (n < 100000)
            n = n * 10 + (*p - '0');
    return n;
}

template <typename C>
const C *NullText();
template <>
const char *NullText<char>() { return "(null)"; }
template <>
const char16_t *NullText<char16_t>() { return u"(null)"; }

bool IsSignedConversion(char c) { return c == 'd' || c == 'i'; }
bool IsUnsignedConversion(char c) { return c == 'u' || c == 'x' || c == 'X' || c == 'o'; }

void ReadSigned(va_list *args, Length length, uint64_t &magnitude, bool &negative)
{
    int64_t v;
    switch (length) {
    case Length::HH: v = static_cast<signed char>(va_arg(*args, int)); break;
    case Length::H: v = static_cast<short>(va_arg(*args, int)); break;
    case Length::L: v = va_arg(*args, long); break;
    case Length::LL:
    case Length::I64: v = va_arg(*args, long long); break;
    case Length::Z:
    case Length::T: v = va_arg(*args, ptrdiff_t); break;
    case Length::J: v = va_arg(*args, intmax_t); break;
    default: v = va_arg(*args, int); break;
    }
    negative = v < 0;
    magnitude = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
}

uint64_t ReadUnsigned(va_list *args, Length length)
{
    switch (length) {
    case Length::HH: return static_cast<unsigned char>(va_arg(*args, unsigned));
    case Length::H: return static_cast<unsigned short>(va_arg(*args, unsigned));
    case Length::L: return va_arg(*args, unsigned long);
    case Length::LL:
    case Length::I64: return va_arg(*args, unsigned long long);
    case Length::Z:
    case Length::T: return va_arg(*args, size_t);
    case Length::J: return va_arg(*args, uintmax_t);
    default: return va_arg(*args, unsigned);
    }
}

template <typename C>
void Format(Sink<C> &sink, const C *format, va_list *args)
{
    using Other = typename std::conditional<std::is_same<C, char>::value, char16_t, char>::type;
    constexpr bool kWideFormat = std::is_same<C, char16_t>::value;
    // Whether a text or character argument is wide: h and l say so; otherwise %s and %c take the
    // format's own width and %S and %C the other one.
    const auto WideArgument = [](char conversion, bool narrow, bool wide) {
        if (narrow || wide)
            return wide;
        return kWideFormat != (conversion == 'S' || conversion == 'C');
    };
    const C *p = format;
    while (*p) {
        if (*p != '%') {
            sink.Put(*p++);
            continue;
        }
        const C *start = p++;
        Field field;
        for (;; ++p) {
            if (*p == '-')
                field.left = true;
            else if (*p == '+')
                field.plus = true;
            else if (*p == ' ')
                field.space = true;
            else if (*p == '#')
                field.alternate = true;
            else if (*p == '0')
                field.zero = true;
            else
                break;
        }
        field.width = ReadCount(p, args);
        if (field.width < 0) {
            field.left = true;
            field.width = field.width == INT_MIN ? 0 : -field.width;
        }
        if (*p == '.') {
            ++p;
            field.precision = ReadCount(p, args);
            if (field.precision < 0)
                field.precision = -1;
        }
        bool narrow = false, wide = false;   // h or l on c and s
        switch (*p) {
        case 'h':
            ++p;
            narrow = true;
            field.length = Length::H;
            if (*p == 'h') {
                ++p;
                field.length = Length::HH;
            }
            break;
        case 'l':
            ++p;
            wide = true;
            field.length = Length::L;
            if (*p == 'l') {
                ++p;
                field.length = Length::LL;
            }
            break;
        case 'w':
            ++p;
            wide = true;
            break;
        case 'z': ++p; field.length = Length::Z; break;
        case 'j': ++p; field.length = Length::J; break;
        case 't': ++p; field.length = Length::T; break;
        case 'L': ++p; field.length = Length::LongDouble; break;
        case 'q': ++p; field.length = Length::LL; break;
        case 'I':
            if (p[1] == '6' && p[2] == '4') {
                p += 3;
                field.length = Length::I64;
            } else if (p[1] == '3' && p[2] == '2') {
                p += 3;
                field.length = Length::I32;
            } else {
                ++p;
                field.length = Length::Z;
            }
            break;
        default: break;
        }
        const C conversionUnit = *p;
        if (!conversionUnit) {
            sink.Put(start, static_cast<int32_t>(p - start));   // a conversion cut short stays as it is
            break;
        }
        ++p;
        const char conversion = conversionUnit < 0x80 ? static_cast<char>(conversionUnit) : '\0';
        if (conversion == '%') {
            sink.Put(C('%'));
        } else if (IsSignedConversion(conversion)) {
            uint64_t magnitude;
            bool negative;
            ReadSigned(args, field.length, magnitude, negative);
            PutInteger(sink, field, magnitude, negative, true, conversion);
        } else if (IsUnsignedConversion(conversion)) {
            PutInteger(sink, field, ReadUnsigned(args, field.length), false, false, conversion);
        } else if (conversion == 'p') {
            Field pointer = field;
            pointer.precision = static_cast<int>(sizeof(void *) * 2);
            PutInteger(sink, pointer, reinterpret_cast<uintptr_t>(va_arg(*args, void *)), false, false, 'p');
        } else if (conversion == 'c' || conversion == 'C') {
            const unsigned value = va_arg(*args, unsigned);
            if (WideArgument(conversion, narrow, wide) == kWideFormat) {
                const C c = static_cast<C>(value);
                PutText(sink, field, &c, 1);
            } else {
                const Other c = static_cast<Other>(value);
                PutOtherText(sink, field, &c, 1);
            }
        } else if (conversion == 's' || conversion == 'S') {
            if (WideArgument(conversion, narrow, wide) == kWideFormat) {
                const C *text = va_arg(*args, const C *);
                if (!text)
                    text = NullText<C>();
                PutText(sink, field, text, BoundedLength(text, field.precision));
            } else if (const Other *text = va_arg(*args, const Other *)) {
                PutOtherText(sink, field, text, BoundedLength(text, field.precision));
            } else {
                PutText(sink, field, NullText<C>(), BoundedLength(NullText<C>(), field.precision));
            }
        } else if (conversion == 'n') {
            (void)va_arg(*args, void *);
        } else if (conversion == 'e' || conversion == 'E' || conversion == 'f' || conversion == 'F' ||
                   conversion == 'g' || conversion == 'G' || conversion == 'a' || conversion == 'A') {
            PutFloat(sink, field, args, conversion);
        } else {
            sink.Put(start, static_cast<int32_t>(p - start));
        }
    }
}

} // namespace

void FormatAppendV(String &out, const char *format, va_list args)
{
    if (!format)
        return;
    va_list copy;
    va_copy(copy, args);
    Sink<char> sink(out);
    Format(sink, format, &copy);
    sink.Finish();
    va_end(copy);
}

void FormatAppendWideV(String &out, const char16_t *format, va_list args)
{
    if (!format)
        return;
    va_list copy;
    va_copy(copy, args);
    Sink<char16_t> sink(out);
    Format(sink, format, &copy);
    sink.Finish();
    va_end(copy);
}

int32_t FormatBufferV(char *buffer, int32_t size, const char *format, va_list args)
{
    Sink<char> sink(buffer, size);
    if (format) {
        va_list copy;
        va_copy(copy, args);
        Format(sink, format, &copy);
        va_end(copy);
    }
    return sink.Finish();
}

int32_t FormatBuffer(char *buffer, int32_t size, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const int32_t n = FormatBufferV(buffer, size, format, args);
    va_end(args);
    return n;
}

String String::Format(const char *format, ...)
{
    String out;
    va_list args;
    va_start(args, format);
    FormatAppendV(out, format, args);
    va_end(args);
    return out;
}

String String::FormatWide(const char16_t *format, ...)
{
    String out;
    va_list args;
    va_start(args, format);
    FormatAppendWideV(out, format, args);
    va_end(args);
    return out;
}

String &String::AppendFormat(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    FormatAppendV(*this, format, args);
    va_end(args);
    return *this;
}

String &String::AppendFormatWide(const char16_t *format, ...)
{
    va_list args;
    va_start(args, format);
    FormatAppendWideV(*this, format, args);
    va_end(args);
    return *this;
}

String &String::AppendFormatV(const char *format, va_list args)
{
    FormatAppendV(*this, format, args);
    return *this;
}

String &String::AppendFormatWideV(const char16_t *format, va_list args)
{
    FormatAppendWideV(*this, format, args);
    return *this;
}

bool IsSingleIntFormat(const String &format)
{
    int conversions = 0;
    const char *p = format.Bytes();
    const char *end = p + format.Length();
    while (p < end) {
        if (*p++ != '%')
            continue;
        if (p < end && *p == '%') {
            ++p;
            continue;
        }
        if (p >= end || *p != 'd')
            return false;
        ++p;
        ++conversions;
    }
    return conversions == 1;
}

String FormatWithText(const String &format, const String &argument)
{
    String out;
    const char16_t *text = format.Wide();
    const int32_t n = format.WideLength();
    bool replaced = false;
    for (int32_t i = 0; i < n; ++i) {
        if (text[i] == u'%' && i + 1 < n && text[i + 1] == u'%') {
            out.AppendWideChar(u'%');
            ++i;
        } else if (!replaced && text[i] == u'%' && i + 1 < n && text[i + 1] == u's') {
            out.Append(argument);
            replaced = true;
            ++i;
        } else {
            out.AppendWideChar(text[i]);
        }
    }
    return out;
}
