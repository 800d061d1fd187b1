// SetupCursor: the read position in setup data held in memory (the header and script block of the
// section, or one file record), with the readers the formats are written in:
//
//   ReadInt32       4 bytes, little-endian two's complement
//   ReadString8     8-bit text up to its zero byte (returned in place)
//   ReadStringW     UTF-16LE text up to its zero unit (copied: it may sit at an odd address)
//   ReadBytes(n)    n bytes copied into a String; Take(n) gives them in place
//   ReadDateRecord  24 bytes: a DateTime
//
// Every read is checked against the end of the range the cursor was made for: setup data is input
// from outside, and a read that would leave its range ends the run with the corruption code
// kCorruptionOutOfBounds instead of reading whatever follows in memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/string.h"
#include "core/date_time.h"

static_assert(sizeof(DateTime) == kDateTimeRecordSize, "a stored time stamp is six int32 values");

// A read or a stored length that leaves the setup data holding it: the section, the script block,
// the file data block, a data chunk or a file record.
constexpr int kCorruptionOutOfBounds = 91;

class SetupCursor {
public:
    SetupCursor() = default;
    SetupCursor(const uint8_t *begin, const uint8_t *end) : begin_(begin), at_(begin), end_(end) {}
    SetupCursor(const uint8_t *begin, size_t length) : SetupCursor(begin, begin + length) {}

    int32_t ReadInt32();
    uint32_t ReadUInt32() { return uint32_t(ReadInt32()); }
    const char *ReadString8(int32_t *length = nullptr);
    String ReadStringW();
    String ReadBytes(int32_t n);
    const uint8_t *Take(int32_t n);
    DateTime ReadDateRecord();
    void Skip(int32_t n) { Take(n); }

    const uint8_t *Begin() const { return begin_; }
    const uint8_t *Position() const { return at_; }
    const uint8_t *End() const { return end_; }
    size_t Offset() const { return size_t(at_ - begin_); }
    size_t Remaining() const { return size_t(end_ - at_); }

private:
    // The `n` bytes at the cursor, the cursor moved past them; corruption when fewer remain.
    const uint8_t *Claim(size_t n);

    const uint8_t *begin_ = nullptr;
    const uint8_t *at_ = nullptr;
    const uint8_t *end_ = nullptr;
};

// The little-endian stores of the writers that sit beside the readers.
void AppendInt32(String &out, int32_t value);
void AppendString8(String &out, const String &text);   // the text and its zero byte
void AppendStringW(String &out, const String &wide);   // UTF-16LE units and a zero unit
void AppendDateRecord(String &out, const DateTime &date);
int32_t LoadInt32(const uint8_t *p);
void StoreInt32(uint8_t *p, int32_t value);
