#include "animation/nMotion.h"
#include "animation/nMotionChannel.h"
#include "core/math/nCurvePoint.h"
#include "core/math/nFrustum.h"
#include "engine/items/StubPhysics.h"
#include "engine/items/nItem.h"
#include "engine/items/nLight.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/scene/SceneFileFixture.h"
#include "engine/scene/nGroup.h"
#include "engine/scene/nInstance.h"
#include "render/nFontPair.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"
#include "script/units/nScriptUnit.h"

#include <gtest/gtest.h>

namespace
{
constexpr const char* Probe =
    "class Probe {\n"
    "  function OnActivate(item, on) { print(\"OnActivate \" + on); }\n"
    "  function OnLogicUpdate(item, step) { print(\"OnLogicUpdate \" + step); }\n"
    "  function OnUpdate(...) { print(\"OnUpdate\"); }\n"
    "  function OnRenderDone(...) { print(\"OnRenderDone\"); }\n"
    "  function OnRenderUI(...) { print(\"OnRenderUI\"); }\n"
    "}\n";

using Scene = SceneFileFixture;

std::string Template(const char* itemName)
{
    return std::string("<NML=1.0>\n<Scene=<Items=<MObject=<MItem=<Id=\"") + itemName +
           "\"><UId=0><Active>><Object=<Item=<Position=<X=1.0><Y=0.0><Z=0.0>>>>>>>\n";
}
} // namespace

TEST_F(Scene, UidsCountAndDeletionWaitsForTheFlush)
{
    nMCamera* camera = scene->NewCamera("C");
    nMObject* object = scene->NewObject("O");
    EXPECT_EQ(camera->GetUid(), 0);
    EXPECT_EQ(object->GetUid(), 1);
    EXPECT_EQ(scene->NewObject("P")->GetUid(), 2);
    scene->SetCurrentCamera(camera->GetItem());
    scene->DeleteItem(camera);
    scene->DeleteItem(camera);
    EXPECT_TRUE(scene->GetCameras().Find(camera));
    EXPECT_EQ(scene->GetCurrentCamera(), camera->GetItem());
    scene->SetDeletionQueueKept(true);
    scene->Update();
    EXPECT_EQ(scene->GetCameras().GetCount(), 1u);
    scene->SetDeletionQueueKept(false);
    scene->Update();
    EXPECT_EQ(scene->GetCameras().GetCount(), 0u);
    EXPECT_EQ(scene->GetAllItems().GetCount(), 2u);
    EXPECT_EQ(scene->GetCurrentCamera(), nullptr);

    scene->DeleteContent(false);
    EXPECT_EQ(scene->NewObject("Q")->GetUid(), 0);
}

TEST_F(Scene, ActivationIsDeferredAndAnnouncedOnlyOnChange)
{
    WriteScript(Probe);
    nMObject* object = scene->NewObject("O");
    AddScript(*object, "Probe");
    TakePrinted();
    scene->ActivateItem(object, true, false);
    EXPECT_TRUE(TakePrinted().empty());
    scene->ActivateItem(object, false, false);
    scene->ActivateItem(object, true, false);
    EXPECT_EQ(TakePrinted(), (std::vector<std::string>{"OnActivate false", "OnActivate true"}));
    scene->Update(0);
    EXPECT_TRUE(scene->GetActiveItems().Contains(object));
    scene->ActivateItem(object, false, false);
    EXPECT_TRUE(scene->GetActiveItems().Contains(object));
    scene->Update(0);
    EXPECT_FALSE(scene->GetActiveItems().Contains(object));
}

TEST_F(Scene, PathsResolveInsideInstancesOnly)
{
    WriteFile("t.nms", Template("Box"));
    scene->NewObject("obj");
    nInstance* instance = scene->NewInstance("inst", "@scripts/t.nms");
    scene->Setup();
    ASSERT_TRUE(instance->GetGroup()) << log;
    nMItem* box = scene->FindItem("inst/Box");
    ASSERT_TRUE(box);
    EXPECT_EQ(box->GetItem()->GetParent(), instance->GetItem());
    EXPECT_EQ(scene->FindItem("obj/x"), nullptr);
    EXPECT_NE(log.find("[*] Cannot solve sub-path 'x' on item 'obj'.\n"), std::string::npos);
    EXPECT_EQ(scene->GetItemKind(nullptr), 0);
}

TEST_F(Scene, InstancesPlaceTheirGroupAndRetryUnreadableTemplates)
{
    WriteFile("t.nms", Template("Box"));
    nInstance* missing = scene->NewInstance("lost", "@scripts/none.nms");
    nInstance* placed = scene->NewInstance("placed", "@scripts/t.nms");
    placed->SetDoNotParent(true);
    placed->GetItem()->SetPosition(nVector(0.0f, 10.0f, 0.0f));
    scene->Setup();
    EXPECT_EQ(missing->GetGroup(), nullptr);
    ASSERT_TRUE(placed->GetGroup());
    nMItem* box = placed->GetGroup()->GetItems().GetHead()->value;
    EXPECT_EQ(box->GetItem()->GetParent(), nullptr);
    EXPECT_FLOAT_EQ(box->GetItem()->GetWorldMatrix().GetTranslation().y, 10.0f);

    WriteFile("none.nms", Template("Late"));
    scene->Setup();
    EXPECT_TRUE(missing->GetGroup());
}

TEST_F(Scene, GroupsAddOnceReparentAndDieCleanly)
{
    nMObject* root = scene->NewObject("Root");
    nMObject* a = scene->NewObject("A");
    nMObject* b = scene->NewObject("B");
    nMObject* c = scene->NewObject("C");
    nMObject* other = scene->NewObject("Other");
    c->GetItem()->SetParent(other->GetItem());
    nGroup* group = scene->NewGroup("G");
    nGroup* parent = scene->NewGroup("P");
    parent->AddGroup(group, true);
    EXPECT_TRUE(group->AddItem(a, true));
    EXPECT_FALSE(group->AddItem(a, true));
    group->AddItem(b, false);
    group->AddItem(c, false);
    group->SetRootItem(root);
    EXPECT_EQ(a->GetItem()->GetParent(), root->GetItem());
    EXPECT_EQ(c->GetItem()->GetParent(), other->GetItem());
    group->SetRootItem(b);
    EXPECT_EQ(a->GetItem()->GetParent(), b->GetItem());
    EXPECT_EQ(c->GetItem()->GetParent(), other->GetItem());

    scene->DeleteGroup(group);
    EXPECT_EQ(scene->FindGroup("G"), nullptr);
    EXPECT_FALSE(parent->HasGroup(group));
    EXPECT_TRUE(scene->IsDeletionQueued(a));
    scene->FlushDeletionQueue();
    EXPECT_EQ(scene->GetAllItems().GetCount(), 2u);
}

TEST_F(Scene, LogicStepsAtItsRateWithinTheClampedFrame)
{
    WriteScript(Probe);
    nMObject* object = scene->NewObject("O");
    AddScript(*object, "Probe");
    object->SetLogicRate(10.0f);
    object->SetLogicClock(0.05f);
    engine.SetFixedDeltaFrame(0.2f);
    engine.UpdateClock();
    TakePrinted();
    scene->Update(SceneUpdateScript);
    EXPECT_EQ(TakePrinted(), (std::vector<std::string>{"OnUpdate", "OnLogicUpdate 0.1", "OnLogicUpdate 0.1"}));
    EXPECT_NEAR(object->GetLogicClock(), 0.05f, 1e-5f);

    object->SetLogicClock(0.0f);
    engine.SetFixedDeltaFrame(0.5f);
    engine.UpdateClock();
    scene->Update(SceneUpdateScript);
    EXPECT_EQ(TakePrinted().size(), 4u); // "OnUpdate" and three steps of 0.1 in 0.2 s

    object->SetLogicRate(1.0e9f);
    object->SetLogicClock(0.0f);
    scene->Update(SceneUpdateScript);
    const size_t events = TakePrinted().size(); // at most 1000 steps a second, give or take rounding
    EXPECT_GE(events, 1u + 199u);
    EXPECT_LE(events, 1u + 201u);
}

// A frame walks the items for logic updates and "OnRenderDone" only while some item has them; an
// item that gains them later is heard from its next frame on.
TEST_F(Scene, ItemsThatGainLogicAndRenderDoneLaterAreHeard)
{
    WriteScript(std::string(Probe) + "class Plain { function OnUpdate(...) { print(\"OnUpdate\"); } }\n");
    nMObject* object = scene->NewObject("O");
    AddScript(*object, "Plain");
    object->SetLogicRate(10.0f);
    engine.SetFixedDeltaFrame(0.1f);
    engine.UpdateClock();
    TakePrinted();
    scene->Update(SceneUpdateScript);
    scene->SendRenderDone(0);
    EXPECT_EQ(TakePrinted(), (std::vector<std::string>{"OnUpdate"}));

    AddScript(*object, "Probe");
    object->SetLogicClock(0.05f);
    TakePrinted();
    scene->Update(SceneUpdateScript);
    scene->SendRenderDone(0);
    EXPECT_EQ(TakePrinted(), (std::vector<std::string>{"OnUpdate", "OnUpdate", "OnLogicUpdate 0.1", "OnRenderDone"}));

    object->DeleteScriptUnits();
    scene->Update(SceneUpdateScript);
    scene->SendRenderDone(0);
    EXPECT_TRUE(TakePrinted().empty());
}

TEST_F(Scene, RenderSendsSceneEventsAndAnswersLightQueries)
{
    WriteScript(Probe);
    nScriptUnit* unit = scene->CreateScriptUnit();
    unit->SetScript("@scripts/items.nut");
    unit->SetClassName("Probe");
    nMObject* object = scene->NewObject("O");
    AddScript(*object, "Probe");
    scene->Setup();
    TakePrinted();
    scene->SetRenderFlag(SceneRenderFlagRenderless, true);
    scene->SetFog(5.0f, 0.0f, nColor(1.0f, 0.0f, 0.0f, 1.0f));
    scene->RenderSetup(SceneRenderClearViewport);
    scene->SendRenderDone(0);
    scene->RenderUI(0);
    EXPECT_EQ(TakePrinted(), (std::vector<std::string>{"OnRenderDone", "OnRenderUI"}));
    EXPECT_TRUE(renderer.calls.empty());
    scene->SetRenderFlag(SceneRenderFlagRenderless, false);
    scene->RenderSetup(0);
    EXPECT_FALSE(renderer.IsFogEnabled());
    scene->SendRenderDone(SceneRenderDisableScript);
    EXPECT_TRUE(TakePrinted().empty());

    nMLight* low = scene->NewLight("Low", LightTypePoint, 0.5f);
    nMLight* high = scene->NewLight("High", LightTypePoint, 2.0f);
    low->GetLight().SetRange(0.0f);
    high->GetLight().SetRange(1.0f);
    high->GetLight().SetClipDistance(0.0f);
    high->GetItem()->SetPosition(nVector(100.0f, 0.0f, 0.0f));
    scene->SortItems();
    EXPECT_EQ(scene->GetLights().GetHead()->value, high);
    nList<nLightSource*> lights;
    nFrustum frustum;
    scene->GetLightsAt(nVector(0.0f, 0.0f, 0.0f), frustum, lights, 1);
    ASSERT_EQ(lights.GetCount(), 1u);
    EXPECT_EQ(lights.GetHead()->value, &low->GetLight());
    scene->GetNearestLights(nVector(0.0f, 0.0f, 0.0f), lights, 1);
    ASSERT_EQ(lights.GetCount(), 1u);
    EXPECT_EQ(lights.GetHead()->value, &high->GetLight());
}

TEST_F(Scene, StatsListTheTimersAndItems)
{
    scene->NewObject("A");
    scene->NewObject("B");
    scene->ActivateItem(scene->FindObject("B"), false, false);
    scene->Update();
    float x = 0.0f;
    float y = 0.0f;
    scene->PrintStats(nFontPair(), x, y);
    ASSERT_EQ(renderer.texts.size(), 9u);
    EXPECT_EQ(y, 9 * 16.0f); // the recording renderer moves down 16 units a line
    EXPECT_EQ(renderer.texts[0].text, "Scene\n\n");
    EXPECT_EQ(renderer.texts[2].text, "  -> Item = 2 item(s), 1 active (50%)\n");
    EXPECT_EQ(renderer.texts[6].text.rfind("User interface = ", 0), 0u);
}

TEST_F(Scene, OnlySimulatedBodiesAreCopiedBackAndBodiesGetNoBlending)
{
    scene->SetPhysicWorld(new StubPhysicWorld());
    nMObject* dynamic = scene->NewObject("Dynamic");
    nMObject* kinematic = scene->NewObject("Kinematic");
    nMatrix4 moved = nMatrix4::FromTranslation(0.0f, 3.0f, 0.0f);
    for (nMObject* object : {dynamic, kinematic})
        static_cast<StubPhysicItem*>(object->GetPhysicItem())->matrix = moved;
    dynamic->GetPhysicItem()->SetMode(PhysicModeDynamic);
    kinematic->GetPhysicItem()->SetMode(PhysicModeKinematic);
    scene->Update(SceneUpdatePhysic);
    EXPECT_FLOAT_EQ(dynamic->GetItem()->GetWorldMatrix().GetTranslation().y, 3.0f);
    EXPECT_FLOAT_EQ(kinematic->GetItem()->GetWorldMatrix().GetTranslation().y, 0.0f);
}

TEST_F(Scene, AnimationTakesTheFrameDeltaAndCommandListsTheClampedOne)
{
    nMObject* object = scene->NewObject("O");
    auto* slide = new nMotion("slide");
    nMotionChannel* x = slide->AddChannel(ChannelPositionX);
    x->AddKnot(new nCurvePoint(0.0f, 0.0f));
    x->AddKnot(new nCurvePoint(1.0f, 10.0f));
    ASSERT_TRUE(object->AddMotion(slide));
    ASSERT_TRUE(object->SetMotion(slide, nullptr, 0.0f, false, 1.0f));
    ASSERT_EQ(scene->CompileCommandList("toposition 1,0,5,0;", object), 2);
    engine.SetFixedDeltaFrame(0.5f);
    engine.UpdateClock();

    scene->Update();
    // The motion plays 0.5 s of its second; the list moves a fifth of the way in 0.2 s.
    const nVector& position = object->GetItem()->GetPosition();
    EXPECT_FLOAT_EQ(object->GetSources().GetHead()->value->GetClock(), 0.5f);
    EXPECT_FLOAT_EQ(position.x, 5.0f);
    EXPECT_FLOAT_EQ(position.y, 1.0f);
}

// A scene let go while it is in use (a script dropped its last handle inside a walk of it) lives
// until its last use ends, while its handles are dead at once; a free scene goes at once.
TEST_F(Scene, ASceneLetGoInUseLivesUntilItsLastUseEnds)
{
    auto* other = new nScene(scene->GetEngine(), scene->GetVM());
    other->NewObject("Kept");
    ASSERT_TRUE(scene->GetVM()->SetSlot("Other", nScriptValue(ObjectTypeScene, other), nullptr));
    {
        const nScene::UseScope use(*other);
        {
            const nScene::ItemWalk walk(*other);
            other->DestroyWhenUnused();
            EXPECT_NE(other->FindObject("Kept"), nullptr);
        }
        EXPECT_TRUE(other->IsInUse());
        ASSERT_TRUE(RunScript("print(ObjectIsValid(::Other));"));
        EXPECT_EQ(TakePrinted(), (std::vector<std::string>{"false"}));
    }
    (new nScene(scene->GetEngine(), scene->GetVM()))->DestroyWhenUnused();
}
