#include "ScriptApiFixture.h"

#include "api/ScriptApi.h"
#include "core/math/nMinMax.h"
#include "core/math/nRect.h"
#include "script/binding/nScriptValuePush.h"

#include <climits>
#include <fstream>

namespace
{
struct EvaluationCase
{
    const char* script;
    const char* expected;
};

class CoreApiTest : public ScriptApiFixture
{
};

TEST_F(CoreApiTest, CoreNativesAndConstantsAnswerAsDocumented)
{
    const EvaluationCase cases[] = {
        {"print(Mod(-7, 3))", "-1"},
        {"print(AbsMod(-7, 3))", "2"},
        {"print(AbsMod(7, 3))", "1"},
        {"print(Pow(2.0, 3.0))", "8"},
        {"Pow(2, 3)", "error: parameter 1 has an invalid type 'integer' ; expected: 'float'"},
        {"Mod(1, 0)", "error: division by zero"},
        {"AbsMod(-2147483647 - 1, -1)", "error: division by zero"},
        {"__Assert(false, \"boom\")", "error: boom"},
        {"__Assert(true, \"boom\"); print(\"fine\")", "fine"},
        {"print(SystemClockFrequency)", "10000"},
        {"print(EngineTypeDeletednative + \",\" + EngineTypeSceneGroup + \",\" + EngineTypeCollisionShape)", "1,23,38"},
        {"print(EngineTypeProjectLayer + \",\" + EngineTypeAnimationSource + \",\" + EngineTypeResourceSet)", "46,47,4"},
        {"print(ShellExecute(\"exit\", \"3\"))", "3"},
        {"print(typeof CObject() + typeof GeometryTemplate)", "CObjectclass"},
    };
    for (const EvaluationCase& c : cases)
        EXPECT_EQ(Evaluate(c.script), c.expected) << c.script;
}

TEST_F(CoreApiTest, ShellExecuteLogsTheCommandAndItsOutput)
{
    Reopen();
    Run("print(ShellExecute(\"echo\", \"hello\"));");
    ASSERT_GE(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0], "[H] Execute command 'echo hello'\n\n");
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), "hello\n"), log.lines.end());
    EXPECT_EQ(ScriptLines().back(), "[S] 0\n");
}

TEST_F(CoreApiTest, FileRenameRefusesAnExistingTarget)
{
    std::ofstream(directory + "/a.txt") << "a";
    std::ofstream(directory + "/b.txt") << "b";
    const std::string script = "print(FileRename(\"" + directory + "/a.txt\", \"" + directory + "/b.txt\")); print(FileRename(\"" +
                               directory + "/a.txt\", \"" + directory + "/c.txt\"));";
    EXPECT_EQ(Evaluate(script), "falsetrue");
}

TEST_F(CoreApiTest, RegisteringTwiceLeavesOneSlotPerName)
{
    RegisterScriptApi(machine.GetHandle());
    Run("local count = 0; foreach (k, v in getroottable()) if (k == \"Mod\" || k == \"Vector\" || k == \"EngineTypeItem\") ++count; print(count);");
    EXPECT_EQ(ScriptLines(), std::vector<std::string>{"[S] 3\n"});
}

TEST_F(CoreApiTest, PushersFillTheScriptClassesOfTheLibrary)
{
    std::ifstream library(KESTRUN_DATA_DIR "/core/scriptlib/nad.nut");
    std::string text((std::istreambuf_iterator<char>(library)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(Run(text, "nad.nut"));
    HSQUIRRELVM vm = machine.GetHandle();
    const SQInteger top = sq_gettop(vm);
    ASSERT_TRUE(PushMinMax(vm, nMinMax(nVector(1, 2, 3), nVector(4, 5, 6))));
    sq_pushroottable(vm);
    sq_pushstring(vm, "box", -1);
    sq_push(vm, -3);
    sq_newslot(vm, -3, SQFalse);
    sq_settop(vm, top);
    nRect rect{1, 2, 3, 4};
    ASSERT_TRUE(PushRect(vm, rect));
    nRect read;
    ASSERT_TRUE(GetRectArg(vm, -1, read));
    EXPECT_EQ(read.x1, 3);
    EXPECT_EQ(read.y1, 4);
    sq_settop(vm, top);
    Run("function V(v) { return format(\"(%g,%g,%g,%g)\", v.x, v.y, v.z, v.w); }\n"
        "print(V(box.min) + V(box.max)); local r = Rect(); r.ex = 3.0e10; ::rect <- r;");
    EXPECT_EQ(ScriptLines(), std::vector<std::string>{"[S] (1,2,3,1)(4,5,6,1)\n"});
    sq_pushroottable(vm);
    sq_pushstring(vm, "rect", -1);
    sq_get(vm, -2);
    ASSERT_TRUE(GetRectArg(vm, -1, read));
    EXPECT_EQ(read.x1, INT_MAX);
    sq_settop(vm, top);
}

TEST_F(CoreApiTest, PushersWithoutTheLibraryReportABindingErrorAndPushNothing)
{
    HSQUIRRELVM vm = machine.GetHandle();
    const SQInteger top = sq_gettop(vm);
    EXPECT_FALSE(PushMinMax(vm, nMinMax()));
    EXPECT_FALSE(PushRect(vm, nRect{}));
    EXPECT_EQ(sq_gettop(vm), top);
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(),
                        "[|] Call stack (Binding error: Class 'MinMax' is not declared.):\n"),
              log.lines.end());
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(),
                        "[|] Call stack (Binding error: Failed to create Rect instance.):\n"),
              log.lines.end());
}
} // namespace
