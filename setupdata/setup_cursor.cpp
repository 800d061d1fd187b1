#include "setupdata/setup_cursor.h"

#include <cstring>
#include <initializer_list>

#include "setupdata/corruption.h"

int32_t LoadInt32(const uint8_t *p)
{
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

void StoreInt32(uint8_t *p, int32_t value)
{
    const uint32_t v = uint32_t(value);
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

const uint8_t *SetupCursor::Claim(size_t n)
{
    if (n > Remaining())
        ReportCorruption(kCorruptionOutOfBounds);
    const uint8_t *p = at_;
    at_ += n;
    return p;
}

int32_t SetupCursor::ReadInt32() { return LoadInt32(Claim(4)); }

const char *SetupCursor::ReadString8(int32_t *length)
{
    const void *zero = at_ ? std::memchr(at_, 0, Remaining()) : nullptr;
    if (!zero)
        ReportCorruption(kCorruptionOutOfBounds);
    const size_t n = size_t(static_cast<const uint8_t *>(zero) - at_);
    if (length)
        *length = int32_t(n);
    return reinterpret_cast<const char *>(Claim(n + 1));
}

String SetupCursor::ReadStringW()
{
    size_t units = 0;
    const size_t available = Remaining() / 2;
    while (units < available && (at_[2 * units] | at_[2 * units + 1]) != 0)
        ++units;
    if (units == available)
        ReportCorruption(kCorruptionOutOfBounds);
    const uint8_t *p = Claim(2 * (units + 1));
    String text;
    text.Resize(int32_t(2 * units));
    char16_t *out = text.MutableWide();
    for (size_t i = 0; i < units; ++i)
        out[i] = char16_t(p[2 * i] | p[2 * i + 1] << 8);
    return text;
}

const uint8_t *SetupCursor::Take(int32_t n)
{
    if (n < 0)
        ReportCorruption(kCorruptionOutOfBounds);
    return Claim(size_t(n));
}

String SetupCursor::ReadBytes(int32_t n)
{
    const uint8_t *p = Take(n);
    return String(reinterpret_cast<const char *>(p), n);
}

DateTime SetupCursor::ReadDateRecord()
{
    const uint8_t *p = Claim(kDateTimeRecordSize);
    DateTime date;
    date.year = LoadInt32(p);
    date.month = LoadInt32(p + 4);
    date.day = LoadInt32(p + 8);
    date.hour = LoadInt32(p + 12);
    date.minute = LoadInt32(p + 16);
    date.second = LoadInt32(p + 20);
    return date;
}

void AppendInt32(String &out, int32_t value)
{
    uint8_t bytes[4];
    StoreInt32(bytes, value);
    out.Append(reinterpret_cast<const char *>(bytes), 4);
}

void AppendString8(String &out, const String &text)
{
    out.Append(text.Bytes(), text.Length());
    out.AppendByte(0);
}

void AppendStringW(String &out, const String &wide)
{
    const char16_t *units = wide.Wide();
    for (int32_t i = 0; i < wide.WideLength(); ++i) {
        out.AppendByte(char(units[i] & 0xFF));
        out.AppendByte(char(units[i] >> 8));
    }
    out.AppendByte(0);
    out.AppendByte(0);
}

void AppendDateRecord(String &out, const DateTime &date)
{
    for (int32_t field : {date.year, date.month, date.day, date.hour, date.minute, date.second})
        AppendInt32(out, field);
}
