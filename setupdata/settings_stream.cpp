#include "setupdata/settings_stream.h"

#include <cstring>

namespace {

uint64_t LittleEndian(const uint8_t *b, int count)
{
    uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | b[i];
    return value;
}

void PutLittleEndian(uint8_t *b, uint64_t value, int count)
{
    for (int i = 0; i < count; ++i) {
        b[i] = static_cast<uint8_t>(value);
        value >>= 8;
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Reading

SettingsStream::SettingsStream(const String &record)
    : bytes_(record.Data()), size_(record.Length())
{
}

SettingsStream::SettingsStream(const uint8_t *bytes, int32_t size)
    : bytes_(bytes), size_(size > 0 ? size : 0)
{
}

void SettingsStream::EndValue(bool outer, int32_t offset, SettingsForm form, const void *bytes, int32_t length)
{
    --depth_;
    if (outer && trace_)
        trace_->Value(offset, form, static_cast<const uint8_t *>(bytes), length);
}

bool SettingsStream::Read(void *dest, int32_t count)
{
    const int32_t at = position_;
    const bool outer = BeginValue();
    const bool ok = ReadUntraced(dest, count);
    EndValue(outer, at, SettingsForm::Raw, dest, count > 0 ? count : 0);
    return ok;
}

bool SettingsStream::ReadUntraced(void *dest, int32_t count)
{
    if (count <= 0)
        return true;
    const int32_t remaining = size_ - position_;
    if (count <= remaining) {
        std::memcpy(dest, bytes_ + position_, static_cast<size_t>(count));
        position_ += count;
        return true;
    }
    if (remaining > 0)
        std::memcpy(dest, bytes_ + position_, static_cast<size_t>(remaining));
    std::memset(static_cast<uint8_t *>(dest) + remaining, 0, static_cast<size_t>(count - remaining));
    position_ = size_;
    return false;
}

uint8_t SettingsStream::ReadU8()
{
    uint8_t b = 0;
    Read(&b, 1);
    return b;
}

uint16_t SettingsStream::ReadU16()
{
    uint8_t b[2];
    Read(b, 2);
    return static_cast<uint16_t>(LittleEndian(b, 2));
}

uint32_t SettingsStream::ReadU32()
{
    uint8_t b[4];
    Read(b, 4);
    return static_cast<uint32_t>(LittleEndian(b, 4));
}

uint64_t SettingsStream::ReadU64()
{
    uint8_t b[8];
    Read(b, 8);
    return LittleEndian(b, 8);
}

double SettingsStream::ReadDouble()
{
    static_assert(sizeof(double) == 8, "reals are stored as IEEE doubles");
    const int32_t at = position_;
    const bool outer = BeginValue();
    uint8_t b[8];
    ReadUntraced(b, 8);
    EndValue(outer, at, SettingsForm::Real, b, 8);
    const uint64_t bits = LittleEndian(b, 8);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool SettingsStream::ReadBytesOfLength(String &dest, int64_t length)
{
    if (length <= 0) {
        dest.Clear();
        return true;
    }
    const int32_t remaining = size_ - position_;
    const int32_t take = length <= remaining ? static_cast<int32_t>(length) : remaining;
    dest.Assign(reinterpret_cast<const char *>(bytes_ + position_), take);
    position_ += take;
    return take == length;
}

bool SettingsStream::TracedText(String &dest, SettingsForm form, bool (SettingsStream::*read)(String &))
{
    const int32_t at = position_;
    const bool outer = BeginValue();
    return EndText(outer, at, form, dest, (this->*read)(dest));
}

bool SettingsStream::ReadBytes(String &dest, int32_t count)
{
    const int32_t at = position_;
    const bool outer = BeginValue();
    return EndText(outer, at, SettingsForm::Raw, dest, ReadBytesOfLength(dest, count));
}

bool SettingsStream::ReadCountedText(String &dest)
{
    return TracedText(dest, SettingsForm::Counted, &SettingsStream::ReadCountedTextUntraced);
}

bool SettingsStream::ReadCountedTextUntraced(String &dest)
{
    uint8_t prefix[4] = {0, 0, 0, 0};
    bool ok = Read(prefix, 1);
    int64_t length = prefix[0];
    if (prefix[0] == kCountedTextLongPrefix) {
        ok = Read(prefix, 1) && ok;
        if (prefix[0] < kCountedTextLongPrefix) {
            const uint8_t low = prefix[0];
            ok = Read(prefix, 1) && ok;
            length = low + 256 * prefix[0];
        } else {
            ok = Read(prefix, 4) && ok;
            length = static_cast<int32_t>(LittleEndian(prefix, 4));
        }
    }
    if (length > kCountedTextMaxLength)
        return false;
    return ReadBytesOfLength(dest, length) && ok;
}

bool SettingsStream::ReadText1(String &dest) { return ReadLengthText(dest, SettingsForm::Text1, 1); }
bool SettingsStream::ReadText2(String &dest) { return ReadLengthText(dest, SettingsForm::Text2, 2); }
bool SettingsStream::ReadText4(String &dest) { return ReadLengthText(dest, SettingsForm::Text4, 4); }

// text1, text2, text4: an unsigned 1- or 2-byte length, or a signed 4-byte one whose negative
// values fail.
bool SettingsStream::ReadLengthText(String &dest, SettingsForm form, int lengthBytes)
{
    const int32_t at = position_;
    const bool outer = BeginValue();
    const int64_t length = lengthBytes == 1 ? int64_t(ReadU8()) : lengthBytes == 2 ? int64_t(ReadU16()) : int64_t(ReadI32());
    return EndText(outer, at, form, dest, length >= 0 && ReadBytesOfLength(dest, length));
}

// The zero-ended forms scan the record in place. The result is that of reading fixed pieces through
// the primitive read: a text that runs to the end holds what remains (a trailing odd byte of a wide
// text becomes a unit with a zero high byte, as the zero fill makes it) and the read fails.
bool SettingsStream::ReadZeroEnded(String &dest)
{
    return TracedText(dest, SettingsForm::ZeroEnded, &SettingsStream::ReadZeroEndedUntraced);
}

bool SettingsStream::ReadZeroEndedUntraced(String &dest)
{
    const uint8_t *start = bytes_ + position_;
    const int32_t remaining = size_ - position_;
    const void *zero = remaining > 0 ? std::memchr(start, 0, static_cast<size_t>(remaining)) : nullptr;
    const int32_t used =
        zero ? static_cast<int32_t>(static_cast<const uint8_t *>(zero) - start) : remaining;
    dest.Assign(reinterpret_cast<const char *>(start), used);
    position_ = zero ? position_ + used + 1 : size_;
    return zero != nullptr;
}

bool SettingsStream::ReadZeroEndedWide(String &dest)
{
    return TracedText(dest, SettingsForm::ZeroEndedWide, &SettingsStream::ReadZeroEndedWideUntraced);
}

bool SettingsStream::ReadZeroEndedWideUntraced(String &dest)
{
    const uint8_t *start = bytes_ + position_;
    const int32_t remaining = size_ - position_;
    int32_t used = 0;
    while (used + 1 < remaining && (start[used] | start[used + 1]) != 0)
        used += 2;
    const bool terminated = used + 1 < remaining;
    dest.Assign(reinterpret_cast<const char *>(start), used);
    if (!terminated && used < remaining && start[used] != 0) {
        dest.AppendByte(static_cast<char>(start[used]));
        dest.AppendByte(0);
    }
    position_ = terminated ? position_ + used + 2 : size_;
    return terminated;
}

// ---------------------------------------------------------------------------------------------
// Writing

void SettingsWriter::WriteBytes(const void *bytes, int32_t count)
{
    if (count > 0)
        record_.Append(static_cast<const char *>(bytes), count);
}

void SettingsWriter::WriteU8(uint8_t value) { WriteBytes(&value, 1); }

void SettingsWriter::WriteU16(uint16_t value)
{
    uint8_t b[2];
    PutLittleEndian(b, value, 2);
    WriteBytes(b, 2);
}

void SettingsWriter::WriteU32(uint32_t value)
{
    uint8_t b[4];
    PutLittleEndian(b, value, 4);
    WriteBytes(b, 4);
}

void SettingsWriter::WriteU64(uint64_t value)
{
    uint8_t b[8];
    PutLittleEndian(b, value, 8);
    WriteBytes(b, 8);
}

void SettingsWriter::WriteDouble(double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    WriteU64(bits);
}

// The three-byte prefix (255, c, d) cannot carry c = 255, which the reader takes for the six-byte
// form, so lengths whose low byte is 255 (255, 511, ...) and lengths from 65,536 on take the
// six-byte form (255, 255, int32).
void SettingsWriter::WriteCountedText(const String &text)
{
    const int32_t length = text.Length();
    if (length > kCountedTextMaxLength) {
        Fail();
        return;
    }
    if (length < kCountedTextLongPrefix) {
        WriteU8(static_cast<uint8_t>(length));
    } else if (length % 256 != 255 && length < 65536) {
        WriteU8(kCountedTextLongPrefix);
        WriteU8(static_cast<uint8_t>(length % 256));
        WriteU8(static_cast<uint8_t>(length / 256));
    } else {
        WriteU8(kCountedTextLongPrefix);
        WriteU8(kCountedTextLongPrefix);
        WriteI32(length);
    }
    WriteBytes(text.Bytes(), length);
}

void SettingsWriter::WriteText1(const String &text)
{
    if (text.Length() > 0xFF) {
        Fail();
        return;
    }
    WriteU8(static_cast<uint8_t>(text.Length()));
    WriteBytes(text.Bytes(), text.Length());
}

void SettingsWriter::WriteText2(const String &text)
{
    if (text.Length() > 0xFFFF) {
        Fail();
        return;
    }
    WriteU16(static_cast<uint16_t>(text.Length()));
    WriteBytes(text.Bytes(), text.Length());
}

void SettingsWriter::WriteText4(const String &text)
{
    WriteI32(text.Length());
    WriteBytes(text.Bytes(), text.Length());
}

void SettingsWriter::WriteZeroEnded(const String &text)
{
    if (std::memchr(text.Bytes(), 0, static_cast<size_t>(text.Length()))) {
        Fail();
        return;
    }
    WriteBytes(text.Bytes(), text.Length());
    WriteU8(0);
}

void SettingsWriter::WriteZeroEndedWide(const String &text)
{
    if (text.Length() % 2 != 0) {
        Fail();
        return;
    }
    const char16_t *units = text.Wide();
    for (int32_t i = 0; i < text.WideLength(); ++i) {
        if (units[i] == 0) {
            Fail();
            return;
        }
    }
    WriteBytes(text.Bytes(), text.Length());
    WriteU16(0);
}
