#include "core/math/nBIHNode.h"
#include "core/math/nMinMax.h"

#include <gtest/gtest.h>

TEST(BIHNodeTest, ANewNodeIsAnEmptyLeafAndSplitsIntoTwoEmptyLeaves)
{
    nBIHNode root;
    EXPECT_TRUE(root.IsLeaf());
    EXPECT_EQ(root.leaf.firstItem, nullptr);
    EXPECT_EQ(root.leaf.count, 0u);

    ASSERT_TRUE(root.MakeSplit(BIHNodeSplitY, 1.5f, 0.5f));
    EXPECT_EQ(root.kind, BIHNodeSplitY);
    EXPECT_EQ(root.split.leftClip, 1.5f);
    EXPECT_EQ(root.split.rightClip, 0.5f);
    for (int i = 0; i < 2; ++i)
    {
        EXPECT_TRUE(root.split.children[i].IsLeaf());
        EXPECT_EQ(root.split.children[i].leaf.count, 0u);
    }
    EXPECT_FALSE(root.MakeSplit(3, 0.0f, 0.0f));
    EXPECT_EQ(root.kind, BIHNodeSplitY);
}

// Children own their own children: a tree is freed from its root (the sanitizer build catches a
// leak), and a split node turned into a leaf frees the subtree it had.
TEST(BIHNodeTest, LeavesNameTheirItemsAndAreCounted)
{
    const uint32_t items[5] = {4, 3, 2, 1, 0};
    uint32_t leaves = 0;
    nBIHNode root;
    ASSERT_TRUE(root.MakeSplit(BIHNodeSplitX, 0.0f, 0.0f));
    ASSERT_TRUE(root.split.children[1].MakeSplit(BIHNodeSplitZ, 0.0f, 0.0f));
    root.split.children[0].MakeLeaf(items, 2, leaves);
    root.split.children[1].split.children[0].MakeLeaf(items + 2, 3, leaves);
    EXPECT_EQ(leaves, 2u);
    EXPECT_EQ(root.split.children[0].kind, BIHNodeLeaf);
    EXPECT_EQ(root.split.children[1].split.children[0].leaf.firstItem, items + 2);
    EXPECT_EQ(root.split.children[1].split.children[0].leaf.count, 3u);

    root.split.children[1].MakeLeaf(items + 2, 3, leaves);
    EXPECT_EQ(leaves, 3u);
    EXPECT_TRUE(root.split.children[1].IsLeaf());
}

TEST(BIHNodeTest, HalvingABoxKeepsOneSideOfTheMidpoint)
{
    const nMinMax box(nVector(-2.0f, 0.0f, 4.0f), nVector(2.0f, 10.0f, 6.0f));
    struct Case
    {
        uint8_t axis;
        bool keepUpper;
        nMinMax expected;
    };
    const Case cases[] = {
        {0, false, {nVector(-2.0f, 0.0f, 4.0f), nVector(0.0f, 10.0f, 6.0f)}},
        {0, true, {nVector(0.0f, 0.0f, 4.0f), nVector(2.0f, 10.0f, 6.0f)}},
        {1, false, {nVector(-2.0f, 0.0f, 4.0f), nVector(2.0f, 5.0f, 6.0f)}},
        {2, true, {nVector(-2.0f, 0.0f, 5.0f), nVector(2.0f, 10.0f, 6.0f)}},
    };
    for (const Case& c : cases)
    {
        nMinMax halved = box;
        BIHHalveBox(halved, c.axis, c.keepUpper);
        EXPECT_EQ(halved.min.x, c.expected.min.x);
        EXPECT_EQ(halved.min.y, c.expected.min.y);
        EXPECT_EQ(halved.min.z, c.expected.min.z);
        EXPECT_EQ(halved.max.x, c.expected.max.x);
        EXPECT_EQ(halved.max.y, c.expected.max.y);
        EXPECT_EQ(halved.max.z, c.expected.max.z);
    }
}
