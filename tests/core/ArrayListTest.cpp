#include "core/base/nArrayList.h"

#include "NmlLogCapture.h"

#include <gtest/gtest.h>

namespace
{
struct CountedEntry : nArrayEntry
{
    explicit CountedEntry(int id, int* destroyed = nullptr) : id(id), destroyed(destroyed) {}
    ~CountedEntry() override
    {
        if (destroyed)
            ++*destroyed;
    }
    int id;
    int* destroyed;
};

int IdAt(const nArrayList& list, int index)
{
    return static_cast<CountedEntry*>(list.GetAt(index))->id;
}
} // namespace

TEST(ArrayListTest, InsertAndRemoveKeepListOrder)
{
    nArrayList list(2);
    list.PushBack(new CountedEntry(1), true);
    list.PushBack(new CountedEntry(3), true);
    ASSERT_TRUE(list.Insert(new CountedEntry(2), 1, true)); // grows past the capacity
    list.Insert(new CountedEntry(0), 0, true);
    ASSERT_EQ(list.GetCount(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(IdAt(list, i), i);

    nArrayEntry* second = list.GetAt(1);
    ASSERT_TRUE(list.Remove(second));
    delete second;
    EXPECT_EQ(IdAt(list, 0), 0);
    EXPECT_EQ(IdAt(list, 1), 2);
    EXPECT_EQ(IdAt(list, 2), 3);
    // The freed slot is reused.
    list.PushBack(new CountedEntry(4), false);
    EXPECT_EQ(IdAt(list, 3), 4);
    CountedEntry stranger(9);
    EXPECT_FALSE(list.Remove(&stranger));
}

TEST(ArrayListTest, FullListWithoutGrowthRefuses)
{
    nArrayList list(1);
    list.PushBack(new CountedEntry(1), false);
    CountedEntry extra(2);
    EXPECT_FALSE(list.PushBack(&extra, false));
    EXPECT_FALSE(list.Insert(&extra, 0, false));
    EXPECT_EQ(list.GetCount(), 1u);
}

TEST(ArrayListTest, OutOfBoundAccessLogsAndYieldsNull)
{
    NmlLogCapture log;
    nArrayList list(4);
    list.PushBack(new CountedEntry(1), true);
    EXPECT_EQ(list.GetAt(1), nullptr);
    EXPECT_EQ(list.GetAt(-1), nullptr);
    EXPECT_EQ(log.text, "[*] Out of bound array access.\n[*] Out of bound array access.\n");
    CountedEntry extra(2);
    EXPECT_FALSE(list.Insert(&extra, 5, true));
}

TEST(ArrayListTest, ReserveRepacksAndRefusesToShrinkBelowTheCount)
{
    NmlLogCapture log;
    nArrayList list(8);
    for (int i = 0; i < 5; ++i)
        list.PushBack(new CountedEntry(i), true);
    delete list.GetAt(0);
    list.RemoveAt(0);
    EXPECT_FALSE(list.Reserve(8));
    EXPECT_FALSE(list.Reserve(3));
    EXPECT_EQ(log.text, "[!] Cannot shrink array, too many entries.\n");
    ASSERT_TRUE(list.Reserve(4));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(IdAt(list, i), i + 1);
}

TEST(ArrayListTest, ClearedListGrowsAgain)
{
    int destroyed = 0;
    nArrayList list(4);
    list.PushBack(new CountedEntry(1, &destroyed), true);
    list.Clear(true);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(list.GetCapacity(), 0u);
    ASSERT_TRUE(list.Insert(new CountedEntry(2, &destroyed), 0, true));
    ASSERT_TRUE(list.PushBack(new CountedEntry(3, &destroyed), true));
    EXPECT_EQ(IdAt(list, 1), 3);
}

TEST(ArrayListTest, RemoveAndShrinkDeletesOnlyItsOwnEntries)
{
    int destroyed = 0;
    nArrayList list(256);
    CountedEntry* first = new CountedEntry(1, &destroyed);
    list.PushBack(first, true);
    list.PushBack(new CountedEntry(2, &destroyed), true);
    ASSERT_TRUE(list.RemoveAndShrink(first, true));
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(list.GetCapacity(), 128u);
    CountedEntry stranger(3, &destroyed);
    EXPECT_FALSE(list.RemoveAndShrink(&stranger, true));
    EXPECT_EQ(destroyed, 1);
}

TEST(ArrayListTest, DestructorDeletesEntries)
{
    int destroyed = 0;
    {
        nArrayList list(2);
        for (int i = 0; i < 5; ++i)
            list.PushBack(new CountedEntry(i, &destroyed), true);
    }
    EXPECT_EQ(destroyed, 5);
}
