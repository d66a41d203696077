#include "ScriptVMFixture.h"

namespace
{
nSquirrelVM* stackMachine = nullptr;
nString dumped;
std::vector<std::string> frames;

SQInteger DumpStack(HSQUIRRELVM vm)
{
    const SQChar* reason = nullptr;
    if (sq_gettop(vm) >= 2)
        sq_getstring(vm, 2, &reason);
    nSquirrelVM::PrintCallStack(vm, reason, &dumped);
    nList<nScriptCallStackRecord> records;
    stackMachine->GetCallStack(records);
    frames.clear();
    for (auto* node = records.GetHead(); node; node = node->next)
        frames.push_back(std::string(node->value.function.GetText()) + " " +
                         (node->value.source.GetText() ? node->value.source.GetText() : "") + " " +
                         std::to_string(node->value.line));
    return 0;
}
} // namespace

class SquirrelVMCallStackTest : public ScriptVMFixture
{
protected:
    void SetUp() override
    {
        ScriptVMFixture::SetUp();
        stackMachine = &machine;
        HSQUIRRELVM vm = machine.GetHandle();
        sq_pushroottable(vm);
        sq_pushstring(vm, "DumpStack", -1);
        sq_newclosure(vm, DumpStack, 0);
        sq_setnativeclosurename(vm, -1, "DumpStack");
        sq_newslot(vm, -3, SQFalse);
        sq_pop(vm, 1);
    }
};

TEST_F(SquirrelVMCallStackTest, DumpListsTheScriptFramesFromLevelOne)
{
    machine.SetListener(&listener, true);
    ASSERT_TRUE(
        Run("function Inner() {\n  DumpStack(\"Binding error: x\");\n}\nfunction Outer() {\n  Inner();\n}\n"
            "Outer();\n",
            "stack.nut"));
    const std::vector<std::string> expected = {
        "[|] \n",
        "[|] Call stack (Binding error: x):\n",
        "[|]   1: Inner() @scripts/stack.nut(2)\n",
        "[|]   2: Outer() @scripts/stack.nut(5)\n",
        "[|]   3: main() @scripts/stack.nut(7)\n",
        "[|] \n",
    };
    EXPECT_EQ(log.lines, expected);
    EXPECT_STREQ(dumped.GetText(), "Call stack (Binding error: x):\n"
                                   "  1: Inner() @scripts/stack.nut(2)"
                                   "  2: Outer() @scripts/stack.nut(5)"
                                   "  3: main() @scripts/stack.nut(7)");
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0], "DumpStack NATIVE -1");
    EXPECT_EQ(frames[1], "Inner @scripts/stack.nut 2");
}

TEST_F(SquirrelVMCallStackTest, DumpWithoutReasonSaysRequestedAndNamesNativeFrames)
{
    ASSERT_TRUE(Run("function Each() { [1].apply(function(x) { DumpStack(); return x; }); }\nEach();\n"));
    ASSERT_GE(log.lines.size(), 4u);
    EXPECT_EQ(log.lines[1], "[|] Call stack (Requested):\n");
    bool nativeLine = false;
    for (const std::string& line : log.lines)
        nativeLine = nativeLine || line == "[|]   2: apply() C/C++\n";
    EXPECT_TRUE(nativeLine);
}

TEST_F(SquirrelVMCallStackTest, CallStackOutsideAnyCallIsEmpty)
{
    nList<nScriptCallStackRecord> records;
    records.PushBack(nScriptCallStackRecord{});
    EXPECT_LT(machine.GetCallStack(records), 0);
    EXPECT_EQ(records.GetCount(), 0u);
}
