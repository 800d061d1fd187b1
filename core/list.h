// List<Bucket<V, K>>: the hash list of key/value entries.
//
// An array of bucket chains plus one doubly linked list through all entries. Fields, in order: the
// operations table, entry count, the bucket count and chain heads, the head and tail of the entry
// list. New entries go to the front of their chain and to the head of the entry list, so iterating
// from First() visits the most recently inserted entry first.
//
// Sizing: a list made for n expected entries has trunc((n + 1) * 1.25) buckets; Clear(count) uses
// the given count directly. The bucket of a key is its hash, unsigned, modulo the bucket count.
// String keys hash with String::Hash and compare exactly.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <utility>

#include "core/memory.h"
#include "core/string.h"

// One entry: the key, its bucket chain, the entry-list links and the value (value type first in
// the template arguments, as the program names its lists).
template <typename V, typename K>
struct Bucket {
    K key{};
    Bucket *chain = nullptr;
    Bucket *previous = nullptr;
    Bucket *next = nullptr;
    V value{};
};

// How a key type hashes and compares. Integral keys hash to their value.
template <typename K>
struct ListKey {
    static uint32_t Hash(const K &key) { return static_cast<uint32_t>(key); }
    static bool Equal(const K &a, const K &b) { return a == b; }
};

template <>
struct ListKey<String> {
    static uint32_t Hash(const String &key) { return key.Hash(); }
    static bool Equal(const String &a, const String &b) { return a == b; }
};

// Bucket count for a list that expects n entries: trunc((n + 1) * 1.25).
int32_t ListBucketsFor(int32_t expected);

template <typename B>
class List;

template <typename V, typename K>
class List<Bucket<V, K>> {
public:
    using Entry = Bucket<V, K>;

    explicit List(int32_t expected = 0) { AllocateBuckets(ListBucketsFor(expected)); }
    List(const List &) = delete;
    List &operator=(const List &) = delete;
    List(List &&other) noexcept { TakeFrom(other); }
    List &operator=(List &&other) noexcept
    {
        if (this != &other) {
            FreeAll();
            TakeFrom(other);
        }
        return *this;
    }
    virtual ~List() { FreeAll(); }

    int32_t Count() const { return count_; }
    int32_t BucketCount() const { return bucketCount_; }

    // Removes every entry and starts over with `buckets` chains (at least one).
    void Clear(int32_t buckets)
    {
        FreeAll();
        AllocateBuckets(buckets);
    }

    Entry *Find(const K &key) const
    {
        for (Entry *e = heads_[Slot(key)]; e; e = e->chain)
            if (ListKey<K>::Equal(e->key, key))
                return e;
        return nullptr;
    }
    bool Contains(const K &key) const { return Find(key) != nullptr; }

    // The entry of `key`, inserted with a default value when missing.
    Entry *InsertOrFind(const K &key)
    {
        const uint32_t slot = Slot(key);
        for (Entry *e = heads_[slot]; e; e = e->chain)
            if (ListKey<K>::Equal(e->key, key))
                return e;
        Entry *e = new Entry();
        e->key = key;
        e->chain = heads_[slot];
        heads_[slot] = e;
        e->next = head_;
        if (head_)
            head_->previous = e;
        else
            tail_ = e;
        head_ = e;
        ++count_;
        return e;
    }
    Entry *Set(const K &key, const V &value)
    {
        Entry *e = InsertOrFind(key);
        e->value = value;
        return e;
    }

    // Removes the entry of `key`; false when there is none.
    bool Remove(const K &key)
    {
        Entry **link = &heads_[Slot(key)];
        while (*link && !ListKey<K>::Equal((*link)->key, key))
            link = &(*link)->chain;
        Entry *e = *link;
        if (!e)
            return false;
        *link = e->chain;
        (e->previous ? e->previous->next : head_) = e->next;
        (e->next ? e->next->previous : tail_) = e->previous;
        delete e;
        --count_;
        return true;
    }

    // Entry-list order: most recently inserted first.
    Entry *First() const { return head_; }
    Entry *Last() const { return tail_; }

    class Iterator {
    public:
        explicit Iterator(Entry *e) : e_(e) {}
        Entry &operator*() const { return *e_; }
        Entry *operator->() const { return e_; }
        Iterator &operator++()
        {
            e_ = e_->next;
            return *this;
        }
        bool operator!=(const Iterator &other) const { return e_ != other.e_; }

    private:
        Entry *e_;
    };
    Iterator begin() const { return Iterator(head_); }
    Iterator end() const { return Iterator(nullptr); }

private:
    uint32_t Slot(const K &key) const
    {
        return ListKey<K>::Hash(key) % static_cast<uint32_t>(bucketCount_);
    }
    void AllocateBuckets(int32_t buckets)
    {
        if (buckets < 1)
            buckets = 1;
        const size_t size = sizeof(Entry *) * static_cast<size_t>(buckets);
        heads_ = static_cast<Entry **>(ReallocateOrDie(nullptr, size));
        for (int32_t i = 0; i < buckets; ++i)
            heads_[i] = nullptr;
        bucketCount_ = buckets;
    }
    void FreeAll()
    {
        for (Entry *e = head_; e;) {
            Entry *next = e->next;
            delete e;
            e = next;
        }
        std::free(heads_);
        heads_ = nullptr;
        head_ = tail_ = nullptr;
        count_ = bucketCount_ = 0;
    }
    void TakeFrom(List &other)
    {
        count_ = other.count_;
        bucketCount_ = other.bucketCount_;
        heads_ = other.heads_;
        head_ = other.head_;
        tail_ = other.tail_;
        other.count_ = 0;
        other.heads_ = nullptr;
        other.head_ = other.tail_ = nullptr;
        other.AllocateBuckets(1);   // a moved-from list stays usable
    }

    int32_t count_ = 0;
    int32_t bucketCount_ = 0;
    Entry **heads_ = nullptr;
    Entry *head_ = nullptr;
    Entry *tail_ = nullptr;
};
