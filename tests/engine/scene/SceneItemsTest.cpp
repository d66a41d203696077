#include "animation/nAnimationSourceList.h"
#include "animation/nMotion.h"
#include "engine/items/StubPhysics.h"
#include "engine/items/nItem.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMConstraint.h"
#include "engine/items/nMObject.h"
#include "engine/items/nTrigger.h"
#include "engine/scene/SceneFileFixture.h"
#include "engine/scene/nGroup.h"

#include <gtest/gtest.h>

#include <memory>

using SceneItems = SceneFileFixture;

TEST_F(SceneItems, MotionsStartOnActiveItemsOfTheSceneAndOnEveryGroupMember)
{
    nMObject* active = scene->NewObject("Active");
    nMObject* inactive = scene->NewObject("Inactive");
    nMObject* still = scene->NewObject("Still");
    active->AddMotion(new nMotion("walk"));
    inactive->AddMotion(new nMotion("walk"));
    scene->ActivateItem(inactive, false, false);
    scene->Update(0);

    nAnimationSourceList* sources = nullptr;
    scene->SetMotion("walk", &sources, 0.0f, false, 1.0f);
    std::unique_ptr<nAnimationSourceList> started(sources);
    ASSERT_TRUE(started);
    EXPECT_EQ(started->GetCount(), 1u);
    EXPECT_TRUE(active->IsPlaying());
    EXPECT_FALSE(inactive->IsPlaying());

    nGroup* group = scene->NewGroup("G");
    group->AddItem(inactive, true);
    group->AddItem(still, true);
    group->SetMotion("walk", nullptr, 0.0f, true, 1.0f);
    EXPECT_TRUE(inactive->IsPlaying());
    EXPECT_FALSE(still->IsPlaying());

    scene->SetMotion("run", &sources, 0.0f, true, 1.0f);
    started.reset(sources);
    ASSERT_TRUE(started);
    EXPECT_TRUE(started->IsEmpty());
}

TEST_F(SceneItems, BodiesLeaveTheSimulationWhileTheirItemIsInactive)
{
    scene->SetPhysicWorld(new StubPhysicWorld());
    nMObject* object = scene->NewObject("O");
    auto* body = static_cast<StubPhysicItem*>(object->GetPhysicItem());
    scene->ActivateItem(object, false, false);
    EXPECT_TRUE(body->simulated);
    scene->Update(0);
    EXPECT_FALSE(body->simulated);
    scene->ActivateItem(object, true, false);
    scene->Update(0);
    EXPECT_TRUE(body->simulated);
}

TEST_F(SceneItems, TriggerRaysTakeTheFirstTriggerInListOrderNotTheNearest)
{
    nTrigger* far = scene->NewTrigger("Far");
    far->GetItem()->SetPosition(nVector(10.0f, 0.0f, 0.0f));
    far->GetItem()->SetScale(nVector(2.0f, 2.0f, 2.0f));
    nTrigger* near = scene->NewTrigger("Near");
    near->GetItem()->SetPosition(nVector(5.0f, 0.0f, 0.0f));
    const nVector origin(0.0f, 0.0f, 0.0f);
    const nVector alongX(1.0f, 0.0f, 0.0f, 0.0f);

    nVector hit;
    EXPECT_EQ(scene->RaytraceTriggerList(origin, alongX, -1.0f, &hit), far);
    EXPECT_FLOAT_EQ(hit.x, 9.0f);
    EXPECT_EQ(scene->RaytraceTriggerList(origin, alongX, 6.0f, &hit), near);
    EXPECT_FLOAT_EQ(hit.x, 4.5f);
    EXPECT_EQ(scene->RaytraceTriggerList(origin, alongX, 4.0f, nullptr), nullptr);
    EXPECT_EQ(scene->RaytraceTriggerList(origin, nVector(0.0f, 1.0f, 0.0f, 0.0f), -1.0f, nullptr), nullptr);
}

TEST_F(SceneItems, KindAndUidLookupsExplainWhatTheyCannotFind)
{
    scene->SetPhysicWorld(new StubPhysicWorld());
    nMObject* object = scene->NewObject("O");
    nMConstraint* constraint = scene->NewConstraint("K");
    ASSERT_TRUE(constraint);
    nMItem* managed = nullptr;
    EXPECT_EQ(scene->GetItemKind(object->GetItem(), &managed), ItemTypeObject);
    EXPECT_EQ(managed, object);
    EXPECT_EQ(scene->GetItemKind(constraint->GetItem()), ItemTypeNone);
    EXPECT_EQ(CountLines("[*] Could not locate any instance of the provided item."), 1u);

    EXPECT_EQ(scene->FindMItemByUid(object->GetUid()), object);
    EXPECT_EQ(scene->FindMItemByUid(42), nullptr);
    EXPECT_EQ(CountLines("[*] No managed item with UID (42)."), 1u);
    EXPECT_EQ(scene->FindMItemByUid(-1), nullptr);
    EXPECT_EQ(log.find("UID (-1)"), std::string::npos);
}

TEST_F(SceneItems, BillboardsFaceTheCurrentCameraKeepingTheirPlaceAndScale)
{
    nMCamera* camera = scene->NewCamera("C");
    camera->GetItem()->SetRotation(nVector(0.3f, 1.2f, 0.0f));
    scene->SetCurrentCamera(camera->GetItem());
    nMObject* parent = scene->NewObject("Parent");
    parent->GetItem()->SetPosition(nVector(10.0f, 0.0f, 0.0f));
    parent->GetItem()->SetScale(nVector(2.0f, 2.0f, 2.0f));
    nMObject* sprite = scene->NewObject("Sprite");
    sprite->GetItem()->SetParent(parent->GetItem());
    sprite->GetItem()->SetPosition(nVector(1.0f, 2.0f, 3.0f));
    sprite->GetItem()->SetScale(nVector(1.0f, 1.0f, 0.5f));
    sprite->GetItem()->SetRotation(nVector(0.0f, 0.0f, 0.7f));
    sprite->SetFlag(MItemFlagBillboard, true);

    scene->Update(SceneUpdatePrepare);
    const nMatrix4& world = sprite->GetItem()->GetWorldMatrix();
    const nVector place = world.GetTranslation();
    EXPECT_NEAR(place.x, 12.0f, 1e-4f);
    EXPECT_NEAR(place.y, 4.0f, 1e-4f);
    EXPECT_NEAR(place.z, 6.0f, 1e-4f);
    // The item's own z turn leaves the camera's viewing axis alone.
    const nVector cameraAxis = camera->GetItem()->GetWorldMatrix().GetColumn(2, false);
    const nVector spriteAxis = world.GetColumn(2, false);
    EXPECT_NEAR(spriteAxis.x, cameraAxis.x, 1e-4f);
    EXPECT_NEAR(spriteAxis.y, cameraAxis.y, 1e-4f);
    EXPECT_NEAR(spriteAxis.z, cameraAxis.z, 1e-4f);
    EXPECT_NEAR(world.GetColumn(0, false).Length(), 2.0f, 1e-4f);
}
