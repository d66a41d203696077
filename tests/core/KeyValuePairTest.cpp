#include "core/base/nKeyValuePair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

TEST(KeyValuePairTest, QuickSortOrdersKeysWithTheirValues)
{
    nKeyValuePair pairs[3] = {{3.0f, 30}, {1.0f, 10}, {2.0f, 20}};
    SortKeyValuePairs(pairs, 0, 2);
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(pairs[i].key, static_cast<float>(i + 1));
        EXPECT_EQ(pairs[i].value, static_cast<uintptr_t>((i + 1) * 10));
    }
}

TEST(KeyValuePairTest, QuickSortHandlesNegativeRepeatedAndPresortedKeys)
{
    std::vector<nKeyValuePair> pairs;
    for (int i = 0; i < 3000; ++i)
        pairs.push_back({static_cast<float>((i * 7919) % 101) - 50.0f, static_cast<uintptr_t>(i)});
    SortKeyValuePairs(pairs.data(), 0, static_cast<int>(pairs.size()) - 1);
    for (size_t i = 1; i < pairs.size(); ++i)
        ASSERT_LE(pairs[i - 1].key, pairs[i].key);
    SortKeyValuePairs(pairs.data(), 0, static_cast<int>(pairs.size()) - 1);
    for (size_t i = 1; i < pairs.size(); ++i)
        ASSERT_LE(pairs[i - 1].key, pairs[i].key);

    nKeyValuePair single = {1.0f, 1};
    SortKeyValuePairs(&single, 0, 0);
    SortKeyValuePairs(&single, 1, 0);
    EXPECT_EQ(single.value, 1u);
}

// Many equal keys (one depth for every item) took quadratic time: 100,000 of them would not end
// within any test run.
TEST(KeyValuePairTest, QuickSortOfManyEqualKeysKeepsEveryPair)
{
    std::vector<nKeyValuePair> pairs;
    for (uintptr_t i = 0; i < 100000; ++i)
        pairs.push_back({i % 7 == 0 ? 0.5f : i % 3 == 0 ? -1.0f : 2.0f, i});
    SortKeyValuePairs(pairs.data(), 0, int(pairs.size()) - 1);
    std::vector<bool> seen(pairs.size());
    for (size_t i = 0; i < pairs.size(); ++i)
    {
        if (i > 0)
        {
            ASSERT_LE(pairs[i - 1].key, pairs[i].key) << i;
        }
        const uintptr_t value = pairs[i].value;
        EXPECT_EQ(pairs[i].key, value % 7 == 0 ? 0.5f : value % 3 == 0 ? -1.0f : 2.0f);
        seen[value] = true;
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 100000);
}

TEST(KeyValuePairTest, BubbleSortCopiesTheSortedPairs)
{
    nKeyValuePair pairs[4] = {{5.0f, 5}, {0.5f, 1}, {2.0f, 2}, {0.0f, 0}};
    nKeyValuePair out[4];
    BubbleSortKeyValuePairs(4, pairs, out);
    const uintptr_t expected[] = {0, 1, 2, 5};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(out[i].value, expected[i]);

    nKeyValuePair one = {3.0f, 7};
    nKeyValuePair copy;
    BubbleSortKeyValuePairs(1, &one, &copy);
    EXPECT_EQ(copy.value, 7u);
}
