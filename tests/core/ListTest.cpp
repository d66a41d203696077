#include "core/base/nList.h"
#include "core/base/nMemory.h"
#include "core/base/nSharedObject.h"
#include "core/base/nSharedPtr.h"
#include "platform/nstring/nString.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
struct Tracked
{
    explicit Tracked(int& destroyed) : destroyed(destroyed) {}
    virtual ~Tracked() { ++destroyed; }
    int& destroyed;
};

struct SharedThing : nSharedObject
{
    explicit SharedThing(bool& destroyed) : destroyed(destroyed) {}
    ~SharedThing() override { destroyed = true; }
    bool& destroyed;
};

std::vector<int> Values(const nList<int>& list)
{
    std::vector<int> values;
    for (auto* node = list.GetHead(); node; node = node->next)
        values.push_back(node->value);
    return values;
}

// Walks back from the tail, checking the links agree in both directions.
std::vector<int> ValuesBackwards(const nList<int>& list)
{
    std::vector<int> values;
    for (auto* node = list.GetTail(); node; node = node->prev)
        values.insert(values.begin(), node->value);
    return values;
}
} // namespace

TEST(ListTest, PushInsertAndRemoveKeepLinksConsistent)
{
    nList<int> list;
    list.PushBack(1);
    auto* two = list.PushBack(2);
    list.PushBack(3);
    list.InsertAfter(9, list.GetTail());
    EXPECT_EQ(list.GetTail()->value, 9);
    list.InsertAfter(5, two);
    list.InsertAfter(7, nullptr);
    EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 5, 3, 9, 7}));
    EXPECT_EQ(ValuesBackwards(list), Values(list));
    EXPECT_EQ(list.GetCount(), 6u);

    list.PushBack(2);
    EXPECT_TRUE(list.Remove(2)); // the first occurrence only
    EXPECT_EQ(Values(list), (std::vector<int>{1, 5, 3, 9, 7, 2}));
    EXPECT_FALSE(list.Remove(42));
    EXPECT_EQ(list.GetCount(), 6u);
    EXPECT_EQ(list.GetNodeAt(2)->value, 3);
    EXPECT_EQ(list.GetNodeAt(6), nullptr);
    EXPECT_EQ(ValuesBackwards(list), Values(list));
}

TEST(ListTest, RemovingTheOnlyNodeEmptiesTheList)
{
    nList<int> list;
    auto* node = list.PushBack(4);
    EXPECT_TRUE(list.RemoveNode(node));
    EXPECT_EQ(list.GetHead(), nullptr);
    EXPECT_EQ(list.GetTail(), nullptr);
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_FALSE(list.RemoveNode(nullptr));
}

TEST(ListTest, DetachReturnsTheNodeUnlinked)
{
    nList<int> list;
    list.PushBack(1);
    auto* middle = list.PushBack(2);
    list.PushBack(3);
    auto* detached = list.Detach(middle);
    EXPECT_EQ(detached, middle);
    EXPECT_EQ(detached->prev, nullptr);
    EXPECT_EQ(detached->next, nullptr);
    EXPECT_EQ(Values(list), (std::vector<int>{1, 3}));
    EXPECT_EQ(list.Detach(nullptr), nullptr);
    list.InsertAfter(2, list.GetHead()); // the detached node is the caller's to free
    MemDelete(detached, MemCategoryListItem);
    EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 3}));
}

TEST(ListTest, NodesAreCountedAsListItems)
{
    nMemCounters before = MemGetCounters(MemCategoryListItem);
    {
        nList<nString> list;
        list.PushBack(nString("a"));
        list.PushBack(nString("b"));
        EXPECT_EQ(MemGetCounters(MemCategoryListItem).liveCount, before.liveCount + 2);
    }
    EXPECT_EQ(MemGetCounters(MemCategoryListItem).liveCount, before.liveCount);
    EXPECT_EQ(MemGetCounters(MemCategoryListItem).liveBytes, before.liveBytes);
}

TEST(ListTest, IteratorSurvivesRemovingTheCurrentNode)
{
    nList<int*> list;
    int values[4] = {0, 1, 2, 3};
    for (int& value : values)
        list.PushBack(&value);
    nListIterator<int*> iterator;
    std::vector<int> seen;
    while (int* value = list.Next(iterator))
    {
        seen.push_back(*value);
        if (*value % 2 == 0)
            list.RemoveNode(iterator.current);
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(list.GetCount(), 2u);

    nList<nString> names;
    names.PushBack(nString("x"));
    nListIterator<nString> nameIterator;
    nString* name = names.Next(nameIterator);
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(*name == "x");
    EXPECT_EQ(names.Next(nameIterator), nullptr);
}

// A walk whose steps append (an event that adds items, a layer added while layers are drawn) ends
// after the elements it began with, also when it removes the current one on its way.
TEST(ListTest, AWalkCoversTheElementsItBeganWith)
{
    nList<int> list;
    for (int value : {0, 1, 2})
        list.PushBack(value);
    nListWalk<int> walk = list.BeginWalk();
    std::vector<int> seen;
    while (int* value = list.Next(walk))
    {
        seen.push_back(*value);
        list.PushBack(*value + 10);
        if (*value == 1)
            list.RemoveNode(walk.iterator.current);
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(list.GetCount(), 5u);

    nList<int> empty;
    nListWalk<int> none = empty.BeginWalk();
    empty.PushBack(7);
    EXPECT_EQ(empty.Next(none), nullptr);
}

TEST(ListTest, PlainListNeverDeletesItsElements)
{
    int destroyed = 0;
    Tracked a(destroyed), b(destroyed);
    {
        nList<Tracked*> list;
        list.PushBack(&a);
        list.PushBack(&b);
        list.Remove(&a);
        list.Clear();
        list.PushBack(&b);
    }
    EXPECT_EQ(destroyed, 0);
}

TEST(ListTest, AutoListDeletesEachElementOnce)
{
    int destroyed = 0;
    {
        nAutoList<Tracked*> list;
        Tracked* first = new Tracked(destroyed);
        list.PushBack(first);
        list.PushBack(new Tracked(destroyed));
        list.PushBack(nullptr);
        list.PushBack(new Tracked(destroyed));
        EXPECT_TRUE(list.Remove(first));
        EXPECT_EQ(destroyed, 1);
        list.Clear();
        EXPECT_EQ(destroyed, 3);
        EXPECT_EQ(list.GetCount(), 0u);
        list.PushBack(new Tracked(destroyed));
    }
    EXPECT_EQ(destroyed, 4);
}

TEST(ListTest, ListOfSharedPointersHoldsOneReferencePerNode)
{
    bool destroyed = false;
    SharedThing* thing = new SharedThing(destroyed);
    nSharedPtr<SharedThing> keeper(thing);
    {
        nAutoList<nSharedPtr<SharedThing>> list;
        list.PushBack(keeper);
        list.PushBack(keeper);
        EXPECT_EQ(thing->GetRefCount(), 3u);
        list.Remove(keeper);
        EXPECT_EQ(thing->GetRefCount(), 2u);
    }
    EXPECT_FALSE(destroyed); // an auto list of shared pointers only drops its references
    EXPECT_EQ(thing->GetRefCount(), 1u);

    nList<nSharedPtr<SharedThing>> list;
    list.PushBack(keeper);
    keeper = nullptr;
    EXPECT_FALSE(destroyed);
    list.Clear();
    EXPECT_TRUE(destroyed);
}
