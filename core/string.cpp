#include "core/string.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/memory.h"

namespace {

const char kEmptyText[4] = {0, 0, 0, 0};

int32_t WideUnits(const char16_t *text)
{
    int32_t n = 0;
    if (text)
        while (text[n])
            ++n;
    return n;
}

// Capacity for a text of n bytes: slack by size so that appending in loops stays cheap.
int32_t CapacityFor(int32_t n)
{
    if (n < 64)
        return n + 2;
    if (n < 0x4000)
        return n + 40;
    return n + 1024;
}

} // namespace

String::String(const char *text) { Assign(text); }
String::String(const char *bytes, int32_t length) { Assign(bytes, length); }
String::String(const char16_t *text) { AssignWide(text); }
String::String(const char16_t *text, int32_t units) { AssignWide(text, units); }
String::String(const String &other) { Assign(other.Bytes(), other.length_); }

String::String(String &&other) noexcept
    : data_(other.data_), length_(other.length_), capacity_(other.capacity_)
{
    other.data_ = nullptr;
    other.length_ = other.capacity_ = 0;
}

String &String::operator=(const String &other)
{
    if (this != &other)
        Assign(other.Bytes(), other.length_);
    return *this;
}

String &String::operator=(String &&other) noexcept
{
    if (this != &other) {
        std::free(data_);
        data_ = other.data_;
        length_ = other.length_;
        capacity_ = other.capacity_;
        other.data_ = nullptr;
        other.length_ = other.capacity_ = 0;
    }
    return *this;
}

String::~String()
{
    std::free(data_);
    data_ = nullptr;
    length_ = capacity_ = 0;
}

void String::Reallocate(int32_t capacity)
{
    data_ = static_cast<char *>(ReallocateOrDie(data_, static_cast<size_t>(capacity)));
    capacity_ = capacity;
}

void String::Resize(int32_t n)
{
    if (n <= 0) {
        std::free(data_);
        data_ = nullptr;
        length_ = capacity_ = 0;
        return;
    }
    if (n == length_)
        return;
    if (capacity_ - 2 < n || n < capacity_ - 1024)
        Reallocate(CapacityFor(n));
    length_ = n;
    data_[n] = 0;
    data_[n + 1] = 0;
}

bool String::TryResize(int32_t n)
{
    if (n > 0 && (capacity_ - 2 < n || n < capacity_ - 1024)) {
        if (n > INT32_MAX - 1024)   // no room for the slack
            return false;
        const int32_t capacity = CapacityFor(n);
        void *block = std::realloc(data_, static_cast<size_t>(capacity));
        if (!block)
            return false;
        data_ = static_cast<char *>(block);
        capacity_ = capacity;
    }
    Resize(n);
    return true;
}

void String::Reserve(int32_t capacity)
{
    if (capacity <= 0 || capacity_ - 2 >= capacity)
        return;
    Reallocate(capacity + 2);
    data_[length_] = 0;
    data_[length_ + 1] = 0;
}

const char *String::Bytes() const { return data_ ? data_ : kEmptyText; }
char *String::MutableBytes() { return data_; }
const char16_t *String::Wide() const
{
    return reinterpret_cast<const char16_t *>(data_ ? data_ : kEmptyText);
}
char16_t *String::MutableWide() { return reinterpret_cast<char16_t *>(data_); }

String &String::Assign(const char *bytes, int32_t length)
{
    if (length <= 0) {
        Resize(0);
        return *this;
    }
    if (bytes >= data_ && data_ && bytes < data_ + capacity_) {
        String copy(bytes, length);   // the source lies inside this buffer
        return *this = static_cast<String &&>(copy);
    }
    Resize(length);
    std::memcpy(data_, bytes, static_cast<size_t>(length));
    return *this;
}

String &String::Assign(const char *text) { return Assign(text, text ? int32_t(std::strlen(text)) : 0); }

String &String::AssignWide(const char16_t *text, int32_t units)
{
    return Assign(reinterpret_cast<const char *>(text), units * 2);
}

String &String::AssignWide(const char16_t *text) { return AssignWide(text, WideUnits(text)); }

String &String::Append(const char *bytes, int32_t length)
{
    return Insert(length_, bytes, length);
}

String &String::Append(const char *text) { return Append(text, text ? int32_t(std::strlen(text)) : 0); }
String &String::Append(const String &other) { return Append(other.Bytes(), other.length_); }
String &String::AppendByte(char byte) { return Append(&byte, 1); }

String &String::AppendWide(const char16_t *text, int32_t units)
{
    return Append(reinterpret_cast<const char *>(text), units * 2);
}

String &String::AppendWide(const char16_t *text) { return AppendWide(text, WideUnits(text)); }
String &String::AppendWideChar(char16_t unit) { return AppendWide(&unit, 1); }

String &String::Insert(int32_t at, const char *bytes, int32_t length)
{
    return ReplaceRange(at, 0, bytes, length);
}

String &String::Remove(int32_t at, int32_t length) { return ReplaceRange(at, length, nullptr, 0); }

String &String::ReplaceRange(int32_t at, int32_t length, const char *bytes, int32_t newLength)
{
    if (at < 0)
        at = 0;
    if (at > length_)
        at = length_;
    if (length < 0 || length > length_ - at)
        length = length_ - at;
    if (newLength < 0 || !bytes)
        newLength = 0;
    if (length == 0 && newLength == 0)
        return *this;
    if (newLength > 0 && data_ && bytes >= data_ && bytes < data_ + capacity_) {
        String copy(bytes, newLength);   // the source lies inside this buffer
        return ReplaceRange(at, length, copy.Bytes(), newLength);
    }
    const int32_t tail = length_ - at - length;
    const int32_t newTotal = length_ - length + newLength;
    if (newLength < length) {
        std::memmove(data_ + at + newLength, data_ + at + length, static_cast<size_t>(tail));
        Resize(newTotal);
    } else {
        Resize(newTotal);
        if (data_) {
            std::memmove(data_ + at + newLength, data_ + at + length, static_cast<size_t>(tail));
        }
    }
    if (newLength > 0)
        std::memcpy(data_ + at, bytes, static_cast<size_t>(newLength));
    return *this;
}
