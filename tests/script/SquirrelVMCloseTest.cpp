#include "ScriptVMFixture.h"

#include "script/nCObject.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"
#include "script/nSquirrelObject.h"

#include <memory>

namespace
{
// What release hooks saw of the machine while it closed.
struct CloseProbe
{
    nSquirrelVM* machine = nullptr;
    int releases = 0;
    int refusedCalls = 0;
};

CloseProbe probe;

SQInteger ProbeRelease(SQUserPointer, SQInteger)
{
    ++probe.releases;
    nSquirrelVM& machine = *probe.machine;
    const bool refused = !machine.IsOpen() && !machine.BeginCall("Anything", nullptr, nullptr) &&
                         machine.GetObject("Anything", nullptr) == nullptr && machine.NewTable() == nullptr &&
                         !machine.SetSlot("x", nScriptValue(int32_t{1}), nullptr) &&
                         !machine.RunFile("@scripts/reopen.nut", false) && !machine.Open();
    if (refused)
        ++probe.refusedCalls;
    machine.Close();
    return 1;
}

SQInteger NewProbe(HSQUIRRELVM vm)
{
    sq_newclass(vm, SQFalse);
    sq_createinstance(vm, -1);
    sq_remove(vm, -2);
    sq_setreleasehook(vm, -1, ProbeRelease);
    return 1;
}
} // namespace

class SquirrelVMCloseTest : public ScriptVMFixture
{
protected:
    void SetUp() override
    {
        ScriptVMFixture::SetUp();
        probe = CloseProbe{&machine};
        HSQUIRRELVM vm = machine.GetHandle();
        sq_pushroottable(vm);
        sq_pushstring(vm, "NewProbe", -1);
        sq_newclosure(vm, NewProbe, 0);
        sq_newslot(vm, -3, SQFalse);
        sq_pop(vm, 1);
    }
};

TEST_F(SquirrelVMCloseTest, ObjectsHeldByTheHostAreReleasedOnceAndTheirHandlesDetach)
{
    int item = 0;
    ASSERT_TRUE(Run("class Unit { owner = null; probe = null; constructor() { probe = NewProbe(); } }\n"
                    "function Make(owner) { local u = Unit(); u.owner = owner; return u; }\n"
                    "kept <- NewProbe();\n"
                    "cycle <- {}; cycle.self <- cycle; cycle.probe <- NewProbe();"));
    ASSERT_TRUE(machine.BeginCall("Make", nullptr, nullptr));
    machine.PushArgument(nScriptValue(int32_t{ObjectTypeItem}, &item));
    nScriptValue unit;
    ASSERT_TRUE(machine.EndCall(&unit));
    std::unique_ptr<nScriptObject> table(machine.NewTable());
    std::unique_ptr<nScriptObject> kept(machine.GetObject("kept", nullptr));
    ASSERT_TRUE(machine.SetSlot("kept", nScriptValue(int32_t{0}), nullptr));

    machine.Close();
    EXPECT_FALSE(machine.IsOpen());
    EXPECT_EQ(machine.GetState(), ScriptVMRunning);
    EXPECT_EQ(probe.releases, 3);
    EXPECT_EQ(probe.refusedCalls, 3);
    EXPECT_EQ(nCObject::Invalidate(&item), 0u) << "the handle record went with its instance";

    auto* detached = static_cast<nSquirrelObject*>(kept.get());
    EXPECT_FALSE(detached->IsAttached());
    EXPECT_EQ(detached->GetHandle()._type, OT_NULL);
    EXPECT_FALSE(machine.SetSlot("x", nScriptValue(int32_t{1}), table.get()));

    ASSERT_TRUE(machine.Open());
    EXPECT_FALSE(machine.SetSlot("x", nScriptValue(int32_t{1}), kept.get())) << "old handles name nothing";
    kept.reset();
    table.reset();
    unit.Reset();
    EXPECT_EQ(probe.releases, 3);
}

TEST_F(SquirrelVMCloseTest, DestroyingAnOpenMachineClosesIt)
{
    auto other = std::make_unique<nSquirrelVM>(nullptr);
    probe.machine = other.get();
    ASSERT_TRUE(other->Open());
    HSQUIRRELVM vm = other->GetHandle();
    sq_pushroottable(vm);
    sq_pushstring(vm, "probe", -1);
    NewProbe(vm);
    sq_newslot(vm, -3, SQFalse);
    sq_pop(vm, 1);
    std::unique_ptr<nScriptObject> held(other->GetObject("probe", nullptr));
    other.reset();
    EXPECT_EQ(probe.releases, 1);
    EXPECT_FALSE(static_cast<nSquirrelObject*>(held.get())->IsAttached());
}

TEST_F(SquirrelVMCloseTest, ClosingTwiceAndReopeningIsHarmless)
{
    machine.Close();
    machine.Close();
    ASSERT_TRUE(machine.Open());
    ASSERT_TRUE(machine.Open());
    EXPECT_TRUE(Run("print(objectTypeScene);"));
    EXPECT_EQ(ScriptLines(), std::vector<std::string>{"[S] 9\n"});
}
