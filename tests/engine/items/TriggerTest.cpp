#include "engine/items/SceneFixture.h"
#include "engine/items/nMObject.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "engine/items/nTrigger.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
constexpr const char* EventScript =
    "class Probe {\n"
    "  function OnTrigger(item, trigger) { print(\"OnTrigger\"); }\n"
    "  function OnEnterTrigger(item, trigger) { print(\"OnEnterTrigger\"); }\n"
    "  function OnExitTrigger(item, trigger) { print(\"OnExitTrigger\"); }\n"
    "  function OnItemEnter(trigger, item) { print(\"OnItemEnter\"); }\n"
    "  function OnItemExit(trigger, item) { print(\"OnItemExit\"); }\n"
    "}\n";

class Trigger : public SceneFixture
{
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        WriteScript(EventScript);
        trigger = scene->NewTrigger("Zone");
        item = scene->NewObject("Ball");
        AddScript(*trigger, "Probe");
        AddScript(*item, "Probe");
        item->SetFlag(MItemFlagTriggerDetected, true);
        TakePrinted();
    }

    void MoveTo(float x)
    {
        item->GetItem()->SetPosition(nVector(x, 0, 0));
        trigger->Evaluate();
    }

    nTrigger* trigger = nullptr;
    nMObject* item = nullptr;
};
} // namespace

TEST_F(Trigger, ScaledBoxContainsPointsStrictlyInside)
{
    trigger->GetTriggerItem().SetScale(nVector(2, 2, 2));
    EXPECT_TRUE(trigger->IsPointInside(nVector(0.99f, 0, 0)));
    EXPECT_FALSE(trigger->IsPointInside(nVector(1, 0, 0)));
    EXPECT_FALSE(trigger->IsPointInside(nVector(0, -1, 0)));
    trigger->GetTriggerItem().SetPosition(nVector(10, 0, 0));
    EXPECT_TRUE(trigger->IsPointInside(nVector(10.5f, 0.5f, -0.5f)));
}

TEST_F(Trigger, EnterStayAndLeaveSendTheirEvents)
{
    MoveTo(0.0f);
    EXPECT_EQ(TakePrinted(), (std::vector<std::string>{"OnTrigger", "OnEnterTrigger", "OnItemEnter"}));
    MoveTo(0.2f);
    EXPECT_EQ(TakePrinted(), (std::vector<std::string>{"OnTrigger"}));
    MoveTo(3.0f);
    EXPECT_EQ(TakePrinted(), (std::vector<std::string>{"OnExitTrigger", "OnItemExit"}));
    EXPECT_FALSE(trigger->HasItem(item));
}

TEST_F(Trigger, UndetectableOrInactiveItemsNeverEnter)
{
    item->SetFlag(MItemFlagTriggerDetected, false);
    MoveTo(0.0f);
    item->SetFlag(MItemFlagTriggerDetected, true);
    item->SetEnabledField(false);
    trigger->Evaluate();
    EXPECT_TRUE(TakePrinted().empty());
}

TEST_F(Trigger, DisabledTriggerKeepsItsEntries)
{
    MoveTo(0.0f);
    TakePrinted();
    trigger->SetEnabledField(false);
    MoveTo(5.0f);
    EXPECT_TRUE(TakePrinted().empty());
    EXPECT_TRUE(trigger->HasItem(item));
}

TEST_F(Trigger, ItemDeletedInsideGetsItsExitEvents)
{
    MoveTo(0.0f);
    TakePrinted();
    EXPECT_TRUE(scene->DeleteItem(item));
    EXPECT_TRUE(scene->DeleteItem(item));
    trigger->Evaluate();
    EXPECT_EQ(TakePrinted(), (std::vector<std::string>{"OnTrigger"})) << "still there until the flush";
    scene->FlushDeletionQueue();
    EXPECT_EQ(TakePrinted(), (std::vector<std::string>{"OnExitTrigger", "OnItemExit"}));
    EXPECT_TRUE(trigger->GetEntries().IsEmpty());
    EXPECT_EQ(scene->GetAllItems().GetCount(), 1u);
}

TEST_F(Trigger, ItemDestroyedOtherwiseLeavesNoEntryBehind)
{
    MoveTo(0.0f);
    TakePrinted();
    delete item;
    EXPECT_TRUE(trigger->GetEntries().IsEmpty());
    trigger->Evaluate();
    EXPECT_TRUE(TakePrinted().empty());
}

TEST_F(Trigger, SceneDestructionDropsEntriesSilently)
{
    MoveTo(0.0f);
    TakePrinted();
    scene->Release();
    scene = new nScene(nullptr, &machine);
    scene->AddRef();
    EXPECT_TRUE(TakePrinted().empty());
}

TEST_F(Trigger, BlockReadsBackItsTransformation)
{
    trigger->GetTriggerItem().SetScale(nVector(4, 1, 2));
    nMetaFile file;
    std::unique_ptr<nMetaTag> tag(trigger->SerializeTag(file));
    nTrigger* copy = scene->NewTrigger("Copy");
    ASSERT_TRUE(copy->ParseTag(file, *tag));
    EXPECT_FLOAT_EQ(copy->GetTriggerItem().GetScale().x, 4.0f);
    EXPECT_EQ(copy->GetName(), "Zone");
    EXPECT_EQ(copy->GetScriptUnits().GetCount(), 1u);
}
