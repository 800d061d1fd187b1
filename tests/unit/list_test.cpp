#include <gtest/gtest.h>

#include <string>

#include "core/list.h"
#include "core/string.h"
#include "tests/unit/text_support.h"

namespace {

using FolderSet = List<Bucket<bool, String>>;
using TextMap = List<Bucket<String, String>>;

// Keys in entry-list order, joined by blanks.
template <typename L>
std::string Keys(const L &list)
{
    std::string keys;
    for (const auto &entry : list) {
        if (!keys.empty())
            keys += ' ';
        keys += entry.key.Bytes();
    }
    return keys;
}

// Keys from the tail backwards: the previous links must mirror the next links.
template <typename L>
std::string KeysBackwards(const L &list)
{
    std::string keys;
    for (auto *e = list.Last(); e; e = e->previous) {
        if (!keys.empty())
            keys += ' ';
        keys += e->key.Bytes();
    }
    return keys;
}

} // namespace

TEST(List, BucketCountIsExpectedEntriesPlusOneTimesOneAndAQuarter)
{
    const struct {
        int expected, buckets;
    } cases[] = {{0, 1}, {1, 2}, {3, 5}, {6, 8}, {7, 10}, {40, 51}, {-5, 1}};
    for (const auto &c : cases) {
        FolderSet set(c.expected);
        EXPECT_EQ(set.BucketCount(), c.buckets) << c.expected;
    }
    FolderSet set(7);
    set.InsertOrFind(String("a"));
    set.Clear(40);
    EXPECT_EQ(set.BucketCount(), 40);
    EXPECT_EQ(set.Count(), 0);
    EXPECT_EQ(set.First(), nullptr);
}

TEST(List, IteratesMostRecentlyInsertedFirst)
{
    TextMap map(7);
    map.Set(String("one"), String("1"));
    map.Set(String("two"), String("2"));
    map.Set(String("three"), String("3"));
    auto *again = map.Set(String("one"), String("uno"));   // known key: value changes, order stays
    EXPECT_EQ(Keys(map), "three two one");
    EXPECT_EQ(KeysBackwards(map), "one two three");
    EXPECT_EQ(map.Count(), 3);
    EXPECT_EQ(again, map.Find(String("one")));
    EXPECT_EQ(again->value, String("uno"));
}

TEST(List, StringKeysCompareExactly)
{
    FolderSet set(7);
    set.InsertOrFind(String("C:\\App"))->value = true;
    EXPECT_TRUE(set.Contains(String("C:\\App")));
    EXPECT_FALSE(set.Contains(String("c:\\app")));
    EXPECT_FALSE(set.Contains(String("C:\\App\\")));
    EXPECT_FALSE(set.Contains(String()));
    // Wide keys are bytes like any other: "ab" in UTF-16 is not the 8-bit "a\0b\0" prefix "ab".
    set.InsertOrFind(String(u"ab"));
    EXPECT_TRUE(set.Contains(String("a\0b\0", 4)));
    EXPECT_FALSE(set.Contains(String("ab")));
}

TEST(List, EveryEntryStaysReachableWhenChainsShareABucket)
{
    FolderSet set;
    set.Clear(1);   // one chain holds everything
    const char *keys[] = {"a", "b", "c", "d", "e"};
    for (const char *k : keys)
        set.InsertOrFind(String(k));
    for (const char *k : keys)
        EXPECT_TRUE(set.Contains(String(k))) << k;

    const struct {
        const char *remove, *left;
    } steps[] = {{"c", "e d b a"}, {"e", "d b a"}, {"a", "d b"}, {"x", "d b"}, {"d", "b"}, {"b", ""}};
    for (const auto &step : steps) {
        EXPECT_EQ(set.Remove(String(step.remove)), std::string(step.remove) != "x");
        EXPECT_EQ(Keys(set), step.left) << "after removing " << step.remove;
        EXPECT_EQ(KeysBackwards(set).size(), std::string(step.left).size());
        EXPECT_FALSE(set.Contains(String(step.remove)));
    }
    EXPECT_EQ(set.Count(), 0);
}

TEST(List, IntegerKeysHashToTheirValue)
{
    List<Bucket<String, int>> map(3);
    ASSERT_EQ(map.BucketCount(), 5);
    for (int i = 0; i < 20; ++i)
        map.Set(i, String(std::to_string(i * i).c_str()));
    EXPECT_EQ(map.Count(), 20);
    EXPECT_EQ(map.Find(7)->value, String("49"));
    EXPECT_EQ(map.Find(20), nullptr);
}
