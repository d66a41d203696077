#include "ScriptVMFixture.h"

#include "script/nObjectType.h"
#include "script/nScriptValue.h"
#include "script/nSquirrelObject.h"

#include <memory>

using SquirrelVMSlotTest = ScriptVMFixture;

namespace
{
int32_t IntOf(const nScriptValue& value)
{
    int32_t number = -1;
    EXPECT_TRUE(value.GetValue().GetInt(number));
    return number;
}

std::string TextOf(const nScriptValue& value)
{
    nString text;
    EXPECT_TRUE(value.GetValue().GetString(text));
    return text.GetText() ? text.GetText() : "";
}
} // namespace

TEST_F(SquirrelVMSlotTest, RootSlotsRoundTripEveryPlainKind)
{
    ASSERT_TRUE(machine.SetSlot("g_int", nScriptValue(int32_t{-7}), nullptr));
    ASSERT_TRUE(machine.SetSlot("g_float", nScriptValue(0.25f), nullptr));
    ASSERT_TRUE(machine.SetSlot("g_bool", nScriptValue(true), nullptr));
    ASSERT_TRUE(machine.SetSlot("g_text", nScriptValue("hello"), nullptr));
    ASSERT_TRUE(Run("print(typeof g_int + \" \" + g_int + \" \" + typeof g_float + \" \" + g_float + \" \" +"
                    " typeof g_bool + \" \" + g_text);"));
    EXPECT_EQ(ScriptLines(), std::vector<std::string>{"[S] integer -7 float 0.25 bool hello\n"});

    nScriptValue value;
    ASSERT_TRUE(machine.GetSlot("g_int", value, nullptr));
    EXPECT_EQ(value.GetKind(), ScriptValuePlain);
    EXPECT_EQ(IntOf(value), -7);
    ASSERT_TRUE(machine.GetSlot("g_float", value, nullptr));
    float real = 0.0f;
    EXPECT_TRUE(value.GetValue().GetFloat(real));
    EXPECT_EQ(real, 0.25f);
    ASSERT_TRUE(machine.GetSlot("g_bool", value, nullptr));
    bool flag = false;
    EXPECT_TRUE(value.GetValue().GetBool(flag));
    EXPECT_TRUE(flag);
    ASSERT_TRUE(machine.GetSlot("g_text", value, nullptr));
    EXPECT_EQ(TextOf(value), "hello");
    EXPECT_EQ(StackTop(), 0);
}

TEST_F(SquirrelVMSlotTest, SettingAnExistingRootSlotReplacesItsValue)
{
    ASSERT_TRUE(machine.SetSlot("g_dt_frame", nScriptValue(0.1f), nullptr));
    ASSERT_TRUE(machine.SetSlot("g_dt_frame", nScriptValue(int32_t{3}), nullptr));
    nScriptValue value;
    ASSERT_TRUE(machine.GetSlot("g_dt_frame", value, nullptr));
    EXPECT_EQ(IntOf(value), 3);
}

TEST_F(SquirrelVMSlotTest, MissingNamesAnswerFalseAndNull)
{
    nScriptValue value(int32_t{9});
    EXPECT_FALSE(machine.GetSlot("nothing", value, nullptr));
    EXPECT_EQ(IntOf(value), 9) << "the out value is left as it was";
    EXPECT_EQ(machine.GetObject("nothing", nullptr), nullptr);
    EXPECT_EQ(StackTop(), 0);
}

TEST_F(SquirrelVMSlotTest, InstanceSlotsWriteOnlyDeclaredMembers)
{
    ASSERT_TRUE(Run("class Unit { speed = 1; function Speed() { return speed; } }\nunit <- Unit();"));
    std::unique_ptr<nScriptObject> unit(machine.GetObject("unit", nullptr));
    ASSERT_NE(unit, nullptr);

    EXPECT_TRUE(machine.SetSlot("speed", nScriptValue(int32_t{5}), unit.get()));
    EXPECT_TRUE(machine.SetSlot("undeclared", nScriptValue(int32_t{6}), unit.get()));
    nScriptValue value;
    ASSERT_TRUE(machine.GetSlot("speed", value, unit.get()));
    EXPECT_EQ(IntOf(value), 5);
    EXPECT_FALSE(machine.GetSlot("undeclared", value, unit.get()));
    EXPECT_TRUE(machine.GetSlot("Speed", value, unit.get())) << "methods are found through the class";
    EXPECT_EQ(value.GetKind(), ScriptValueObject);
    EXPECT_TRUE(listener.runtimeErrors.empty());
    EXPECT_EQ(machine.GetState(), ScriptVMRunning);
    EXPECT_EQ(StackTop(), 0);
}

TEST_F(SquirrelVMSlotTest, TablesAndClassesGainNewSlots)
{
    ASSERT_TRUE(Run("class Unit {}"));
    std::unique_ptr<nScriptObject> table(machine.NewTable());
    std::unique_ptr<nScriptObject> unitClass(machine.GetObject("Unit", nullptr));
    ASSERT_TRUE(table && unitClass);
    EXPECT_TRUE(machine.SetSlot("name", nScriptValue("crate"), table.get()));
    EXPECT_TRUE(machine.SetSlot("mass", nScriptValue(2.5f), unitClass.get()));
    EXPECT_TRUE(machine.SetSlot("settings", nScriptValue(table.get(), false), nullptr));
    ASSERT_TRUE(Run("print(settings.name + \" \" + Unit().mass);"));
    EXPECT_EQ(ScriptLines(), std::vector<std::string>{"[S] crate 2.5\n"});
}

TEST_F(SquirrelVMSlotTest, TableResultOwnsANewHandleThatKeepsTheTableAlive)
{
    ASSERT_TRUE(Run("g_table <- { size = 3 };"));
    nScriptValue value;
    ASSERT_TRUE(machine.GetSlot("g_table", value, nullptr));
    ASSERT_EQ(value.GetKind(), ScriptValueObject);
    EXPECT_TRUE(value.OwnsObject());
    auto* held = static_cast<nSquirrelObject*>(value.GetScriptObject());
    HSQOBJECT table = held->GetHandle();
    EXPECT_EQ(sq_getrefcount(machine.GetHandle(), &table), 2u);

    ASSERT_TRUE(Run("g_table = null;"));
    EXPECT_EQ(sq_getrefcount(machine.GetHandle(), &table), 1u);
    nScriptValue size;
    EXPECT_TRUE(machine.GetSlot("size", size, value.GetScriptObject()));
    EXPECT_EQ(IntOf(size), 3);
    value.Reset();
    EXPECT_EQ(value.GetScriptObject(), nullptr);
}

TEST_F(SquirrelVMSlotTest, ArraysAppendEveryKindAndTheRootTableRefuses)
{
    std::unique_ptr<nScriptObject> array(machine.NewArray());
    std::unique_ptr<nScriptObject> table(machine.NewTable());
    ASSERT_TRUE(array);
    EXPECT_TRUE(machine.ArrayAppend(nScriptValue(int32_t{1}), array.get()));
    EXPECT_TRUE(machine.ArrayAppend(nScriptValue(1.5f), array.get()));
    EXPECT_TRUE(machine.ArrayAppend(nScriptValue(false), array.get()));
    EXPECT_TRUE(machine.ArrayAppend(nScriptValue("s"), array.get()));
    EXPECT_TRUE(machine.ArrayAppend(nScriptValue(table.get(), false), array.get()));
    EXPECT_TRUE(machine.ArrayAppend(nScriptValue(ObjectTypeItem, this), array.get()));
    EXPECT_FALSE(machine.ArrayAppend(nScriptValue(int32_t{1}), nullptr));
    EXPECT_FALSE(machine.ArrayAppend(nScriptValue(int32_t{1}), table.get()));
    EXPECT_FALSE(machine.ArrayAppend(nScriptValue(), array.get()));
    ASSERT_TRUE(machine.SetSlot("list", nScriptValue(array.get(), false), nullptr));
    ASSERT_TRUE(Run("local names = []; foreach (v in list) names.append(typeof v);"
                    " print(names.len() + \" \" + names[5] + \" \" + (list[5] instanceof CObject));"));
    EXPECT_EQ(ScriptLines(), std::vector<std::string>{"[S] 6 CObject true\n"});
    EXPECT_EQ(StackTop(), 0);
}

TEST_F(SquirrelVMSlotTest, ValuesWithoutScriptFormAreRefused)
{
    nVariant binary(nullptr, int32_t{0});
    const uint8_t bytes[] = {1, 2};
    binary.SetBinary(bytes, 2);
    EXPECT_FALSE(machine.SetSlot("empty", nScriptValue(), nullptr));
    EXPECT_FALSE(machine.SetSlot("binary", nScriptValue(binary), nullptr));
    nScriptValue value;
    EXPECT_FALSE(machine.GetSlot("empty", value, nullptr));
    EXPECT_FALSE(machine.GetSlot("binary", value, nullptr));
    EXPECT_EQ(StackTop(), 0);
}

TEST_F(SquirrelVMSlotTest, HandlesOfAnotherMachineAreRefused)
{
    nSquirrelVM other(nullptr);
    ASSERT_TRUE(other.Open());
    std::unique_ptr<nScriptObject> foreign(other.NewTable());
    EXPECT_FALSE(machine.SetSlot("x", nScriptValue(int32_t{1}), foreign.get()));
    EXPECT_FALSE(machine.SetSlot("x", nScriptValue(foreign.get(), false), nullptr));
    EXPECT_EQ(machine.GetObject("x", foreign.get()), nullptr);
    EXPECT_EQ(StackTop(), 0);
    foreign.reset();
    other.Close();
}

TEST_F(SquirrelVMSlotTest, ClosedMachineRefusesEverything)
{
    machine.Close();
    nScriptValue value;
    EXPECT_FALSE(machine.IsOpen());
    EXPECT_FALSE(machine.SetSlot("x", nScriptValue(int32_t{1}), nullptr));
    EXPECT_FALSE(machine.GetSlot("x", value, nullptr));
    EXPECT_EQ(machine.GetObject("x", nullptr), nullptr);
    EXPECT_EQ(machine.NewTable(), nullptr);
    EXPECT_EQ(machine.NewArray(), nullptr);
    EXPECT_FALSE(machine.ArrayAppend(nScriptValue(int32_t{1}), nullptr));
    EXPECT_FALSE(machine.BeginCall("x", nullptr, nullptr));
    EXPECT_FALSE(machine.PushArgument(nScriptValue(int32_t{1})));
    EXPECT_FALSE(machine.EndCall(nullptr));
    EXPECT_EQ(machine.InvalidateNativeObject(this), 0u);
}
