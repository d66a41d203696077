#include "ScriptClassFixture.h"

#include "core/nml/nMetaTag.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"
#include "script/nSquirrelObject.h"
#include "script/units/nItemEventHandler.h"
#include "script/units/nManagerScriptUnit.h"
#include "script/units/nSceneEventHandler.h"
#include "script/units/nSceneScriptUnit.h"
#include "script/units/nScriptedObject.h"

#include <algorithm>
#include <memory>

namespace
{
class TestItem : public nScriptedObject
{
public:
    explicit TestItem(nScriptVM* vm) : m_vm(vm) {}
    nScriptUnit* CreateScriptUnit() override
    {
        nScriptUnit* unit = new nManagerScriptUnit(m_vm);
        unit->SetOwner(this, ObjectTypeItem);
        return AppendScriptUnit(unit, "test");
    }

private:
    nScriptVM* m_vm;
};

class TestScene : public nScriptedObject
{
public:
    explicit TestScene(nScriptVM* vm) : m_vm(vm) {}
    nScriptUnit* CreateScriptUnit() override
    {
        nScriptUnit* unit = new nSceneScriptUnit(m_vm);
        unit->SetOwner(this, ObjectTypeScene);
        return AppendScriptUnit(unit, "test");
    }

private:
    nScriptVM* m_vm;
};

std::unique_ptr<nMetaTag> ParameterList(const char* name, const nMetaTagValue& value)
{
    auto unit = std::make_unique<nMetaTag>("ScriptUnit");
    nMetaTag* entry = unit->AddChild("ParmList")->AddChild("Parm");
    entry->AddChildString("Id", name);
    nMetaTag* valueTag = entry->AddChild("Value");
    valueTag->GetValue() = value;
    return unit;
}

class ScriptUnitTest : public ScriptClassFixture
{
protected:
    // A unit of the item bound to the file and class.
    nScriptUnit* AddUnit(nScriptedObject& owner, const char* file, const char* className)
    {
        nScriptUnit* unit = owner.CreateScriptUnit();
        unit->SetScript(nString((std::string("@scripts/") + file).c_str()));
        unit->SetClassName(nString(className));
        return unit;
    }

    bool HasLine(const std::string& line) const
    {
        return std::find(log.lines.begin(), log.lines.end(), line) != log.lines.end();
    }
};

TEST_F(ScriptUnitTest, ParametersAreReadByTypeAndAppendedOnEveryParse)
{
    nScriptUnit unit(&machine);
    nMetaTagValue integer;
    integer.SetInt(2);
    const auto tag = ParameterList("speed", integer);
    ASSERT_TRUE(unit.Parse(tag.get()));
    ASSERT_EQ(unit.GetParameters().GetCount(), 1u);
    EXPECT_EQ(unit.GetParameters().GetHead()->value->GetType(), TagTypeInteger);
    ASSERT_TRUE(unit.Parse(tag.get()));
    EXPECT_EQ(unit.GetParameters().GetCount(), 2u);

    nMetaTagValue binary;
    binary.SetBinary("ab", 2);
    EXPECT_TRUE(unit.Parse(ParameterList("speed", binary).get()));
    EXPECT_EQ(unit.GetParameters().GetCount(), 2u);
    EXPECT_TRUE(HasLine("[*] parameter 'speed' type is invalid.\n"));

    nMetaTag foo("Foo");
    EXPECT_FALSE(unit.Parse(&foo));
    EXPECT_TRUE(HasLine("[!] Could not parse script unit. Root tag id is incorrect (Foo).\n"));
}

TEST_F(ScriptUnitTest, SerializeWritesOnlyWhatTheUnitHolds)
{
    nScriptUnit unit(&machine);
    EXPECT_EQ(unit.Serialize(), nullptr);
    nMetaTagValue text;
    text.SetString("fast");
    unit.Parse(ParameterList("mode", text).get());
    std::unique_ptr<nMetaTag> written(unit.Serialize());
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(written->GetTag("Script"), nullptr);
    EXPECT_EQ(written->GetTag("Class"), nullptr);
    nScriptUnit reread(&machine);
    ASSERT_TRUE(reread.Parse(written.get()));
    nString value;
    reread.GetParameters().GetHead()->value->GetString(value);
    EXPECT_TRUE(value == "fast");
}

TEST_F(ScriptUnitTest, ScriptedObjectParseReplacesItsUnits)
{
    TestItem item(&machine);
    item.CreateScriptUnit();
    item.CreateScriptUnit();
    EXPECT_NE(std::unique_ptr<nMetaTag>(item.Serialize()), nullptr);
    nMetaTag tag("ScriptedObject");
    tag.AddChild("ScriptUnit")->AddChildString("Script", "@scripts/a.nut");
    tag.AddChild("Other");
    ASSERT_TRUE(item.Parse(&tag));
    EXPECT_EQ(item.GetScriptUnits().GetCount(), 1u);
    EXPECT_TRUE(HasLine("[*] Unknown tag 'Other' in <ScriptedObject>.\n"));
    item.DeleteScriptUnits();
    EXPECT_EQ(item.Serialize(), nullptr);
}

TEST_F(ScriptUnitTest, InstantiationSetsParametersAndReportsBadClasses)
{
    WriteScript("spin.nut", "class Spin { speed = 0.0; function Get() { return speed; } }\nfunction A() { return 5; }\n");
    TestItem item(&machine);
    nScriptUnit* unit = AddUnit(item, "spin.nut", "Spin");
    nVariant speed("speed", 0.0f);
    speed.SetFloat(2.5f);
    unit->AddParameter(speed);
    unit->AddParameter(nVariant("missing", 1));
    ASSERT_TRUE(unit->Instantiate());
    nScriptValue read;
    ASSERT_TRUE(machine.GetSlot("speed", read, unit->GetInstance()));
    float number = 0.0f;
    read.GetValue().GetFloat(number);
    EXPECT_EQ(number, 2.5f);

    nScriptUnit* missing = AddUnit(item, "none.nut", "Spin");
    EXPECT_FALSE(missing->Instantiate());
    EXPECT_TRUE(listener.errors.empty());

    nScriptUnit* function = AddUnit(item, "spin.nut", "A");
    EXPECT_FALSE(function->Instantiate());
    EXPECT_EQ(listener.errors, std::vector<std::string>{"Function call to 'A' failed."});
    EXPECT_EQ(machine.GetState(), ScriptVMHostError);
}

// The unit stays without an instance, and says why once; a machine that refuses calls because a
// script error stopped it is not a missing class.
TEST_F(ScriptUnitTest, AClassTheFileDoesNotDeclareIsReportedOncePerUnit)
{
    WriteScript("other.nut", "class Other { }\n");
    TestItem item(&machine);
    TestScene scene(&machine);
    nScriptUnit* itemUnit = AddUnit(item, "other.nut", "Missing");
    nScriptUnit* sceneUnit = AddUnit(scene, "other.nut", "Missing");
    nScriptUnit* present = AddUnit(item, "other.nut", "Other");
    for (int attempt = 0; attempt < 3; ++attempt)
    {
        EXPECT_FALSE(itemUnit->Instantiate());
        EXPECT_FALSE(sceneUnit->Instantiate());
        EXPECT_TRUE(present->Instantiate());
    }
    const std::string line = "[*] Script class 'Missing' not found in '@scripts/other.nut'.\n";
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), line), 2);
    EXPECT_TRUE(listener.errors.empty());

    itemUnit->SetClassName(nString("Gone"));
    EXPECT_FALSE(itemUnit->Instantiate());
    EXPECT_TRUE(HasLine("[*] Script class 'Gone' not found in '@scripts/other.nut'.\n"));

    machine.RaiseError("stopped");
    const size_t lines = log.lines.size();
    nScriptUnit* refused = AddUnit(item, "other.nut", "Other");
    EXPECT_FALSE(refused->Instantiate());
    nScriptUnit* stillMissing = AddUnit(item, "other.nut", "Elsewhere");
    EXPECT_FALSE(stillMissing->Instantiate());
    EXPECT_EQ(log.lines.size(), lines);
}

TEST_F(ScriptUnitTest, ReinstantiationRunsTheFileAgain)
{
    WriteScript("count.nut", "if (!(\"runs\" in getroottable())) ::runs <- 0; ::runs++; class C { }\n");
    TestItem item(&machine);
    nScriptUnit* unit = AddUnit(item, "count.nut", "C");
    ASSERT_TRUE(unit->Instantiate());
    ASSERT_TRUE(unit->Instantiate());
    Run("print(runs);");
    EXPECT_EQ(ScriptLines().back(), "[S] 2\n");
}

const char* const RecorderScript = R"(
if (!("events" in getroottable())) ::events <- [];
function Note(name, owner, ...) {
    local text = name + ":" + typeof owner + ":" + HandleType(owner);
    foreach (value in vargv) {
        if (typeof value == "table") text += ":count=" + value.count + "," + value.p.len() + "," + typeof value.n[2];
        else if (typeof value == "CObject") text += ":CObject" + HandleType(value);
        else text += ":" + value;
    }
    events.append(text);
}
class Recorder {
    tag = "";
    function OnSetup(o) { Note("OnSetup" + tag, o); }
    function OnSetupDone(o) { Note("OnSetupDone", o); }
    function OnPreSetup(o) { Note("OnPreSetup", o); }
    function OnReset(o) { Note("OnReset", o); }
    function OnActivate(o, b) { Note("OnActivate", o, b); }
    function OnPhysicStep(o, b) { Note("OnPhysicStep", o, b); }
    function OnPhysicSleepStep(o) { Note("OnPhysicSleepStep", o); }
    function OnItemEnter(o, i) { Note("OnItemEnter", o, i); }
    function OnItemExit(o, i) { Note("OnItemExit", o, i); }
    function OnEnterTrigger(o, t) { Note("OnEnterTrigger", o, t); }
    function OnTrigger(o, t) { Note("OnTrigger", o, t); }
    function OnExitTrigger(o, t) { Note("OnExitTrigger", o, t); }
    function OnUpdate(o) { Note("OnUpdate", o); return false; }
    function OnLogicUpdate(o, s) { Note("OnLogicUpdate", o, s); }
    function OnDelete(o) { Note("OnDelete", o); }
    function OnRenderDone(o) { Note("OnRenderDone", o); }
    function OnRenderUI(o) { Note("OnRenderUI", o); }
    function OnCollisionEx(o, i, c, b) { Note("OnCollisionEx", o, i, c, b); }
    function OnCollision(o, i) { Note("OnCollision", o, i); }
}
)";

SQInteger HandleType(HSQUIRRELVM vm)
{
    int32_t type = -1;
    if (!GetCObjectType(vm, 2, type))
        return SQ_ERROR;
    sq_pushinteger(vm, type);
    return 1;
}

class ScriptEventTest : public ScriptUnitTest
{
protected:
    void SetUp() override
    {
        ScriptUnitTest::SetUp();
        WriteScript("recorder.nut", RecorderScript);
        RegisterNative(machine.GetHandle(), HandleType, "HandleType", ".x");
    }

    std::vector<std::string> Events()
    {
        log.lines.clear();
        Run("foreach (e in events) print(e); events.clear();", "dump.nut");
        std::vector<std::string> events;
        for (const std::string& line : ScriptLines())
            events.push_back(line.substr(4, line.size() - 5));
        return events;
    }
};

TEST_F(ScriptEventTest, EveryItemEventReachesItsMethodWithItsArguments)
{
    TestItem item(&machine);
    AddUnit(item, "recorder.nut", "Recorder");
    AddUnit(item, "recorder.nut", "Recorder");
    int other = 0;
    nItemEventHandler& handler = nItemEventHandler::Get();
    handler.OnSetup(&item);
    handler.OnSetup(&item);
    EXPECT_EQ(Events(), (std::vector<std::string>{"OnSetup:CObject:24", "OnSetup:CObject:24"}));

    nScriptObject* contacts = machine.NewTable();
    Run("function MakeContacts(t) { t.count <- 3; t.p <- [Vector(), Vector(), Vector()]; t.n <- [Vector(), Vector(), Vector()]; }");
    ASSERT_TRUE(machine.BeginCall("MakeContacts", nullptr, nullptr));
    machine.PushArgument(nScriptValue(contacts, false));
    ASSERT_TRUE(machine.EndCall(nullptr));

    item.GetScriptUnits().GetTail()->value->Instantiate();
    handler.OnSetupDone(&item);
    handler.OnReset(&item);
    handler.OnActivate(&item, true);
    handler.OnPhysicStep(&item, true);
    handler.OnPhysicSleepStep(&item);
    handler.OnItemEnter(&item, &other);
    handler.OnItemExit(&item, &other);
    handler.OnEnterTrigger(&item, &other);
    handler.OnTrigger(&item, &other);
    handler.OnExitTrigger(&item, &other);
    handler.OnUpdate(&item);
    handler.OnLogicUpdate(&item, 0.5f);
    handler.OnDelete(&item);
    handler.OnRenderDone(&item);
    handler.OnCollisionEx(&item, &other, nullptr, contacts);
    handler.OnCollision(&item, &other, nullptr);

    delete contacts;
    const std::vector<std::string> once = {
        "OnSetupDone:CObject:24",   "OnReset:CObject:24",        "OnActivate:CObject:24:true",
        "OnPhysicStep:CObject:24:true", "OnPhysicSleepStep:CObject:24", "OnItemEnter:CObject:24:CObject24",
        "OnItemExit:CObject:24:CObject24", "OnEnterTrigger:CObject:24:CObject24", "OnTrigger:CObject:24:CObject24",
        "OnExitTrigger:CObject:24:CObject24", "OnUpdate:CObject:24",   "OnLogicUpdate:CObject:24:0.5",
        "OnDelete:CObject:24",      "OnRenderDone:CObject:24",
        "OnCollisionEx:CObject:24:CObject24:count=3,3,Vector:true", "OnCollision:CObject:24:CObject24"};
    std::vector<std::string> twice;
    for (const std::string& event : once)
    {
        twice.push_back(event);
        twice.push_back(event);
    }
    EXPECT_EQ(Events(), twice);
    EXPECT_TRUE(listener.runtimeErrors.empty());
}
} // namespace

namespace
{
TEST_F(ScriptEventTest, SuspendedSceneUnitsCountTheFrameStepDown)
{
    WriteScript("scene.nut", "class S { frames = 0; function OnUpdate(o) { ::updates.append(frames); } }\n::updates <- [];\n");
    TestScene scene(&machine);
    nSceneScriptUnit* unit = static_cast<nSceneScriptUnit*>(AddUnit(scene, "scene.nut", "S"));
    nSceneEventHandler& handler = nSceneEventHandler::Get();
    handler.OnPreSetup(&scene);
    handler.OnSetup(&scene);
    unit->SuspendUpdate(5000);
    for (int frame = 1; frame <= 32; ++frame)
    {
        Run("print(updates.len());", "count.nut");
        EXPECT_EQ(ScriptLines().back(), "[S] 0\n") << frame;
        handler.OnUpdate(&scene, 166);
    }
    Run("print(updates.len());", "count.nut");
    EXPECT_EQ(ScriptLines().back(), "[S] 1\n");
    unit->SuspendUpdate(1);
    handler.OnUpdate(&scene, 0);
    handler.OnUpdate(&scene, 0);
    Run("print(updates.len());", "count.nut");
    EXPECT_EQ(ScriptLines().back(), "[S] 1\n");
}

TEST_F(ScriptEventTest, AScriptErrorStopsEveryLaterEvent)
{
    WriteScript("bad.nut", "::calls <- 0; class B { function OnReset(o) { ++::calls; throw \"stop\"; } }\n");
    TestItem item(&machine);
    AddUnit(item, "bad.nut", "B");
    AddUnit(item, "bad.nut", "B");
    nItemEventHandler::Get().OnSetup(&item);
    nItemEventHandler::Get().OnReset(&item);
    nItemEventHandler::Get().OnReset(&item);
    nScriptValue calls;
    ASSERT_TRUE(machine.GetSlot("calls", calls, nullptr));
    int32_t count = 0;
    calls.GetValue().GetInt(count);
    EXPECT_EQ(count, 1);
}

// Deletes the units, or the whole item, of the item whose event is running.
nScriptedObject* victim = nullptr;
bool deleteOwner = false;

SQInteger DropUnits(HSQUIRRELVM)
{
    if (deleteOwner)
        delete victim;
    else
        victim->DeleteScriptUnits();
    return 0;
}

TEST_F(ScriptEventTest, UnitsDeletedDuringAnEventDoNotBreakTheDispatch)
{
    WriteScript("drop.nut", "::seen <- 0; class D { function OnReset(o) { ++::seen; DropUnits(); } function OnUpdate(o) { DropUnits(); } }\n");
    RegisterNative(machine.GetHandle(), DropUnits, "DropUnits", ".");
    for (bool owner : {false, true})
    {
        deleteOwner = owner;
        TestItem* item = new TestItem(&machine);
        victim = item;
        AddUnit(*item, "drop.nut", "D");
        AddUnit(*item, "drop.nut", "D");
        nItemEventHandler::Get().OnSetup(item);
        nItemEventHandler::Get().OnReset(item);
        if (!owner)
        {
            EXPECT_TRUE(item->GetScriptUnits().IsEmpty());
            delete item;
        }
    }
    EXPECT_TRUE(listener.runtimeErrors.empty());
}
} // namespace

namespace
{
TEST_F(ScriptEventTest, EverySceneEventReachesItsMethodWithTheSceneFirst)
{
    TestScene scene(&machine);
    AddUnit(scene, "recorder.nut", "Recorder");
    AddUnit(scene, "recorder.nut", "Recorder");
    nSceneEventHandler& handler = nSceneEventHandler::Get();
    handler.OnPreSetup(&scene);
    handler.OnSetup(&scene);
    handler.OnPreSetup(&scene);
    handler.OnSetupDone(&scene);
    handler.OnReset(&scene);
    handler.OnRenderDone(&scene);
    handler.OnRenderUI(&scene);
    handler.OnPhysicStep(&scene, true);
    handler.OnUpdate(&scene, 166);
    handler.OnDelete(&scene);
    const std::vector<std::string> once = {"OnSetup:CObject:9",     "OnPreSetup:CObject:9",   "OnSetupDone:CObject:9",
                                           "OnReset:CObject:9",     "OnRenderDone:CObject:9", "OnRenderUI:CObject:9",
                                           "OnPhysicStep:CObject:9:true", "OnUpdate:CObject:9", "OnDelete:CObject:9"};
    std::vector<std::string> twice;
    for (const std::string& event : once)
    {
        twice.push_back(event);
        twice.push_back(event);
    }
    EXPECT_EQ(Events(), twice);
}

// What the handle class's constructor does to a handle that already holds a record.
SQInteger Empty(HSQUIRRELVM vm)
{
    return ResetCObject(vm, 2, nullptr, ObjectTypeUndefined) ? 0 : SQ_ERROR;
}

// Events reuse the owner handles that no script kept, so each case checks that a script never
// sees that: a kept handle goes on naming its own owner, a weakly referenced one still dies with
// its call, and one emptied as its constructor does is whole again in the next call.
TEST_F(ScriptEventTest, OwnerHandlesStayNewToTheScripts)
{
    RegisterNative(machine.GetHandle(), Empty, "Empty", ".x");
    WriteScript("keeper.nut", R"(
::kept <- [];
::weak <- null;
::calls <- 0;
class Keeper {
    function OnUpdate(o) {
        ++::calls;
        if (calls == 1) kept.append(o);
        if (calls == 3) ::weak = o.weakref();
        if (calls == 5) print("weak gone " + (weak == null));
        if (calls == 6) Empty(o);
        if (calls == 8) print("whole again " + HandleType(o));
    }
}
)");
    TestScene scene(&machine);
    TestItem item(&machine);
    AddUnit(scene, "keeper.nut", "Keeper");
    AddUnit(item, "keeper.nut", "Keeper");
    nSceneEventHandler::Get().OnSetup(&scene);
    nItemEventHandler::Get().OnSetup(&item);
    for (int frame = 0; frame < 4; ++frame)
    {
        nSceneEventHandler::Get().OnUpdate(&scene, 1);
        nItemEventHandler::Get().OnUpdate(&item);
    }
    Run("print(\"kept \" + HandleType(kept[0]));");
    EXPECT_TRUE(listener.runtimeErrors.empty());
    EXPECT_EQ(ScriptLines(),
              (std::vector<std::string>{"[S] weak gone true\n", "[S] whole again 24\n", "[S] kept 9\n"}));
}

// The file is compiled once per text: an edit is compiled again, and a text that failed is tried
// again rather than remembered (meanwhile the class of the last good text goes on serving).
TEST_F(ScriptEventTest, AnEditedUnitFileIsCompiledAgain)
{
    TestItem item(&machine);
    nScriptUnit* unit = AddUnit(item, "edited.nut", "C");
    for (const char* text : {"class C { function OnUpdate(o) { print(\"one\"); } }", "class C {", "class C {",
                             "class C { function OnUpdate(o) { print(\"two\"); } }"})
    {
        WriteScript("edited.nut", text);
        unit->Instantiate();
        nItemEventHandler::Get().OnUpdate(&item);
    }
    EXPECT_EQ(ScriptLines(), (std::vector<std::string>{"[S] one\n", "[S] one\n", "[S] one\n", "[S] two\n"}));
    EXPECT_EQ(listener.compileErrors.size(), 2u);
}

TEST_F(ScriptEventTest, TheOwnerKnowsWhichMethodsItsUnitsCache)
{
    WriteScript("plain.nut", "class Plain { function OnUpdate(o) {} }\n");
    TestItem item(&machine);
    nScriptUnit* recorder = AddUnit(item, "recorder.nut", "Recorder");
    nScriptUnit* plain = AddUnit(item, "plain.nut", "Plain");
    EXPECT_FALSE(item.HasCachedMethod(ItemMethodUpdate));
    nItemEventHandler::Get().OnSetup(&item);
    EXPECT_TRUE(item.HasCachedMethod(ItemMethodRenderDone));
    recorder->ReleaseInstance();
    EXPECT_FALSE(item.HasCachedMethod(ItemMethodRenderDone));
    EXPECT_TRUE(item.HasCachedMethod(ItemMethodUpdate)) << "the other unit still has it";
    plain->ReleaseInstance();
    EXPECT_FALSE(item.HasCachedMethod(ItemMethodUpdate));
    recorder->Instantiate();
    item.DeleteScriptUnits();
    EXPECT_FALSE(item.HasCachedMethod(ItemMethodRenderDone));
}
} // namespace
