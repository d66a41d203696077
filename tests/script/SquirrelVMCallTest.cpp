#include "ScriptVMFixture.h"

#include "script/nCObject.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"
#include "script/nSquirrelObject.h"

#include <memory>

using SquirrelVMCallTest = ScriptVMFixture;

namespace
{
std::string Describe(const nScriptValue& value)
{
    const nVariant& plain = value.GetValue();
    switch (value.GetKind())
    {
    case ScriptValuePlain:
        switch (plain.GetType())
        {
        case TagTypeInteger:
        {
            int32_t number = 0;
            plain.GetInt(number);
            return "integer " + std::to_string(number);
        }
        case TagTypeReal:
        {
            float number = 0.0f;
            plain.GetFloat(number);
            return "float " + std::to_string(number);
        }
        case TagTypeBool:
        {
            bool flag = false;
            plain.GetBool(flag);
            return flag ? "bool true" : "bool false";
        }
        case TagTypeString:
        {
            nString text;
            plain.GetString(text);
            return std::string("string ") + (text.GetText() ? text.GetText() : "");
        }
        default:
            return "plain?";
        }
    case ScriptValueObject:
        return std::string("object ") + (value.OwnsObject() ? "owned" : "borrowed");
    case ScriptValueNative:
        return "native";
    default:
        return "none";
    }
}
} // namespace

TEST_F(SquirrelVMCallTest, ArgumentsOfEveryKindArriveAndResultsOfEveryKindReturn)
{
    ASSERT_TRUE(
        Run("function Echo(value) { print(typeof value + (value instanceof CObject ? \" handle\" : \"\"));"
            " return value; }\n"
            "function Count(...) { return vargv.len(); }"));
    std::unique_ptr<nScriptObject> table(machine.NewTable());
    struct Case
    {
        nScriptValue* argument;
        const char* scriptType;
        const char* result;
    };
    nScriptValue integer(int32_t{-3}), unsignedInteger(uint32_t{4000000000u}), real(1.5f), flag(true),
        text("word"), object(table.get(), false), native(int32_t{ObjectTypeScene}, this);
    const Case cases[] = {
        {&integer, "[S] integer\n", "integer -3"},
        {&unsignedInteger, "[S] integer\n", "integer -294967296"},
        {&real, "[S] float\n", "float 1.500000"},
        {&flag, "[S] bool\n", "bool true"},
        {&text, "[S] string\n", "string word"},
        {&object, "[S] table\n", "object owned"},
        {&native, "[S] CObject handle\n", "object owned"},
    };
    for (const Case& c : cases)
    {
        log.lines.clear();
        ASSERT_TRUE(machine.BeginCall("Echo", nullptr, nullptr));
        EXPECT_TRUE(machine.PushArgument(*c.argument));
        nScriptValue result;
        EXPECT_TRUE(machine.EndCall(&result));
        EXPECT_EQ(ScriptLines(), std::vector<std::string>{c.scriptType});
        EXPECT_EQ(Describe(result), c.result);
        EXPECT_EQ(StackTop(), 0);
    }

    ASSERT_TRUE(machine.BeginCall("Count", nullptr, nullptr));
    for (int i = 0; i < 5; ++i)
        machine.PushArgument(nScriptValue(int32_t{i}));
    nScriptValue count;
    ASSERT_TRUE(machine.EndCall(&count));
    EXPECT_EQ(Describe(count), "integer 5");
}

TEST_F(SquirrelVMCallTest, NullResultIsAnOwnedObjectValue)
{
    ASSERT_TRUE(Run("function Nothing() {}"));
    ASSERT_TRUE(machine.BeginCall("Nothing", nullptr, nullptr));
    nScriptValue result;
    ASSERT_TRUE(machine.EndCall(&result));
    ASSERT_EQ(result.GetKind(), ScriptValueObject);
    EXPECT_EQ(static_cast<nSquirrelObject*>(result.GetScriptObject())->GetHandle()._type, OT_NULL);
}

TEST_F(SquirrelVMCallTest, MethodsAreCalledOnTheirInstanceByNameAndThroughAHandle)
{
    ASSERT_TRUE(Run("class Unit { hits = 0; function OnUpdate(owner, dt) { hits += 1; return dt * 2; } }\n"
                    "unit <- Unit();"));
    std::unique_ptr<nScriptObject> unit(machine.GetObject("unit", nullptr));
    std::unique_ptr<nScriptObject> method(machine.GetObject("OnUpdate", unit.get()));
    ASSERT_TRUE(unit && method);

    ASSERT_TRUE(machine.BeginCall("OnUpdate", nullptr, unit.get()));
    machine.PushArgument(nScriptValue(int32_t{ObjectTypeItem}, this));
    machine.PushArgument(nScriptValue(0.5f));
    nScriptValue result;
    ASSERT_TRUE(machine.EndCall(&result));
    EXPECT_EQ(Describe(result), "float 1.000000");

    ASSERT_TRUE(machine.BeginCall(nullptr, method.get(), unit.get()));
    machine.PushArgument(nScriptValue(int32_t{ObjectTypeItem}, this));
    machine.PushArgument(nScriptValue(0.25f));
    ASSERT_TRUE(machine.EndCall(nullptr));

    nScriptValue hits;
    ASSERT_TRUE(machine.GetSlot("hits", hits, unit.get()));
    EXPECT_EQ(Describe(hits), "integer 2");
    EXPECT_EQ(StackTop(), 0);
}

TEST_F(SquirrelVMCallTest, MissingMethodIsRefusedWithoutTouchingTheStack)
{
    ASSERT_TRUE(Run("class Unit {}\nunit <- Unit();"));
    std::unique_ptr<nScriptObject> unit(machine.GetObject("unit", nullptr));
    EXPECT_FALSE(machine.BeginCall("OnUpdate", nullptr, unit.get()));
    EXPECT_FALSE(machine.BeginCall("Missing", nullptr, nullptr));
    EXPECT_FALSE(machine.BeginCall(nullptr, nullptr, nullptr));
    EXPECT_FALSE(machine.PushArgument(nScriptValue(int32_t{1})));
    EXPECT_FALSE(machine.EndCall(nullptr));
    EXPECT_EQ(StackTop(), 0);
    EXPECT_EQ(machine.GetState(), ScriptVMRunning);
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(SquirrelVMCallTest, FailedCallLeavesTheStackAsItWasAndTheOutValueUntouched)
{
    ASSERT_TRUE(Run("function Fail(a, b) { return a.missing; }"));
    const SQInteger top = StackTop();
    ASSERT_TRUE(machine.BeginCall("Fail", nullptr, nullptr));
    machine.PushArgument(nScriptValue(int32_t{1}));
    machine.PushArgument(nScriptValue("two"));
    nScriptValue out(int32_t{77});
    EXPECT_FALSE(machine.EndCall(&out));
    EXPECT_EQ(StackTop(), top);
    EXPECT_EQ(Describe(out), "integer 77");
    EXPECT_EQ(listener.runtimeErrors.size(), 1u);
    EXPECT_EQ(machine.GetState(), ScriptVMRuntimeError);
}

TEST_F(SquirrelVMCallTest, CallPreparedBeforeTheMachineStoppedIsDroppedByEndCall)
{
    ASSERT_TRUE(Run("function Ok(a) { print(\"ran\"); }"));
    ASSERT_TRUE(machine.BeginCall("Ok", nullptr, nullptr));
    machine.PushArgument(nScriptValue(int32_t{1}));
    machine.RaiseError("stopped");
    EXPECT_FALSE(machine.EndCall(nullptr));
    EXPECT_EQ(StackTop(), 0);
    EXPECT_TRUE(ScriptLines().empty());
}

TEST_F(SquirrelVMCallTest, WrongArgumentCountIsARuntimeError)
{
    ASSERT_TRUE(Run("function Two(a, b) { return a + b; }"));
    ASSERT_TRUE(machine.BeginCall("Two", nullptr, nullptr));
    machine.PushArgument(nScriptValue(int32_t{1}));
    EXPECT_FALSE(machine.EndCall(nullptr));
    EXPECT_EQ(listener.runtimeErrors.size(), 1u);
    EXPECT_EQ(StackTop(), 0);
}

TEST_F(SquirrelVMCallTest, ArgumentWithoutScriptFormArrivesAsNullInItsPlace)
{
    ASSERT_TRUE(Run("function Pair(a, b) { print(typeof a + \" \" + b); }"));
    ASSERT_TRUE(machine.BeginCall("Pair", nullptr, nullptr));
    EXPECT_FALSE(machine.PushArgument(nScriptValue()));
    EXPECT_TRUE(machine.PushArgument(nScriptValue(int32_t{2})));
    EXPECT_TRUE(machine.EndCall(nullptr));
    EXPECT_EQ(ScriptLines(), std::vector<std::string>{"[S] null 2\n"});
}

TEST_F(SquirrelVMCallTest, SecondBeginCallDropsTheUnfinishedFirst)
{
    ASSERT_TRUE(Run("function A(x) { print(\"A\"); } function B() { print(\"B\"); }"));
    ASSERT_TRUE(machine.BeginCall("A", nullptr, nullptr));
    machine.PushArgument(nScriptValue(int32_t{1}));
    ASSERT_TRUE(machine.BeginCall("B", nullptr, nullptr));
    EXPECT_TRUE(machine.EndCall(nullptr));
    EXPECT_EQ(ScriptLines(), std::vector<std::string>{"[S] B\n"});
    EXPECT_EQ(StackTop(), 0);
}

namespace
{
nSquirrelVM* nestedMachine = nullptr;

// A native that the script calls and that calls back into the script, as engine natives do.
SQInteger CallBack(HSQUIRRELVM)
{
    if (nestedMachine->BeginCall("Inner", nullptr, nullptr))
    {
        nestedMachine->PushArgument(nScriptValue(int32_t{5}));
        nestedMachine->EndCall(nullptr);
    }
    return 0;
}
} // namespace

TEST_F(SquirrelVMCallTest, HostCallsNestInsideScriptCalls)
{
    nestedMachine = &machine;
    HSQUIRRELVM vm = machine.GetHandle();
    sq_pushroottable(vm);
    sq_pushstring(vm, "CallBack", -1);
    sq_newclosure(vm, CallBack, 0);
    sq_newslot(vm, -3, SQFalse);
    sq_pop(vm, 1);
    ASSERT_TRUE(Run("function Inner(x) { print(\"inner \" + x); }\n"
                    "function Outer(y) { CallBack(); print(\"outer \" + y); return y; }"));
    ASSERT_TRUE(machine.BeginCall("Outer", nullptr, nullptr));
    machine.PushArgument(nScriptValue(int32_t{9}));
    nScriptValue result;
    ASSERT_TRUE(machine.EndCall(&result));
    EXPECT_EQ(Describe(result), "integer 9");
    EXPECT_EQ(ScriptLines(), (std::vector<std::string>{"[S] inner 5\n", "[S] outer 9\n"}));
    EXPECT_EQ(StackTop(), 0);
}

TEST_F(SquirrelVMCallTest, InvalidatingAnObjectKillsEveryHandleOnIt)
{
    int item = 0;
    int other = 0;
    ASSERT_TRUE(Run("held <- []; function Keep(h) { held.append(h); }"));
    for (void* object : {static_cast<void*>(&item), static_cast<void*>(&item), static_cast<void*>(&item),
                         static_cast<void*>(&other)})
    {
        ASSERT_TRUE(machine.BeginCall("Keep", nullptr, nullptr));
        machine.PushArgument(nScriptValue(int32_t{ObjectTypeItem}, object));
        ASSERT_TRUE(machine.EndCall(nullptr));
    }
    EXPECT_EQ(machine.InvalidateNativeObject(&item), 3u);
    EXPECT_EQ(machine.InvalidateNativeObject(&item), 0u);

    std::unique_ptr<nScriptObject> held(machine.GetObject("held", nullptr));
    SQUserPointer record = nullptr;
    HSQUIRRELVM vm = machine.GetHandle();
    sq_pushobject(vm, static_cast<nSquirrelObject*>(held.get())->GetHandle());
    sq_pushinteger(vm, 0);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(vm, -2)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getinstanceup(vm, -1, &record, nCObject::GetClassTag())));
    sq_pop(vm, 2);
    EXPECT_EQ(static_cast<nCObject*>(record)->GetType(), ObjectTypeDeletedNative);
    EXPECT_EQ(static_cast<nCObject*>(record)->GetObject(), nullptr);

    ASSERT_TRUE(Run("held.clear();"));
    EXPECT_EQ(nCObject::Invalidate(&other), 0u) << "dropping the handles destroyed their records";
}
