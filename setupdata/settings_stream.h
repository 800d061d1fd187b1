// The settings stream: a read-only memory stream over a decoded settings record, and the byte
// builder that writes the same forms for the packer. All integers are little-endian; all lengths
// are in bytes.
//
//   raw n             n bytes copied into a value of that size (8-byte reals are IEEE doubles)
//   counted text      prefix, then that many bytes. Prefix: b (b < 255: length b);
//                     255 c d (c < 255: length c + 256 d); 255 255 int32 (length).
//                     A length above 0x40000000 fails and keeps the destination; <= 0 is empty.
//   text1             uint8 length, bytes
//   text2             uint16 length, bytes
//   text4             int32 length, bytes; negative fails and keeps the destination
//   zero-ended 8-bit  bytes up to a zero byte, which is consumed
//   zero-ended wide   UTF-16LE units up to a zero unit, which is consumed
//
// A read past the end copies what remains, zero-fills the rest of a fixed-size value, leaves the
// position at the end and reports failure. The settings reader does not test the report: items past
// the end read as zero or empty, and the record's limits and end marker catch the damage.
#pragma once

#include <cstdint>

#include "core/string.h"

constexpr int32_t kCountedTextMaxLength = 0x40000000;
// One-byte prefixes stop below this value; 255 introduces the longer forms.
constexpr uint8_t kCountedTextLongPrefix = 255;

// The forms, as a traced stream reports them.
enum class SettingsForm { Raw, Real, Counted, Text1, Text2, Text4, ZeroEnded, ZeroEndedWide };

// Receives every value a traced stream reads, in order: where it starts in the record, its form and
// the bytes the reader got (for a raw value its little-endian bytes, for a real its 8 bytes, for a
// text the text without its length or terminator). The packer's dump prints them, so that what it
// shows is what the reader read, item by item, with no list of items of its own.
class SettingsReadTrace {
public:
    virtual ~SettingsReadTrace() = default;
    virtual void Value(int32_t offset, SettingsForm form, const uint8_t *bytes, int32_t length) = 0;
};

class SettingsStream {
public:
    // The stream reads `record` in place: the record must outlive the stream and stay unchanged.
    explicit SettingsStream(const String &record);
    SettingsStream(const uint8_t *bytes, int32_t size);

    // The primitive read: copies `count` bytes and advances; past the end, copies what remains,
    // zero-fills the rest of `dest`, moves to the end and returns false.
    bool Read(void *dest, int32_t count);

    uint8_t ReadU8();
    uint16_t ReadU16();
    uint32_t ReadU32();
    int32_t ReadI32() { return static_cast<int32_t>(ReadU32()); }
    uint64_t ReadU64();
    int64_t ReadI64() { return static_cast<int64_t>(ReadU64()); }
    double ReadDouble();

    // Text forms; each returns false when the text ran past the end or its length failed. A text
    // that runs past the end holds the bytes that remain (it is not padded to its announced
    // length: the record is corrupt anyway, and padding could ask for a gigabyte).
    bool ReadCountedText(String &dest);
    bool ReadText1(String &dest);
    bool ReadText2(String &dest);
    bool ReadText4(String &dest);
    bool ReadZeroEnded(String &dest);
    bool ReadZeroEndedWide(String &dest);
    // `count` raw bytes as a byte text (no prefix).
    bool ReadBytes(String &dest, int32_t count);

    int32_t Position() const { return position_; }
    int32_t Size() const { return size_; }
    bool AtEnd() const { return position_ >= size_; }

    // Reports each value read from here on to `trace` (null: none).
    void SetTrace(SettingsReadTrace *trace) { trace_ = trace; }

private:
    bool ReadBytesOfLength(String &dest, int64_t length);
    bool ReadUntraced(void *dest, int32_t count);
    bool ReadLengthText(String &dest, SettingsForm form, int lengthBytes);
    bool TracedText(String &dest, SettingsForm form, bool (SettingsStream::*read)(String &));
    bool ReadCountedTextUntraced(String &dest);
    bool ReadZeroEndedUntraced(String &dest);
    bool ReadZeroEndedWideUntraced(String &dest);
    // A read inside another (the prefix of a counted text, say) is not reported on its own.
    bool BeginValue() { return depth_++ == 0; }
    void EndValue(bool outer, int32_t offset, SettingsForm form, const void *bytes, int32_t length);
    bool EndText(bool outer, int32_t offset, SettingsForm form, const String &text, bool ok)
    {
        EndValue(outer, offset, form, text.Data(), text.Length());
        return ok;
    }

    SettingsReadTrace *trace_ = nullptr;
    int depth_ = 0;

    const uint8_t *bytes_;
    int32_t size_;
    int32_t position_ = 0;
};

// Writes the forms above into a growing byte String. A value that a form cannot carry (a text1
// longer than 255 bytes, a zero byte inside a zero-ended text, ...) is not written; the writer
// remembers the first such failure and the caller tests Ok().
class SettingsWriter {
public:
    void WriteBytes(const void *bytes, int32_t count);
    void WriteU8(uint8_t value);
    void WriteU16(uint16_t value);
    void WriteU32(uint32_t value);
    void WriteI32(int32_t value) { WriteU32(static_cast<uint32_t>(value)); }
    void WriteU64(uint64_t value);
    void WriteI64(int64_t value) { WriteU64(static_cast<uint64_t>(value)); }
    void WriteDouble(double value);

    void WriteCountedText(const String &text);
    void WriteText1(const String &text);
    void WriteText2(const String &text);
    void WriteText4(const String &text);
    void WriteZeroEnded(const String &text);
    void WriteZeroEndedWide(const String &text);

    bool Ok() const { return ok_; }
    void Fail() { ok_ = false; }
    const String &Record() const { return record_; }
    String TakeRecord() { return static_cast<String &&>(record_); }

private:
    String record_;
    bool ok_ = true;
};
