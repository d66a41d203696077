#include "animation/nACECommand.h"
#include "core/math/nQuaternion.h"
#include "engine/items/SceneFixture.h"
#include "engine/items/StubPhysics.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMConstraint.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/items/nTrigger.h"

#include <gtest/gtest.h>

namespace
{
class RecordingListener : public nSceneListener
{
public:
    void OnMessage(nSceneMessage message, const void* data) override
    {
        messages.push_back(message);
        items.push_back(data);
    }
    std::vector<uint32_t> messages;
    std::vector<const void*> items;
};

using ManagedItem = SceneFixture;
} // namespace

TEST_F(ManagedItem, ConstructorsNumberAndListEveryItem)
{
    RecordingListener listener;
    scene->GetListeners().PushBack(&listener);
    nMCamera* camera = scene->NewCamera("Cam");
    nMObject* object = scene->NewObject("Box");
    nMLight* light = scene->NewLight("Sun", LightTypeParallel, 2.0f);
    ASSERT_TRUE(camera && object && light);
    EXPECT_EQ(camera->GetUid(), 0);
    EXPECT_EQ(object->GetUid(), 1);
    EXPECT_EQ(light->GetUid(), 2);
    EXPECT_EQ(scene->GetAllItems().GetCount(), 3u);
    EXPECT_EQ(scene->GetActiveItems().GetCount(), 3u);
    EXPECT_EQ(scene->GetCameras().GetCount(), 1u);
    EXPECT_EQ(scene->GetLights().GetHead()->value, light);
    EXPECT_EQ(light->GetLight().GetType(), LightTypeParallel);
    EXPECT_FLOAT_EQ(light->GetPriority(), 2.0f);
    EXPECT_EQ(object->GetName(), "Box");
    EXPECT_EQ(listener.messages, (std::vector<uint32_t>{1, 2, 1, 2, 1, 2}));
    EXPECT_EQ(listener.items[1], static_cast<nMItem*>(camera));

    scene->GetListeners().Clear();
    camera->GetItem()->SetParent(object->GetItem());
    scene->GetListeners().PushBack(&listener);
    listener.messages.clear();
    light->GetItem()->SetParent(object->GetItem());
    EXPECT_EQ(listener.messages, (std::vector<uint32_t>{13, 14}));
    scene->GetListeners().Clear();
}

TEST_F(ManagedItem, UidIsGivenOnce)
{
    nMObject* object = scene->NewObject("Box");
    scene->AssignUid(object);
    EXPECT_EQ(object->GetUid(), 0);
    EXPECT_EQ(scene->GetNextUid(), 1u);
    EXPECT_NE(log.find("[!] (Critical error) item 'Box' already has an uid (0).\n"), std::string::npos);
}

TEST_F(ManagedItem, ChannelsMapOntoPositionRotationAndScale)
{
    nMObject* object = scene->NewObject("Box");
    float value = 42.0f;
    EXPECT_FALSE(object->GetChannelValue(0, value));
    EXPECT_FALSE(object->GetChannelValue(10, value));
    EXPECT_FALSE(object->SetChannelValue(10, 1.0f));
    EXPECT_FLOAT_EQ(value, 42.0f);
    for (int32_t channel = 1; channel <= 9; ++channel)
        ASSERT_TRUE(object->SetChannelValue(channel, static_cast<float>(channel)));
    const nItem& item = *object->GetItem();
    EXPECT_FLOAT_EQ(item.GetPosition().z, 3.0f);
    EXPECT_FLOAT_EQ(item.GetRotation().x, 4.0f);
    EXPECT_FLOAT_EQ(item.GetScale().y, 8.0f);
    ASSERT_TRUE(object->GetChannelValue(9, value));
    EXPECT_FLOAT_EQ(value, 9.0f);
}

TEST_F(ManagedItem, RotationQuaternionRoundTrips)
{
    nMObject* object = scene->NewObject("Box");
    object->GetItem()->SetRotation(nVector(0.2f, 0.5f, -0.3f));
    nQuaternion rotation;
    object->GetRotationQuaternion(rotation);
    object->GetItem()->SetRotation(nVector(0, 0, 0));
    ASSERT_TRUE(object->SetRotationQuaternion(rotation));
    EXPECT_NEAR(object->GetItem()->GetRotation().x, 0.2f, 1e-4f);
    EXPECT_NEAR(object->GetItem()->GetRotation().y, 0.5f, 1e-4f);
    EXPECT_NEAR(object->GetItem()->GetRotation().z, -0.3f, 1e-4f);
}

TEST_F(ManagedItem, CommandsReachTheirTargetsInTheLastStep)
{
    nMObject* object = scene->NewObject("Box");
    nACECommand move{ItemCommandToPosition, 1.0f, 1.0f, {0.0f, 0.0f, 5.0f}};
    for (float expected : {1.25f, 2.5f, 3.75f, 5.0f})
    {
        ASSERT_TRUE(object->ExecuteCommand(&move, 0.25f));
        move.remaining -= 0.25f;
        EXPECT_NEAR(object->GetItem()->GetPosition().z, expected, 1e-5f);
    }
    nACECommand fade{ItemCommandToAlpha, 0.5f, 0.5f, {2.0f, 0.0f, 0.0f}};
    ASSERT_TRUE(object->ExecuteCommand(&fade, 0.5f));
    EXPECT_FLOAT_EQ(object->GetItem()->GetAlpha(), 1.0f);
    nACECommand turn{ItemCommandToRotation, 1.0f, 1.0f, {0.0f, 90.0f, 0.0f}};
    ASSERT_TRUE(object->ExecuteCommand(&turn, 1.0f));
    EXPECT_NEAR(object->GetItem()->GetRotation().y, 1.5707963f, 1e-5f);
    nACECommand offset{ItemCommandOffsetPosition, 2.0f, 2.0f, {4.0f, 0.0f, 0.0f}};
    ASSERT_TRUE(object->ExecuteCommand(&offset, 0.5f));
    EXPECT_FLOAT_EQ(object->GetItem()->GetPosition().x, 1.0f);
    nACECommand pivot{ItemCommandToOffset, 1.0f, 1.0f, {0.0f, 3.0f, 0.0f}};
    ASSERT_TRUE(object->ExecuteCommand(&pivot, 1.0f));
    EXPECT_FLOAT_EQ(object->GetItem()->GetPivot().m[7], 3.0f);
    nACECommand grow{ItemCommandToScale, 1.0f, 1.0f, {2.0f, 2.0f, 2.0f}};
    ASSERT_TRUE(object->ExecuteCommand(&grow, 1.0f));
    EXPECT_FLOAT_EQ(object->GetItem()->GetScale().z, 2.0f);
    EXPECT_FALSE(object->ExecuteCommand(nullptr, 1.0f));
}

TEST_F(ManagedItem, ResetSpreadsTheLogicClockAndRestoresTheRecordedLocation)
{
    nMObject* object = scene->NewObject("Box");
    EXPECT_FLOAT_EQ(object->GetLogicRate(), 15.0f);
    object->GetItem()->SetPivot(nMatrix4::FromTranslation(0, 0, 1));
    object->GetItem()->SetPosition(nVector(1, 2, 3));
    object->RecordLocation();
    object->GetItem()->SetPosition(nVector(9, 9, 9));
    object->RestoreLocation();
    EXPECT_NEAR(object->GetItem()->GetPosition().y, 2.0f, 1e-5f);
    for (int i = 0; i < 20; ++i)
    {
        object->Reset();
        EXPECT_GE(object->GetLogicClock(), 0.0f);
        EXPECT_LT(object->GetLogicClock(), 1.0f / 15.0f);
    }
    EXPECT_FALSE(object->GetLogicMatrix().DiffersFrom(object->GetItem()->GetLocalMatrix()));
}

TEST_F(ManagedItem, DarkLightIsNotEnabled)
{
    nMLight* light = scene->NewLight("Lamp", LightTypePoint, 0.5f);
    EXPECT_TRUE(light->IsEnabled());
    light->GetLight().SetDiffuseIntensity(0.01f);
    EXPECT_FALSE(light->IsEnabled());
    light->GetLight().SetSpecularIntensity(0.02f);
    EXPECT_TRUE(light->IsEnabled());
    light->SetEnabledField(false);
    EXPECT_FALSE(light->IsEnabled());
}

TEST_F(ManagedItem, LightsAreOrderedByPriority)
{
    nMLight* low = scene->NewLight("Low", LightTypePoint, 0.5f);
    nMLight* high = scene->NewLight("High", LightTypePoint, 2.0f);
    nMLight* same = scene->NewLight("Same", LightTypePoint, 0.5f);
    EXPECT_EQ(scene->GetLights().GetHead()->value, high);
    EXPECT_EQ(scene->GetLights().GetHead()->next->value, low);
    EXPECT_EQ(scene->GetLights().GetTail()->value, same);
}

TEST_F(ManagedItem, DestructionSendsOnDeleteThenKillsTheHandles)
{
    WriteScript("class Item { function OnSetup(item) { ::kept <- item; }\n"
                "  function OnDelete(item) { print(\"OnDelete \" + ObjectIsValid(item)); } }\n");
    nMObject* object = scene->NewObject("Box");
    AddScript(*object, "Item");
    delete object;
    EXPECT_EQ(TakePrinted(), (std::vector<std::string>{"OnDelete true"}));
    EXPECT_EQ(scene->GetAllItems().GetCount(), 0u);
    EXPECT_EQ(scene->GetObjects().GetCount(), 0u);
    ASSERT_TRUE(RunScript("print(\"kept \" + ObjectIsValid(::kept));"));
    EXPECT_EQ(TakePrinted(), (std::vector<std::string>{"kept false"}));
}

TEST_F(ManagedItem, ConstraintNeedsAPhysicsWorld)
{
    EXPECT_EQ(scene->NewConstraint("Hinge"), nullptr);
    EXPECT_NE(log.find("[!] Failed to allocate constraint.\n"), std::string::npos);
    EXPECT_EQ(scene->GetNextUid(), 0u);

    auto* world = new StubPhysicWorld();
    scene->SetPhysicWorld(world);
    nMObject* a = scene->NewObject("A");
    nMConstraint* hinge = scene->NewConstraint("Hinge");
    ASSERT_TRUE(hinge && a && a->GetPhysicItem());
    EXPECT_EQ(a->GetPhysicItem()->GetOwner(), static_cast<nPhysicOwner*>(a));
    nPhysicConstraint* joint = hinge->GetPhysicConstraint();
    joint->SetItemA(a->GetPhysicItem());
    hinge->Setup();
    EXPECT_EQ(static_cast<StubPhysicConstraint*>(joint)->setups, 1);
    nPhysicItem* body = a->GetPhysicItem();
    delete a;
    EXPECT_EQ(joint->GetItemA(), nullptr);
    EXPECT_EQ(world->removed, (std::vector<nPhysicItem*>{body}));
}

TEST_F(ManagedItem, SetupBuildsTheBodyAndResetPlacesIt)
{
    scene->SetPhysicWorld(new StubPhysicWorld());
    nMObject* object = scene->NewObject("Box");
    auto* body = static_cast<StubPhysicItem*>(object->GetPhysicItem());
    object->GetItem()->SetPosition(nVector(0, 7, 0));
    object->Setup();
    object->Reset();
    EXPECT_EQ(body->builds, 1);
    EXPECT_EQ(body->clears, 1);
    EXPECT_FLOAT_EQ(body->matrix.m[7], 7.0f);
}

TEST_F(ManagedItem, FlushDestroysQueuedItemsAndForgetsThem)
{
    nMCamera* camera = scene->NewCamera("Cam");
    scene->SetCurrentCamera(camera->GetItem());
    RecordingListener listener;
    scene->GetListeners().PushBack(&listener);
    scene->DeleteItem(camera);
    EXPECT_EQ(scene->GetCameras().GetCount(), 1u);
    EXPECT_TRUE(scene->IsDeletionQueued(camera));
    scene->FlushDeletionQueue();
    EXPECT_EQ(listener.messages, (std::vector<uint32_t>{3, 4}));
    EXPECT_EQ(listener.items[0], static_cast<nMItem*>(camera));
    EXPECT_EQ(scene->GetCurrentCamera(), nullptr);
    EXPECT_TRUE(scene->GetCameras().IsEmpty());
    EXPECT_TRUE(scene->GetAllItems().IsEmpty());
    EXPECT_TRUE(scene->GetActiveItems().IsEmpty());
    scene->GetListeners().Clear();
}
