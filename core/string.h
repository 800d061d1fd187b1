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

#include <cstdarg>
#include <cstddef>
#include <cstdint>

// Compile-time checking of printf-style formats with the conversions of core/format.h (GNU
// spellings, also on mingw where plain "printf" means the older msvcrt set).
#if defined(__clang__)
#define KS_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#else
#define KS_PRINTF_FORMAT(f, a) __attribute__((format(gnu_printf, f, a)))
#endif

// The default trimming set of the program: blank, CR, LF and tab.
extern const char kTrimSet[];
extern const char16_t kTrimSetWide[];

// Flags of String::FindLineEnd.
enum LineEndFlags : unsigned {
    kLineEndAtTerminator = 1,   // the index of the terminator instead of the index after it
    kLineEndSkipQuoted = 2,     // terminators inside double-quoted stretches do not count
    kLineEndOrTextEnd = 4,      // the length when no terminator follows, instead of -1
};

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
    // Resize for sizes the caller can do without (a whole file read into memory): false, the string
    // unchanged, when the memory cannot be had, instead of the out-of-memory report.
    bool TryResize(int32_t length);
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

    // Lines: the text followed by CR LF.
    String &AppendLine(const char *text);
    String &AppendLine(const String &text);
    String &AppendLineWide(const char16_t *text);
    String &AppendLineWide(const String &wide);

    // Trimming: characters of `set` removed at the start, the end or both.
    String &TrimLeft(const char *set = kTrimSet);
    String &TrimRight(const char *set = kTrimSet);
    String &Trim(const char *set = kTrimSet);
    String &TrimLeftWide(const char16_t *set = kTrimSetWide);
    String &TrimRightWide(const char16_t *set = kTrimSetWide);
    String &TrimWide(const char16_t *set = kTrimSetWide);

    // One leading or trailing character removed when it is `c`; true when it was.
    bool StripLeading(char c);
    bool StripTrailing(char c);
    bool StripLeadingWide(char16_t c);
    bool StripTrailingWide(char16_t c);

    // Every occurrence of any character of `set` removed.
    String &RemoveChars(const char *set);
    String &RemoveCharsWide(const char16_t *set);

    // When the text at `at` (bytes; units for the wide form) starts with `quote`, returns the text
    // up to the matching closing quote, a doubled quote inside standing for one, and removes it
    // from this string with both quotes. A quote that is never closed runs to the end of the text.
    // Otherwise returns an empty string and changes nothing.
    String CutQuoted(int32_t at, char quote = '"');
    String CutQuotedWide(int32_t at, char16_t quote = u'"');

    // The index after the next CR, LF, CR LF or LF CR from `from`, or -1 when none follows; see
    // LineEndFlags. Bytes for the 8-bit form, units for the wide form.
    int32_t FindLineEnd(int32_t from, unsigned flags = 0) const;
    int32_t FindLineEndWide(int32_t from, unsigned flags = 0) const;

    // The integer at the first digit, sign or point of the text (0 when there is none, or when a
    // sign or point is not followed by digits); saturates at the limits of int64_t.
    int64_t ParseInteger() const;
    int64_t ParseIntegerWide() const;

    // Comparison. Exact: same length and bytes. Ignoring case: 8-bit text by ASCII letters, as the
    // C library's case-insensitive compare does in the C locale; wide text as the system's invariant
    // locale compares it (CompareStringW on Windows, the same case pairs by the library's own fold
    // on the host). Starts-with is exact.
    bool operator==(const String &other) const;
    bool operator!=(const String &other) const { return !(*this == other); }
    bool Equals(const char *text) const;
    bool EqualsIgnoreCase(const String &other) const;
    bool EqualsIgnoreCase(const char *text) const;
    bool EqualsIgnoreCaseWide(const String &other) const;
    bool EqualsIgnoreCaseWide(const char16_t *text) const;
    bool StartsWith(const String &prefix) const;
    bool StartsWith(const char *prefix) const;
    bool StartsWithWide(const char16_t *prefix) const;

    // Case change in place: 8-bit text to lower case (A to Z only); wide text to upper case
    // (core/text_case.h).
    String &ToLowerAscii();
    String &ToUpperWide();

    // printf-style formatting (core/format.h for the conversions): a new string, or appended.
    static String Format(const char *format, ...) KS_PRINTF_FORMAT(1, 2);
    static String FormatWide(const char16_t *format, ...);
    String &AppendFormat(const char *format, ...) KS_PRINTF_FORMAT(2, 3);
    String &AppendFormatWide(const char16_t *format, ...);
    String &AppendFormatV(const char *format, va_list args);
    String &AppendFormatWideV(const char16_t *format, va_list args);

    // The hash of the bytes (used by List for String keys): 0x79e2bc9d plus each whole 32-bit
    // little-endian word, then each remaining byte as a signed byte, then the length, wrapping.
    uint32_t Hash() const;

private:
    void Reallocate(int32_t capacity);

    char *data_ = nullptr;
    int32_t length_ = 0;
    int32_t capacity_ = 0;
};
