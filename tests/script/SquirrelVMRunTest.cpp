#include "ScriptVMFixture.h"

#include "script/nCObject.h"
#include "script/nScriptValue.h"

#include <algorithm>

using SquirrelVMRunTest = ScriptVMFixture;

TEST_F(SquirrelVMRunTest, OpenMachineHasTheLegacyTypeConstantsAndTheHandleClass)
{
    EXPECT_TRUE(machine.IsOpen());
    EXPECT_EQ(machine.GetState(), ScriptVMRunning);
    EXPECT_STREQ(machine.GetName(), "Squirrel 3.0");
    ASSERT_TRUE(Run("print(objectTypeUndefined + \",\" + objectTypeDeleted + \",\" + objectTypeItem + \",\" +"
                    " objectTypeGroup + \",\" + objectTypeAnimationSource);\n"
                    "print((\"objectTypeEmitter\" in getroottable()) + \",\" + typeof CObject);\n"));
    EXPECT_EQ(ScriptLines(), (std::vector<std::string>{"[S] 0,1,24,23,47\n", "[S] false,class\n"}));
}

// One probe per library: a library left out makes its probe fail and its line go missing.
TEST_F(SquirrelVMRunTest, TheFiveStandardLibrariesAreRegistered)
{
    ASSERT_TRUE(Run("print(typeof blob); print(typeof file); print(typeof getenv);"
                    " print(typeof sqrt); print(typeof format);"));
    EXPECT_EQ(ScriptLines(), (std::vector<std::string>{"[S] class\n", "[S] class\n", "[S] function\n",
                                                       "[S] function\n", "[S] function\n"}));
    EXPECT_TRUE(listener.runtimeErrors.empty());
    EXPECT_EQ(log.lines.size(), ScriptLines().size()) << "nothing but the probes is logged";
}

TEST_F(SquirrelVMRunTest, EachPrintIsOneScriptLogLine)
{
    ASSERT_TRUE(Run("print(\"one\"); print(\"two\\nlines %d %s\"); print(\"\");"));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"[S] one\n", "[S] two\nlines %d %s\n", "[S] \n"}));
}

TEST_F(SquirrelVMRunTest, PrintLongerThanTheFirstBufferIsWrittenWhole)
{
    for (int size : {1023, 1024, 1025, 3000})
    {
        log.lines.clear();
        ASSERT_TRUE(Run("local s = \"\"; for (local i = 0; i < " + std::to_string(size) +
                        "; ++i) s += \"x\"; print(s); print(\"after\");"));
        ASSERT_EQ(log.lines.size(), 2u) << size;
        EXPECT_EQ(log.lines[0], "[S] " + std::string(size, 'x') + "\n");
        EXPECT_EQ(log.lines[1], "[S] after\n");
    }
}

TEST_F(SquirrelVMRunTest, RunFileRunsWithTheRootTableAsThis)
{
    ASSERT_TRUE(
        Run("counter <- 41; function Bump() { ::counter += 1; } Bump(); print(this == getroottable());"));
    nScriptValue counter;
    ASSERT_TRUE(machine.GetSlot("counter", counter, nullptr));
    int32_t value = 0;
    EXPECT_TRUE(counter.GetValue().GetInt(value));
    EXPECT_EQ(value, 42);
    EXPECT_EQ(ScriptLines(), std::vector<std::string>{"[S] true\n"});
    EXPECT_EQ(StackTop(), 0);
}

TEST_F(SquirrelVMRunTest, RunFileOfAMissingFileAnswersFalseAndCallsNoHook)
{
    EXPECT_FALSE(machine.RunFile("@scripts/missing.nut", false));
    EXPECT_TRUE(listener.compileErrors.empty());
    EXPECT_TRUE(listener.runtimeErrors.empty());
    EXPECT_EQ(machine.GetState(), ScriptVMRunning);
}

TEST_F(SquirrelVMRunTest, SyntaxErrorIsReportedOnceAndRunsNothing)
{
    EXPECT_TRUE(Run("print(\"before\");\nran <- true;\nlocal x = ;\n", "broken.nut"));
    ASSERT_EQ(listener.compileErrors.size(), 1u);
    EXPECT_EQ(listener.compileErrors[0].rfind("@scripts/broken.nut:3 ", 0), 0u) << listener.compileErrors[0];
    EXPECT_TRUE(ScriptLines().empty());
    nScriptValue ran;
    EXPECT_FALSE(machine.GetSlot("ran", ran, nullptr));
    EXPECT_TRUE(listener.runtimeErrors.empty());
    EXPECT_EQ(machine.GetState(), ScriptVMRunning);
    EXPECT_EQ(StackTop(), 0);
}

TEST_F(SquirrelVMRunTest, SourceWithByteOrderMarkAndWindowsLineEndsRuns)
{
    EXPECT_TRUE(Run("\xEF\xBB\xBFprint(\"a\");\r\nprint(\"b\");\r\n"));
    EXPECT_EQ(ScriptLines(), (std::vector<std::string>{"[S] a\n", "[S] b\n"}));
}

TEST_F(SquirrelVMRunTest, RunFileOnAClosedMachineFails)
{
    machine.Close();
    WriteScript("ok.nut", "print(1);");
    EXPECT_FALSE(machine.RunFile("@scripts/ok.nut", false));
    EXPECT_TRUE(ScriptLines().empty());
}

TEST_F(SquirrelVMRunTest, FirstRuntimeErrorStopsTheMachineAndReachesTheListenerOnce)
{
    EXPECT_TRUE(Run("function Fail() { throw \"first\"; }\nfunction Ok() { return 1; }\nFail();\n"));
    ASSERT_EQ(listener.runtimeErrors, std::vector<std::string>{"first"});
    EXPECT_EQ(machine.GetState(), ScriptVMRuntimeError);

    const SQInteger top = StackTop();
    EXPECT_FALSE(machine.BeginCall("Ok", nullptr, nullptr));
    EXPECT_EQ(StackTop(), top);
    EXPECT_FALSE(machine.EndCall(nullptr));

    EXPECT_TRUE(Run("local t = {}; t.missing;", "second.nut"));
    EXPECT_EQ(listener.runtimeErrors.size(), 1u);
    EXPECT_EQ(machine.GetState(), ScriptVMRuntimeError);

    ASSERT_TRUE(machine.Open());
    EXPECT_EQ(machine.GetState(), ScriptVMRunning);
    EXPECT_TRUE(Run("function Ok() { return 1; }"));
    EXPECT_TRUE(machine.BeginCall("Ok", nullptr, nullptr));
    EXPECT_TRUE(machine.EndCall(nullptr));
}

TEST_F(SquirrelVMRunTest, ErrorsCaughtByTheScriptDoNotStopTheMachine)
{
    EXPECT_TRUE(Run("try { throw \"caught\"; } catch (e) { print(e); }"));
    EXPECT_TRUE(listener.runtimeErrors.empty());
    EXPECT_EQ(machine.GetState(), ScriptVMRunning);
}

TEST_F(SquirrelVMRunTest, ErrorValueThatIsNoTextIsReportedAsUnspecified)
{
    EXPECT_TRUE(Run("throw 5;"));
    EXPECT_EQ(listener.runtimeErrors, std::vector<std::string>{"Unspecified runtime error"});
}

TEST_F(SquirrelVMRunTest, HostErrorStopsTheMachineWithoutSuspendingIt)
{
    ASSERT_TRUE(Run("function Ok() { return 1; }"));
    machine.RaiseError("Class 'Missing' did not yield an instance");
    EXPECT_EQ(listener.errors, std::vector<std::string>{"Class 'Missing' did not yield an instance"});
    EXPECT_EQ(machine.GetState(), ScriptVMHostError);
    EXPECT_FALSE(machine.BeginCall("Ok", nullptr, nullptr));
    EXPECT_TRUE(listener.runtimeErrors.empty());
}

TEST_F(SquirrelVMRunTest, WithoutListenerErrorsOnlyChangeTheState)
{
    machine.SetListener(nullptr, false);
    EXPECT_TRUE(Run("local x = ;", "broken.nut"));
    EXPECT_TRUE(Run("throw \"boom\";"));
    EXPECT_EQ(machine.GetState(), ScriptVMRuntimeError);
    machine.RaiseError("host");
    EXPECT_EQ(machine.GetState(), ScriptVMHostError);
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(SquirrelVMRunTest, DebugEventsReachTheListenerOnlyWhileDebugInfoIsOn)
{
    machine.SetListener(&listener, true);
    ASSERT_TRUE(Run("local a = 1;\nlocal b = 2;\n", "debug.nut"));
    EXPECT_NE(std::find(listener.debugEvents.begin(), listener.debugEvents.end(), "l @scripts/debug.nut:2"),
              listener.debugEvents.end());

    listener.debugEvents.clear();
    machine.SetListener(&listener, false);
    ASSERT_TRUE(Run("local a = 1;\nlocal b = 2;\n", "quiet.nut"));
    EXPECT_TRUE(listener.debugEvents.empty());
}

TEST_F(SquirrelVMRunTest, ListenerSetBeforeOpeningKeepsItsDebugSetting)
{
    machine.Close();
    machine.SetListener(&listener, true);
    ASSERT_TRUE(machine.Open());
    ASSERT_TRUE(Run("local a = 1;\n", "debug.nut"));
    EXPECT_FALSE(listener.debugEvents.empty());
}
