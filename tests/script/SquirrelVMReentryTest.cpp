#include "ScriptVMFixture.h"

#include "script/nScriptValue.h"

// Natives that call back into the machine that runs them: closing it, or nesting host calls
// until the runtime refuses to go deeper.

namespace
{
nSquirrelVM* reentered = nullptr;

SQInteger CloseMachine(HSQUIRRELVM)
{
    reentered->Close();
    return 0;
}

SQInteger CallDeeper(HSQUIRRELVM vm)
{
    SQInteger depth = 0;
    sq_getinteger(vm, 2, &depth);
    if (reentered->BeginCall("Deeper", nullptr, nullptr))
    {
        reentered->PushArgument(nScriptValue(int32_t(depth + 1)));
        reentered->EndCall(nullptr);
    }
    return 0;
}

void AddNative(HSQUIRRELVM vm, const char* name, SQFUNCTION function)
{
    sq_pushroottable(vm);
    sq_pushstring(vm, name, -1);
    sq_newclosure(vm, function, 0);
    sq_newslot(vm, -3, SQFalse);
    sq_pop(vm, 1);
}
} // namespace

class SquirrelVMReentryTest : public ScriptVMFixture
{
protected:
    void SetUp() override
    {
        ScriptVMFixture::SetUp();
        reentered = &machine;
        AddNative(machine.GetHandle(), "CloseMachine", CloseMachine);
        AddNative(machine.GetHandle(), "CallDeeper", CallDeeper);
    }
};

TEST_F(SquirrelVMReentryTest, CloseFromANativeWaitsForTheOutermostCall)
{
    ASSERT_TRUE(Run("function Inner() { CloseMachine(); local t = { big = array(1000, \"x\") }; print(t.big.len()); }\n"
                    "function Outer() { Inner(); print(\"still running\"); return 7; }"));
    ASSERT_TRUE(machine.BeginCall("Outer", nullptr, nullptr));
    nScriptValue result;
    EXPECT_TRUE(machine.EndCall(&result));
    EXPECT_EQ(ScriptLines(), (std::vector<std::string>{"[S] 1000\n", "[S] still running\n"}));
    EXPECT_FALSE(machine.IsOpen());
    EXPECT_EQ(machine.GetHandle(), nullptr);
    EXPECT_EQ(machine.GetState(), ScriptVMRunning);
    EXPECT_TRUE(machine.Open());
    EXPECT_TRUE(Run("print(\"reopened\");"));
}

TEST_F(SquirrelVMReentryTest, CloseFromAFileBeingRunClosesAfterIt)
{
    ASSERT_TRUE(Run("CloseMachine(); print(\"after close\"); local again = getroottable();"));
    EXPECT_EQ(ScriptLines(), std::vector<std::string>{"[S] after close\n"});
    EXPECT_FALSE(machine.IsOpen());
}

// Script, native, host call, script ... until the runtime's nesting limit: the error still
// reaches the listener once and stops the machine.
TEST_F(SquirrelVMReentryTest, ErrorAtTheNestingLimitStopsTheMachine)
{
    ASSERT_TRUE(Run("deepest <- 0;\n"
                    "function Deeper(depth) { ::deepest = depth; CallDeeper(depth); }"));
    ASSERT_TRUE(machine.BeginCall("Deeper", nullptr, nullptr));
    machine.PushArgument(nScriptValue(int32_t{0}));
    machine.EndCall(nullptr);
    EXPECT_EQ(listener.runtimeErrors, std::vector<std::string>{"stack overflow"});
    EXPECT_EQ(machine.GetState(), ScriptVMRuntimeError);
    EXPECT_EQ(StackTop(), 0);
    nScriptValue deepest;
    ASSERT_TRUE(machine.GetSlot("deepest", deepest, nullptr));
    int32_t depth = 0;
    EXPECT_TRUE(deepest.GetValue().GetInt(depth));
    EXPECT_GT(depth, 50);
}
