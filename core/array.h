// Array<T>: the growable array of separately allocated elements.
//
// Fields, in order: the operations table, count, index of the first used slot, capacity in slots,
// the slot buffer. Each slot points to an element of its own, so element addresses stay valid while
// other elements come and go, and growing or removing moves only pointers. Used slots are
// first .. first + count - 1.
//
// Growth (Reserve(n)): when the capacity is below n, or n is above 500 and below a quarter of the
// capacity, a new buffer of n + n/2 slots is made with the first used pointer at slot n/4, leaving
// room at the front; otherwise, when the used range would run past the end, the pointers move so
// that the first lands at (capacity - n) / 2. Removing a range closes the gap by moving whichever
// side is shorter.
//
// Reading an index outside 0 .. count - 1 is fatal: "Vector<name>[i]\r\nmax_index = count - 1",
// with the element type's readable name from ArrayTypeName.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "core/memory.h"

// The readable name of an element type for the bounds message. By default it is read from the
// compiler's signature of Name() (GCC: "... [with T = String]", clang: "... [T = String]"), so that
// every element type has its name without RTTI; a specialisation may give another.
template <typename T>
struct ArrayTypeName {
    static const char *Name() { return __PRETTY_FUNCTION__; }
};

// The type name inside a compiler signature as above, copied into `out` (size bytes, at least 1).
void ArrayTypeNameFromSignature(const char *signature, char *out, int size);

// Ends the program through the fatal-error path with the bounds message.
[[noreturn]] void ArrayIndexFailure(const char *signature, int32_t index, int32_t count);

// Allocates, moves and frees slot buffers (the non-template part of Array).
void **ArrayNewSlots(int32_t capacity);
void ArrayFreeSlots(void **slots);

template <typename T>
class Array {
public:
    Array() = default;
    Array(const Array &other) { CopyFrom(other); }
    Array(Array &&other) noexcept { TakeFrom(other); }
    Array &operator=(const Array &other)
    {
        if (this != &other) {
            RemoveAll();
            CopyFrom(other);
        }
        return *this;
    }
    Array &operator=(Array &&other) noexcept
    {
        if (this != &other) {
            RemoveAll();
            TakeFrom(other);
        }
        return *this;
    }
    virtual ~Array() { RemoveAll(); }

    int32_t Count() const { return count_; }
    bool Empty() const { return count_ == 0; }
    int32_t Capacity() const { return capacity_; }
    int32_t FirstSlot() const { return first_; }

    // A new default element at the end (or a copy of `value`), returned.
    T &Add()
    {
        Reserve(count_ + 1);
        T *element = new T();
        slots_[first_ + count_++] = element;
        return *element;
    }
    T &Add(const T &value)
    {
        Reserve(count_ + 1);
        T *element = new T(value);
        slots_[first_ + count_++] = element;
        return *element;
    }
    T &Add(T &&value)
    {
        Reserve(count_ + 1);
        T *element = new T(std::move(value));
        slots_[first_ + count_++] = element;
        return *element;
    }

    T &Get(int32_t i)
    {
        if (i < 0 || i >= count_)
            ArrayIndexFailure(ArrayTypeName<T>::Name(), i, count_);
        return *static_cast<T *>(slots_[first_ + i]);
    }
    const T &Get(int32_t i) const { return const_cast<Array *>(this)->Get(i); }
    T &operator[](int32_t i) { return Get(i); }
    const T &operator[](int32_t i) const { return Get(i); }
    T &Last() { return Get(count_ - 1); }

    // New elements are default-constructed; surplus ones are destroyed.
    void Resize(int32_t n)
    {
        if (n <= 0) {
            RemoveAll();
            return;
        }
        if (n < count_) {
            RemoveRange(n, count_ - 1);
            return;
        }
        Reserve(n);
        while (count_ < n)
            slots_[first_ + count_++] = new T();
    }

    // Destroys the elements first .. last (inclusive; clamped to the elements there are).
    void RemoveRange(int32_t first, int32_t last)
    {
        if (first < 0)
            first = 0;
        if (last >= count_)
            last = count_ - 1;
        if (first > last)
            return;
        const int32_t removed = last - first + 1;
        void **base = slots_ + first_;
        for (int32_t i = first; i <= last; ++i)
            delete static_cast<T *>(base[i]);
        const int32_t before = first;
        const int32_t after = count_ - 1 - last;
        if (before < after) {
            std::memmove(base + removed, base, sizeof(void *) * static_cast<size_t>(before));
            first_ += removed;
        } else {
            std::memmove(base + first, base + last + 1, sizeof(void *) * static_cast<size_t>(after));
        }
        count_ -= removed;
        if (count_ == 0)
            first_ = 0;
        Reserve(count_);
    }
    void Remove(int32_t i) { RemoveRange(i, i); }

    void RemoveAll()
    {
        for (int32_t i = 0; i < count_; ++i)
            delete static_cast<T *>(slots_[first_ + i]);
        ArrayFreeSlots(slots_);
        slots_ = nullptr;
        count_ = first_ = capacity_ = 0;
    }

    // Sorts with a comparison of element pointers (negative, zero, positive as for qsort); equal
    // elements keep their order.
    void Sort(int (*compare)(const T *a, const T *b))
    {
        void **base = slots_ + first_;
        std::stable_sort(base, base + count_, [compare](void *a, void *b) {
            return compare(static_cast<const T *>(a), static_cast<const T *>(b)) < 0;
        });
    }

    // Makes room for n elements without changing the count (see the growth rule above).
    void Reserve(int32_t n)
    {
        if (n <= 0)
            return;
        // "Below a quarter" as a real number: 501 is below 2,005 / 4 though not below 2,005 / 4
        // rounded down.
        if (capacity_ < n || (n > 500 && int64_t(n) * 4 < int64_t(capacity_))) {
            const int32_t capacity = n + n / 2;
            const int32_t first = n / 4;
            void **slots = ArrayNewSlots(capacity);
            if (count_ > 0)
                std::memcpy(slots + first, slots_ + first_, sizeof(void *) * static_cast<size_t>(count_));
            ArrayFreeSlots(slots_);
            slots_ = slots;
            capacity_ = capacity;
            first_ = first;
        } else if (first_ + n > capacity_) {
            const int32_t first = (capacity_ - n) / 2;
            std::memmove(slots_ + first, slots_ + first_, sizeof(void *) * static_cast<size_t>(count_));
            first_ = first;
        }
    }

    // Range-for over the elements.
    class Iterator {
    public:
        explicit Iterator(void **slot) : slot_(slot) {}
        T &operator*() const { return *static_cast<T *>(*slot_); }
        T *operator->() const { return static_cast<T *>(*slot_); }
        Iterator &operator++()
        {
            ++slot_;
            return *this;
        }
        bool operator!=(const Iterator &other) const { return slot_ != other.slot_; }

    private:
        void **slot_;
    };
    Iterator begin() const { return Iterator(slots_ + first_); }
    Iterator end() const { return Iterator(slots_ + first_ + count_); }

private:
    void CopyFrom(const Array &other)
    {
        Reserve(other.count_);
        for (int32_t i = 0; i < other.count_; ++i)
            slots_[first_ + count_++] = new T(*static_cast<const T *>(other.slots_[other.first_ + i]));
    }
    void TakeFrom(Array &other)
    {
        count_ = other.count_;
        first_ = other.first_;
        capacity_ = other.capacity_;
        slots_ = other.slots_;
        other.count_ = other.first_ = other.capacity_ = 0;
        other.slots_ = nullptr;
    }

    int32_t count_ = 0;
    int32_t first_ = 0;
    int32_t capacity_ = 0;
    void **slots_ = nullptr;
};
