#include "e2e/KestrunProcess.h"

#include "core/math/nRandom.h"

#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <vector>

// The system, matrix, device, file, NML document and threaded-load natives, as a scene's script
// sees them in a run of the program.
namespace
{

const std::string CoreData = KESTRUN_DATA_DIR "/core";

const char* const SceneFile = "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"Main\">><Items>>";
const char* const SecondScene =
    "<NML=1.0>\n<Scene=<Items=<MObject=<MItem=<Id=\"Second\"><UId=0><Active>><Object=<Item>>>>>";

KestrunRun RunScene(const TemporaryDirectory& directory, const std::string& script)
{
    directory.WriteFile("s.nms", SceneFile);
    directory.WriteFile("s.nut", script);
    return RunKestrun(directory.Path(), {"s.nms", "-r", "none", "-m", "none", "-CC", CoreData});
}

const char* const ServicesScript = R"(
function Five() { local s = ""; for (local i = 0; i < 5; ++i) s += SystemRand(1000) + " "; return s; }
class Main {
    function OnSetup(s) {
        print("clock " + SystemGetClockFrequency() + " " + SystemGetPlatform() + " " + SystemGetLocale() + " " +
              SystemRand(0));
        SystemSeedRand(42); local first = Five();
        SystemSeedRand(42); local second = Five();
        print("rand " + first + (first == second));
        local zeros = true;
        for (local order = 0; order <= 6; ++order) {
            local v = MatrixToEuler(Matrix3(), order);
            zeros = zeros && v.x == 0 && v.y == 0 && v.z == 0;
        }
        local at = TransformationMatrix(Vector(1, 2, 3), Vector(0.2, 0.4, 0.6), Vector(2, 2, 2), Vector(4, 0, 0))
                       .GetPosition();
        print("euler " + zeros + ", translation " + at.x + "," + at.y + "," + at.z);
        print("files " + FileExists("s.nms") + " " + FileExists("nope"));
        Include("inc.nut");
        print("included " + Included());
        local devices = GetDeviceList(DeviceTypeGame);
        print("devices " + typeof devices + " " + ObjectIsValid(DeviceNewFromIndex(devices.len())));
        print("codes " + KeyboardPoolFunction(40) + " " + MousePoolFunction(-3) + " " + KeyboardSeekFunction(99, 1));
        print("constants " + KeyASCII + " " + KeyNumpad9 + " " + DeviceAxisRZ + " " + DeviceButton15);
        print("done " + LoadThreadIsDone(g_engine));
        local thread = SceneFromNMLThreaded(s, "second.nms");
        try { ItemGetName(thread); } catch (error) { print("thread " + error + " " + ObjectIsValid(thread)); }
        print("loaded " + ItemGetName(SceneFindItem(s, "Second")));
    }
    function OnUpdate(s) { SceneEnd(s); }
}
)";

TEST(ScriptServicesRun, ASceneScriptReachesTheSystemDevicesFilesAndLoads)
{
    RandomSeed(42);
    std::string five;
    for (int draw = 0; draw < 5; ++draw)
        five += std::to_string(RandomInt(1000)) + " ";

    TemporaryDirectory directory;
    directory.WriteFile("inc.nut", "function Included() { return 42; }\n");
    directory.WriteFile("second.nms", SecondScene);
    const KestrunRun run = RunScene(directory, ServicesScript);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ScriptLines(run.output), (std::vector<std::string>{
                                           "clock 10000 Linux STUB 0",
                                           "rand " + five + "true",
                                           "euler true, translation 1,2,3",
                                           "files true false",
                                           "included 42",
                                           "devices array false",
                                           "codes 0 0 false",
                                           "constants 54 53 28 20",
                                           "done true",
                                           "thread Expected 'Item' got 'C Thread' false",
                                           "loaded Second",
                                       }))
        << run.output;
    EXPECT_TRUE(HasLine(run.output, "[*] threaded binding is only available on the Windows platform."))
        << run.output;
}

// The document goes with the end of OnSetup; its tag handle is dead in the first update.
const char* const MetafileScript = R"(
class Main {
    tag = null;
    function OnSetup(s) {
        local mf = MetafileNew();
        local root = MetafileAddRoot(mf, "Cfg");
        MetatagAddChildWithValue(root, "Speed", 3.5);
        MetatagAddChildWithValue(root, "Name", "x");
        MetatagAddChildWithValue(root, "N", 2);
        MetatagAddChildWithValue(root, "On", true);
        print("saved " + MetafileSave(mf, "m.nml"));
        local back = MetafileNew();
        print("loaded " + MetafileLoad(back, "m.nml"));
        local speed = MetafileGetTag(back, "Cfg:Speed");
        print("speed " + MetatagGetValue(speed) + " " + MetatagGetType(speed) + " " +
              ObjectIsValid(MetafileGetTypedTag(back, "Cfg:Speed", 3)));
        print("table " + ObjectIsValid(MetafileAddRootWithValue(back, "T", {})) + " " + MetafileGetRoots(back).len());
        print("empty " + MetatagGetValue(MetafileAddRoot(back, "E")));
        tag = speed;
    }
    function OnUpdate(s) { print("name " + MetatagGetName(tag)); }
}
)";

TEST(ScriptServicesRun, NmlDocumentsSaveLoadAndTakeTheirTagsWithThem)
{
    TemporaryDirectory directory;
    const KestrunRun run = RunScene(directory, MetafileScript);
    EXPECT_EQ(run.exitCode, 3) << run.output;
    EXPECT_EQ(ScriptLines(run.output),
              (std::vector<std::string>{"saved true", "loaded true", "speed 3.5 1 false", "table false 1",
                                        "empty -1"}))
        << run.output;
    std::ifstream saved(directory.Path() / "m.nml", std::ios::binary);
    std::ostringstream text;
    text << saved.rdbuf();
    EXPECT_EQ(text.str(), "<NML=1.0>\n<Cfg=\n\t<Speed=3.500000>\n\t<Name=\"x\">\n\t<N=2>\n\t<On=True>\n>\n");
    EXPECT_TRUE(HasLine(run.output, "[!] Cannot convert input Squirrel type to metatag value."))
        << run.output;
    EXPECT_TRUE(HasLine(run.output, "[!] Cannot get value from tag 'E'. Unsupported type.")) << run.output;
    EXPECT_TRUE(HasLine(run.output, "[!] Script runtime error: Expected 'Metatag' got 'Deleted native'"))
        << run.output;
}

struct BadArgumentCase
{
    const char* call;
    const char* error;
};

const BadArgumentCase BadArgumentCases[] = {
    {"Include(\"missing.nut\")", "Failed to include script 'missing.nut'."},
    {"DeviceGetName(DeviceNewFromIndex(99))", "CObject is null"},
    {"SystemRand(\"a\")", "parameter 1 has an invalid type 'string' ; expected: 'integer|float'"},
    {"MatrixToEuler(Vector(0, 0, 0), 0)", "Invalid instance type"},
    {"MetatagGetName(MetafileNew())", "Expected 'Metatag' got 'Metafile'"},
    {"SystemGetClock(1)", "wrong number of parameters"},
};

// The runs are independent, so they go side by side.
TEST(ScriptServicesRun, BadArgumentsStopTheScriptWithTheirMessage)
{
    std::vector<std::future<KestrunRun>> runs;
    for (const BadArgumentCase& bad : BadArgumentCases)
        runs.push_back(std::async(std::launch::async,
                                  [call = std::string(bad.call)]
                                  {
                                      TemporaryDirectory directory;
                                      return RunScene(directory, "class Main { function OnSetup(s) {\n    " +
                                                                     call +
                                                                     ";\n    print(\"not stopped\");\n} }\n");
                                  }));
    for (size_t index = 0; index < runs.size(); ++index)
    {
        SCOPED_TRACE(BadArgumentCases[index].call);
        const KestrunRun run = runs[index].get();
        EXPECT_EQ(run.exitCode, 3) << run.output;
        EXPECT_TRUE(
            HasLine(run.output, std::string("[!] Script runtime error: ") + BadArgumentCases[index].error))
            << run.output;
        EXPECT_FALSE(HasLine(run.output, "[S] not stopped")) << run.output;
        // The call stack follows, its header on one line, and names the calling line.
        EXPECT_TRUE(HasLine(run.output,
                            std::string("[|] Call stack (Runtime error: ") + BadArgumentCases[index].error + "):"))
            << run.output;
        EXPECT_NE(run.output.find("OnSetup() s.nut(2)\n"), std::string::npos) << run.output;
    }
}

} // namespace
