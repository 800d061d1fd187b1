// String: the program's dynamic text buffer.
//
// One type holds 8-bit text (length = bytes) and UTF-16 text (length = 2 x code units); which one a
// string holds is its user's convention. Layout: data pointer, length in bytes, capacity in bytes.
// A buffer always carries two zero bytes after the text, so both readings are terminated; a string
// without a buffer reads as the shared empty text, never as a null pointer.
//
// Growth (Resize to n > 0 bytes): nothing happens when n equals the length; the buffer is
// reallocated when capacity - 2 < n or when n is more than 1,024 bytes below the capacity, to
// n + 2 (n < 64), n + 40 (n < 16,384) or n + 1,024 bytes. Reserve allocates exactly size + 2.
#pragma once

#include <cstddef>
#include <cstdint>

class String {
public:
    String() = default;
    String(const char *text);                      // 8-bit, up to its zero byte
    String(const char *bytes, int32_t length);     // any bytes
    String(const char16_t *text);                  // wide, up to its zero unit
    String(const char16_t *text, int32_t units);
    String(const String &other);
    String(String &&other) noexcept;
    String &operator=(const String &other);
    String &operator=(String &&other) noexcept;
    virtual ~String();

    // Storage.
    void Resize(int32_t length);                   // bytes; n <= 0 frees the buffer
    void Reserve(int32_t capacity);                // room for `capacity` bytes, length unchanged
    void Clear() { Resize(0); }
    int32_t Length() const { return length_; }     // bytes
    int32_t WideLength() const { return length_ / 2; }
    int32_t Capacity() const { return capacity_; }
    bool Empty() const { return length_ == 0; }
    bool HasBuffer() const { return data_ != nullptr; }

    // Access: always a valid, terminated text.
    const char *Bytes() const;
    char *MutableBytes();                          // null when there is no buffer
    const char16_t *Wide() const;
    char16_t *MutableWide();
    const uint8_t *Data() const { return reinterpret_cast<const uint8_t *>(Bytes()); }

    // Assign and append, 8-bit and wide forms.
    String &Assign(const char *bytes, int32_t length);
    String &Assign(const char *text);
    String &AssignWide(const char16_t *text, int32_t units);
    String &AssignWide(const char16_t *text);
    String &Append(const char *bytes, int32_t length);
    String &Append(const char *text);
    String &Append(const String &other);
    String &AppendByte(char byte);
    String &AppendWide(const char16_t *text, int32_t units);
    String &AppendWide(const char16_t *text);
    String &AppendWideChar(char16_t unit);

    // Byte ranges.
    String &Insert(int32_t at, const char *bytes, int32_t length);
    String &Remove(int32_t at, int32_t length);
    String &ReplaceRange(int32_t at, int32_t length, const char *bytes, int32_t newLength);

    bool operator==(const String &other) const;    // exact: same length, same bytes
    bool operator!=(const String &other) const { return !(*this == other); }

    // The hash of the bytes (used by List for String keys): 0x79e2bc9d plus each whole 32-bit
    // little-endian word, then each remaining byte as a signed byte, then the length, wrapping.
    uint32_t Hash() const;

private:
    void Reallocate(int32_t capacity);

    char *data_ = nullptr;
    int32_t length_ = 0;
    int32_t capacity_ = 0;
};
