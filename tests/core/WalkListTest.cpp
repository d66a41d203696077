#include "core/base/nWalkList.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

namespace
{
// Enough elements that removing most of them passes the point where the array closes up.
constexpr int kElements = 100;

struct Fixture
{
    Fixture()
    {
        for (int index = 0; index < kElements; ++index)
            list.PushBack(&values[index]);
    }

    int IndexOf(const int* value) const { return static_cast<int>(value - values.data()); }

    // The indices a walk reaches, calling step with each one it reaches.
    std::vector<int> Walk(const std::function<void(int)>& step = {})
    {
        std::vector<int> reached;
        nWalkList<int*>::Walk walk(list);
        while (int* value = walk.Next())
        {
            reached.push_back(IndexOf(value));
            if (step)
                step(reached.back());
        }
        return reached;
    }

    std::vector<int> Range(int from, int to) const
    {
        std::vector<int> indices;
        for (int index = from; index < to; ++index)
            indices.push_back(index);
        return indices;
    }

    std::array<int, kElements + 10> values{};
    nWalkList<int*> list;
};
} // namespace

TEST(WalkListTest, AWalkEndsAfterTheElementsItBeganWith)
{
    Fixture fixture;
    fixture.list.Remove(&fixture.values[kElements + 1]); // not in the list: nothing happens
    const std::vector<int> reached = fixture.Walk(
        [&](int index)
        {
            if (index < 5)
                fixture.list.PushBack(&fixture.values[kElements + index]);
        });
    EXPECT_EQ(reached, fixture.Range(0, kElements));
    EXPECT_EQ(fixture.list.GetCount(), static_cast<uint32_t>(kElements + 5));
    EXPECT_EQ(fixture.list.GetLast(), &fixture.values[kElements + 4]);
}

// The current element, one behind it and one ahead of it leave; most of the list leaves from an
// inner walk, which must not move the places the outer walk counts on.
TEST(WalkListTest, ElementsLeavingDuringWalksAreSkippedAndTheRestKeepTheirOrder)
{
    Fixture fixture;
    const std::vector<int> reached = fixture.Walk(
        [&](int index)
        {
            if (index == 10)
            {
                fixture.list.Remove(&fixture.values[10]);
                fixture.list.Remove(&fixture.values[3]);
                fixture.list.Remove(&fixture.values[11]);
            }
            if (index == 20)
                for (int inner = 30; inner < kElements; ++inner)
                    if (inner != 95)
                        fixture.list.Remove(&fixture.values[inner]);
        });
    std::vector<int> expected = fixture.Range(0, 30);
    expected.erase(expected.begin() + 11);
    expected.push_back(95);
    EXPECT_EQ(reached, expected);

    expected = fixture.Range(0, 30);
    for (const int gone : {11, 10, 3})
        expected.erase(expected.begin() + gone);
    expected.push_back(95);
    EXPECT_EQ(fixture.Walk(), expected);
    EXPECT_EQ(fixture.list.GetCount(), expected.size());
    EXPECT_FALSE(fixture.list.Contains(&fixture.values[50]));
    EXPECT_TRUE(fixture.list.Contains(&fixture.values[95]));
}

TEST(WalkListTest, ANestedWalkSeesWhatTheOuterOneLeftAndClearingEndsBoth)
{
    Fixture fixture;
    std::vector<int> inner;
    const std::vector<int> outer = fixture.Walk(
        [&](int index)
        {
            if (index != 1)
                return;
            fixture.list.Remove(&fixture.values[0]);
            nWalkList<int*>::Walk walk(fixture.list);
            while (int* value = walk.Next())
            {
                inner.push_back(fixture.IndexOf(value));
                if (inner.size() == 3)
                    fixture.list.Clear();
            }
        });
    EXPECT_EQ(outer, (std::vector<int>{0, 1}));
    EXPECT_EQ(inner, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(fixture.list.IsEmpty());
    EXPECT_EQ(fixture.list.GetFirst(), nullptr);
    EXPECT_EQ(fixture.list.GetLast(), nullptr);
    fixture.list.PushBack(&fixture.values[7]);
    EXPECT_EQ(fixture.Walk(), (std::vector<int>{7}));
}

// How a scene empties itself: the first element is taken out again and again, also while a walk
// runs, and each time the next one is first.
TEST(WalkListTest, TakingTheFirstOutOneAfterAnotherEmptiesTheList)
{
    Fixture fixture;
    nWalkList<int*>::Walk running(fixture.list);
    int taken = 0;
    while (int* first = fixture.list.GetFirst())
    {
        EXPECT_EQ(fixture.IndexOf(first), taken);
        EXPECT_TRUE(fixture.list.Remove(first));
        ++taken;
    }
    EXPECT_EQ(taken, kElements);
    EXPECT_EQ(running.Next(), nullptr);
}
