#include <gtest/gtest.h>

#include <vector>

#include "core/array.h"
#include "core/string.h"
#include "tests/unit/text_support.h"

namespace {

// Counts live instances, to see that removal destroys exactly what it removes.
struct Tracked {
    static int live;
    int value = 0;
    Tracked() { ++live; }
    Tracked(const Tracked &other) : value(other.value) { ++live; }
    ~Tracked() { --live; }
};
int Tracked::live = 0;

Array<int> Numbers(int n)
{
    Array<int> a;
    for (int i = 0; i < n; ++i)
        a.Add(i);
    return a;
}

std::vector<int> Contents(const Array<int> &a)
{
    std::vector<int> v;
    for (int x : a)
        v.push_back(x);
    return v;
}

} // namespace

TEST(Array, GrowthLeavesRoomAtTheFrontAndRecentresWhenTheEndIsReached)
{
    // After each Add: count, capacity, first used slot.
    struct Step {
        int count, capacity, first;
    };
    const Step steps[] = {
        {1, 1, 0},   // 1 + 0 slots
        {2, 3, 0},   // 2 + 1, first at 2/4
        {3, 3, 0},
        {4, 6, 1},   // 4 + 2, first at 1
        {5, 6, 1},
        {6, 6, 0},   // would run past the end: moved to (6 - 6) / 2
        {7, 10, 1},
        {10, 10, 0},
        {11, 16, 2},
    };
    Array<int> a;
    for (const Step &step : steps) {
        while (a.Count() < step.count)
            a.Add(a.Count());
        EXPECT_EQ(a.Capacity(), step.capacity) << "count " << step.count;
        EXPECT_EQ(a.FirstSlot(), step.first) << "count " << step.count;
    }
    std::vector<int> expected;
    for (int i = 0; i < 11; ++i)
        expected.push_back(i);
    EXPECT_EQ(Contents(a), expected);
}

TEST(Array, ElementAddressesSurviveGrowthAndRemoval)
{
    Array<String> a;
    String *first = &a.Add(String("first"));
    String *last = nullptr;
    for (int i = 0; i < 1000; ++i)
        last = &a.Add(String("x"));
    a.RemoveRange(1, 999);
    ASSERT_EQ(a.Count(), 2);
    EXPECT_EQ(&a[0], first);
    EXPECT_EQ(&a[1], last);
    EXPECT_EQ(a[0], String("first"));
}

TEST(Array, RemovingARangeMovesTheShorterSide)
{
    struct Case {
        int first, last;
        std::vector<int> remaining;
        int firstSlotMoves;   // by how much the first used slot grows
    };
    const Case cases[] = {
        {1, 2, {0, 3, 4, 5, 6, 7, 8, 9}, 2},   // front (1 element) is shorter
        {0, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9}, 1},
        {6, 8, {0, 1, 2, 3, 4, 5, 9}, 0},      // back (1 element) is shorter
        {8, 9, {0, 1, 2, 3, 4, 5, 6, 7}, 0},
        {-3, 1, {2, 3, 4, 5, 6, 7, 8, 9}, 2},  // clamped to the elements there are
        {8, 20, {0, 1, 2, 3, 4, 5, 6, 7}, 0},
        {5, 4, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 0},
    };
    for (const Case &c : cases) {
        Array<int> a = Numbers(10);
        const int before = a.FirstSlot();
        a.RemoveRange(c.first, c.last);
        EXPECT_EQ(Contents(a), c.remaining) << c.first << ".." << c.last;
        EXPECT_EQ(a.FirstSlot() - before, c.firstSlotMoves) << c.first << ".." << c.last;
    }
}

TEST(Array, LargeArrayShrinksWhenFarLessThanAQuarterIsUsed)
{
    Array<int> a = Numbers(4000);
    ASSERT_GE(a.Capacity(), 4000);
    a.Resize(900);
    EXPECT_EQ(a.Capacity(), 900 + 450);
    EXPECT_EQ(a.FirstSlot(), 225);
    EXPECT_EQ(a[899], 899);
    a.Resize(400);   // 500 and below never shrink
    EXPECT_EQ(a.Capacity(), 1350);
}

// A quarter of the capacity is a real number: 501 is below 2,005 / 4 = 501.25.
TEST(Array, ShrinkRuleComparesWithTheExactQuarter)
{
    struct Case {
        int32_t n;
        int32_t capacity;
    };
    const Case cases[] = {
        {501, 501 + 250},   // below 501.25: a new, smaller buffer
        {502, 2005},        // above it: kept
        {500, 2005},        // 500 and below never shrink
    };
    for (const Case &c : cases) {
        Array<int> a;
        a.Reserve(1337);
        ASSERT_EQ(a.Capacity(), 2005);
        a.Reserve(c.n);
        EXPECT_EQ(a.Capacity(), c.capacity) << c.n;
    }
}

TEST(Array, ResizeCreatesDefaultElementsAndDestroysSurplusOnes)
{
    {
        Array<Tracked> a;
        a.Resize(5);
        EXPECT_EQ(Tracked::live, 5);
        a[4].value = 7;
        a.Resize(3);
        EXPECT_EQ(Tracked::live, 3);
        a.Resize(6);
        EXPECT_EQ(a[4].value, 0);
        a.Remove(0);
        EXPECT_EQ(Tracked::live, 5);
        Array<Tracked> copy(a);
        EXPECT_EQ(Tracked::live, 10);
        a.Resize(0);
        EXPECT_EQ(a.Count(), 0);
        EXPECT_EQ(a.Capacity(), 0);
        EXPECT_EQ(Tracked::live, 5);
    }
    EXPECT_EQ(Tracked::live, 0);
}

TEST(Array, CopyIsDeepAndMoveHandsTheElementsOver)
{
    Array<String> a;
    a.Add(String("one"));
    Array<String> copy(a);
    copy[0].Append("!");
    EXPECT_EQ(a[0], String("one"));
    String *element = &a[0];
    Array<String> moved(static_cast<Array<String> &&>(a));
    EXPECT_EQ(a.Count(), 0);
    EXPECT_EQ(&moved[0], element);
}

TEST(Array, SortOrdersByTheComparisonAndKeepsEqualElementsInOrder)
{
    struct Pair {
        int key;
        char tag;
    };
    Array<Pair> a;
    for (Pair p : {Pair{3, 'a'}, Pair{1, 'b'}, Pair{3, 'c'}, Pair{2, 'd'}, Pair{1, 'e'}})
        a.Add(p);
    a.Sort([](const Pair *x, const Pair *y) { return x->key - y->key; });
    std::string tags;
    for (const Pair &p : a)
        tags += p.tag;
    EXPECT_EQ(tags, "bedac");
}

struct FileDeletion {};

TEST(ArrayDeathTest, ReadingOutsideTheElementsIsFatalWithTheBoundsMessage)
{
    Array<String> strings;
    for (int i = 0; i < 5; ++i)
        strings.Add();
    EXPECT_FATAL_MESSAGE(strings[5], "Vector<String>[5]\r\nmax_index = 4");
    EXPECT_FATAL_MESSAGE(strings.Get(-1), "Vector<String>[-1]\r\nmax_index = 4");
    Array<FileDeletion> empty;
    EXPECT_FATAL_MESSAGE(empty[0], "Vector<FileDeletion>[0]\r\nmax_index = -1");
}

TEST(ArrayTypeName, NameIsReadFromTheCompilerSignatureOrTakenAsItStands)
{
    const struct {
        const char *signature, *name;
    } cases[] = {
        {"static const char* ArrayTypeName<T>::Name() [with T = String]", "String"},
        {"static const char *ArrayTypeName<String>::Name() [T = String]", "String"},
        {"static const char* ArrayTypeName<T>::Name() [with T = Bucket<int, String>; x = y]", "Bucket<int, String>"},
        {"UninstallData", "UninstallData"},
    };
    for (const auto &c : cases) {
        char name[64];
        ArrayTypeNameFromSignature(c.signature, name, sizeof name);
        EXPECT_STREQ(name, c.name);
    }
}
