#include "core/math/nMinMax.h"
#include "engine/items/nItem.h"
#include "support/CapturedLog.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
void ExpectNear(const nVector& actual, float x, float y, float z)
{
    EXPECT_NEAR(actual.x, x, 1e-4f);
    EXPECT_NEAR(actual.y, y, 1e-4f);
    EXPECT_NEAR(actual.z, z, 1e-4f);
}
} // namespace

TEST(Item, ParentingToItselfLogsAndKeepsTheParent)
{
    CapturedLog log;
    nItem parent(nullptr), item(nullptr);
    item.SetParent(&parent);
    item.SetParent(&item);
    EXPECT_EQ(item.GetParent(), &parent);
    EXPECT_NE(log.text.find("[!] Cannot parent item to itself.\n"), std::string::npos);
}

TEST(Item, ParentingUnderOwnChildMovesTheChildToTheOldParent)
{
    CapturedLog log;
    nItem root(nullptr), a(nullptr), b(nullptr);
    a.SetParent(&root);
    b.SetParent(&a);
    a.SetParent(&b);
    EXPECT_EQ(b.GetParent(), &root);
    EXPECT_EQ(a.GetParent(), &b);
    EXPECT_FALSE(b.HasAncestor(&a));
    EXPECT_NE(log.text.find("[*] Deadlock detected, link chain has been corrected.\n"), std::string::npos);
}

TEST(Item, ParentingTwiceKeepsOneChildEntry)
{
    nItem parent(nullptr), child(nullptr);
    child.SetParent(&parent);
    child.SetParent(&parent);
    EXPECT_EQ(parent.GetChildren().GetCount(), 1u);
    child.SetParent(nullptr);
    EXPECT_EQ(parent.GetChildren().GetCount(), 0u);
}

TEST(Item, ChildFollowsParentAndDestroyedParentReleasesIt)
{
    nItem child(nullptr);
    {
        nItem parent(nullptr);
        parent.SetPosition(nVector(1, 0, 0));
        child.SetPosition(nVector(0, 2, 0));
        child.SetParent(&parent);
        ExpectNear(child.GetWorldPosition(), 1, 2, 0);
        parent.SetPosition(nVector(5, 0, 0));
        ExpectNear(child.GetWorldPosition(), 5, 2, 0);
    }
    EXPECT_EQ(child.GetParent(), nullptr);
    ExpectNear(child.GetWorldPosition(), 0, 2, 0);
}

TEST(Item, SetMatrixSplitsPositionAndScale)
{
    nItem item(nullptr);
    item.SetMatrix(nMatrix4::FromTranslation(1, 2, 3) * nMatrix4::FromScale(2, 2, 2));
    ExpectNear(item.GetPosition(), 1, 2, 3);
    ExpectNear(item.GetScale(), 2, 2, 2);
    ExpectNear(item.GetWorldPosition(), 1, 2, 3);
}

TEST(Item, SetMatrixRemovesThePivotFromTheComponents)
{
    nItem item(nullptr);
    item.SetPivot(nMatrix4::FromTranslation(0, 0, 7));
    const nMatrix4 world = nMatrix4::FromTranslation(1, 2, 3) * nMatrix4::FromMatrix3(nMatrix3::RotationY(0.5f));
    item.SetMatrix(world);
    item.Invalidate(false);
    EXPECT_FALSE(item.GetWorldMatrix().DiffersFrom(world));
    ExpectNear(item.GetRotation(), 0, 0.5f, 0);
}

TEST(Item, SetMatrixUnderAParentStoresTheLocalPart)
{
    nItem parent(nullptr), child(nullptr);
    parent.SetPosition(nVector(10, 0, 0));
    child.SetParent(&parent);
    child.SetMatrix(nMatrix4::FromTranslation(11, 1, 0));
    ExpectNear(child.GetPosition(), 1, 1, 0);
    ExpectNear(child.GetWorldPosition(), 11, 1, 0);
}

TEST(Item, RotationOrderChangeKeepsTheAngles)
{
    nItem item(nullptr);
    item.SetRotation(nVector(0.3f, 0.6f, 0.9f));
    const nMatrix4 before = item.GetWorldMatrix();
    item.SetRotationOrder(RotationOrderZYX);
    ExpectNear(item.GetRotation(), 0.3f, 0.6f, 0.9f);
    EXPECT_TRUE(item.GetWorldMatrix().DiffersFrom(before));
}

TEST(Item, TranslateUnderAScaledParentMovesByTheWorldOffset)
{
    nItem parent(nullptr), child(nullptr);
    parent.SetScale(nVector(2, 2, 2));
    parent.SetPosition(nVector(0, 0, 1));
    child.SetParent(&parent);
    child.Translate(nVector(4, 0, 0));
    ExpectNear(child.GetPosition(), 2, 0, 0);
    ExpectNear(child.GetWorldPosition(), 4, 0, 1);
}

TEST(Item, LinkOnlyPositionKeepsOwnRotationAndScale)
{
    nItem parent(nullptr), child(nullptr);
    parent.SetRotation(nVector(0, 1.0f, 0));
    parent.SetScale(nVector(3, 3, 3));
    parent.SetPosition(nVector(1, 0, 0));
    child.SetScale(nVector(2, 2, 2));
    child.SetFlag(ItemFlagLinkOnlyPosition, true);
    child.SetParent(&parent);
    const nMatrix4& world = child.GetWorldMatrix();
    ExpectNear(world.GetTranslation(), 1, 0, 0);
    EXPECT_FALSE(world.DiffersFrom(nMatrix4::FromTranslation(1, 0, 0) * nMatrix4::FromScale(2, 2, 2)));
}

TEST(Item, LookAtTurnsTheZAxisToTheTarget)
{
    nItem item(nullptr);
    item.SetPosition(nVector(0, 0, 0));
    const nVector target(5, 0, 0);
    item.SetTarget(&target);
    ExpectNear(item.GetWorldMatrix().GetColumn(2, false), 1, 0, 0);
}

TEST(Item, LookAtOwnPositionKeepsThePreviousRotation)
{
    nItem item(nullptr);
    const nVector away(0, 5, 0);
    item.SetTarget(&away);
    const nVector axis = item.GetWorldMatrix().GetColumn(2, false);
    const nVector self(0, 0, 0);
    item.SetTarget(&self);
    const nMatrix4& world = item.GetWorldMatrix();
    for (float element : world.m)
        EXPECT_FALSE(std::isnan(element));
    ExpectNear(world.GetColumn(2, false), axis.x, axis.y, axis.z);
}

TEST(Item, InverseIsOnlyRecomputedWhenAskedFor)
{
    nItem item(nullptr);
    item.SetPosition(nVector(1, 0, 0));
    item.Update();
    EXPECT_TRUE(item.GetFlags() & ItemFlagInverseStale);
    ExpectNear(nVector(0, 0, 0).MulMatrix4(item.GetInverseMatrix()), -1, 0, 0);
    EXPECT_FALSE(item.GetFlags() & ItemFlagInverseStale);
}

TEST(Item, MinMaxIsAPointAtTheWorldPosition)
{
    nItem item(nullptr);
    item.SetPosition(nVector(3, 4, 5));
    nMinMax box;
    item.GetMinMax(box);
    ExpectNear(box.min, 3, 4, 5);
    ExpectNear(box.max, 3, 4, 5);
}
