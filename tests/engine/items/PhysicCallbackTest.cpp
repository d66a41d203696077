#include "engine/items/SceneFixture.h"
#include "engine/items/StubPhysics.h"
#include "engine/items/nMObject.h"
#include "script/nScriptVM.h"
#include "script/units/nSceneEventHandler.h"
#include "script/units/nScriptUnit.h"

#include <gtest/gtest.h>

namespace
{
constexpr const char* EventScript =
    "class World { function OnPhysicStep(scene, step) { print(\"scene step \" + step); } }\n"
    "class Body {\n"
    "  function OnPhysicStep(item, step) { print(name + \" step \" + step); }\n"
    "  function OnCollision(item, other) { print(name + \" hits \" + ObjectIsValid(other)); }\n"
    "  function OnCollisionEx(item, other, contact, flag) {\n"
    "    print(name + \" touches \" + ObjectIsValid(other) + \" \" + contact.count + \" \" +\n"
    "          contact.p.len() + \" \" + contact.p[2].x + \" \" + contact.n[2].y + \" \" + flag);\n"
    "  }\n"
    "}\n"
    "class BodyA extends Body { name = \"A\"; }\n"
    "class BodyB extends Body { name = \"B\"; }\n";

class PhysicCallback : public SceneFixture
{
protected:
    void SetUp() override
    {
        SceneFixture::SetUp();
        world = new StubPhysicWorld();
        scene->SetPhysicWorld(world);
        WriteScript(EventScript);
        a = scene->NewObject("A");
        b = scene->NewObject("B");
        a->GetPhysicItem()->SetMode(PhysicModeDynamic);
        AddScript(*a, "BodyA");
        AddScript(*b, "BodyB");
        TakePrinted();
    }

    nPhysicContact Contact(nMItem* first, nMItem* second, int32_t points)
    {
        nPhysicContact contact;
        contact.itemA = first->GetPhysicItem();
        contact.itemB = second->GetPhysicItem();
        contact.pointCount = points;
        for (int32_t i = 0; i < points; ++i)
        {
            contact.positions[i] = nVector(static_cast<float>(i), 0, 0);
            contact.normals[i] = nVector(0, static_cast<float>(i) + 1, 0);
        }
        return contact;
    }

    StubPhysicWorld* world = nullptr;
    nMObject* a = nullptr;
    nMObject* b = nullptr;
};
} // namespace

TEST_F(PhysicCallback, WorldReportsToTheScene)
{
    EXPECT_EQ(world->GetCallback() != nullptr, true);
}

TEST_F(PhysicCallback, StepTellsTheSceneThenTheSimulatedItems)
{
    nScriptUnit* unit = scene->CreateScriptUnit();
    unit->SetScript("@scripts/items.nut");
    unit->SetClassName("World");
    scene->GetEventHandler()->OnSetup(scene);
    world->GetCallback()->OnSubStep(1.0f / 60.0f, true);
    EXPECT_EQ(TakePrinted(), (std::vector<std::string>{"scene step true", "A step true"}));
}

TEST_F(PhysicCallback, ContactGivesBothSidesTheirEvents)
{
    world->contacts.push_back(Contact(a, b, 3));
    world->missingContacts = 1;
    world->GetCallback()->OnSubStep(1.0f / 60.0f, false);
    EXPECT_EQ(TakePrinted(), (std::vector<std::string>{"A touches true 3 3 2 3 true", "B touches true 3 3 2 3 true",
                                                        "A hits true", "B hits true"}));
}

TEST_F(PhysicCallback, DisabledItemHearsNoCollision)
{
    b->SetEnabledField(false);
    world->contacts.push_back(Contact(a, b, 3));
    world->GetCallback()->OnSubStep(1.0f / 60.0f, false);
    const std::string all = log;
    const std::vector<std::string> printed = TakePrinted();
    ASSERT_EQ(printed.size(), 2u) << all;
    EXPECT_EQ(printed[1], "A hits true");
}

TEST_F(PhysicCallback, BodyWithoutManagedOwnerIsSkipped)
{
    StubPhysicItem stray(world);
    nPhysicContact contact = Contact(a, b, 1);
    contact.itemB = &stray;
    world->contacts.push_back(contact);
    world->GetCallback()->OnSubStep(1.0f / 60.0f, false);
    EXPECT_TRUE(TakePrinted().empty());
}

namespace
{
// A machine that only counts the script objects asked of it.
class CountingVM : public nScriptVM
{
public:
    CountingVM() : nScriptVM(nullptr) {}
    const char* GetName() const override { return "counting"; }
    nScriptObject* GetObject(const char*, nScriptObject*) override { return nullptr; }
    bool RunFile(const nString&, bool) override { return false; }
    nScriptObject* NewTable() override
    {
        ++objectsMade;
        return nullptr;
    }
    bool SetSlot(const char*, const nScriptValue&, nScriptObject*) override { return false; }
    bool GetSlot(const char*, nScriptValue&, nScriptObject*) override { return false; }
    nScriptObject* NewArray() override
    {
        ++objectsMade;
        return nullptr;
    }
    bool ArrayAppend(const nScriptValue&, nScriptObject*) override { return false; }
    bool BeginCall(const char*, nScriptObject*, nScriptObject*) override { return false; }
    bool PushArgument(const nScriptValue&) override { return false; }
    bool EndCall(nScriptValue*) override { return false; }
    uint32_t InvalidateNativeObject(const void*) override { return 0; }
    bool IsOpen() const override { return true; }
    bool Open() override { return true; }
    void Close() override {}

    int objectsMade = 0;
};
} // namespace

TEST(PhysicCallbackWithoutScripts, BuildsNoContactTable)
{
    CountingVM machine;
    nScene* scene = new nScene(nullptr, &machine);
    scene->AddRef();
    auto* world = new StubPhysicWorld();
    scene->SetPhysicWorld(world);
    nMObject* a = scene->NewObject("A");
    nMObject* b = scene->NewObject("B");
    nPhysicContact contact;
    contact.itemA = a->GetPhysicItem();
    contact.itemB = b->GetPhysicItem();
    contact.pointCount = 2;
    world->contacts.push_back(contact);
    world->GetCallback()->OnSubStep(1.0f / 60.0f, false);
    EXPECT_EQ(machine.objectsMade, 0);
    scene->Release();
}
