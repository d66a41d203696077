#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <future>
#include <sstream>
#include <string>
#include <vector>

namespace
{

const std::string CoreData = KESTRUN_DATA_DIR "/core";

const char* const SceneFile = "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"Main\">><Items>>";
const char* const ProjectFile =
    "<NML=1.0>\n<Environment=<Name=\"Natives\"><ScriptUnit=<Script=\"p.nut\"><Class=\"Game\">>>";

// Builds a small hierarchy and a camera and a light in the scene, prints what the natives answer,
// and starts a command list on C, which it returns. The answers are the same whatever holds the
// scene.
const char* const Checks = R"(
function V(v) { return v.x + "," + v.y + "," + v.z; }
function Check(s) {
    local before = SceneGetItemList(s).len();
    local objects = [SceneAddObject(s, "A"), SceneAddObject(s, "B"), SceneAddObject(s, "C")];
    local camera = SceneAddCamera(s, "Cam");
    local light = SceneAddLight(s, "Lamp");
    foreach (handle in [objects[0], camera, light])
        try { ItemGetName(handle); } catch (error) { print("refused: " + error); }
    local A = ObjectGetItem(objects[0]), B = ObjectGetItem(objects[1]), C = ObjectGetItem(objects[2]);
    local lamp = LightGetItem(light);
    print("camera " + ItemGetName(CameraGetItem(camera)) + ", light " + ItemGetName(lamp));
    ItemSetParent(B, A);
    ItemSetParent(C, B);
    ItemSetPosition(A, Vector(1, 2, 3));
    ItemSetPosition(B, Vector(0, 1, 0));
    print("world " + V(ItemGetWorldPosition(B)) + ", box " + V(ItemGetWorldMinMax(C).min));
    ItemSetOpacity(A, -0.5);
    print("opacity " + ItemGetOpacity(A));
    ItemSetOpacity(A, 3);
    print("opacity " + ItemGetOpacity(A));
    local grandchild = ItemGetChild(A, "C");
    print("child " + ObjectIsValid(ItemGetChild(A, "B")) + ", grandchild " + ObjectIsValid(grandchild) + " " +
          (grandchild != null));
    print("key " + ItemRegistryGetKey(A, "Game:Speed"));
    ItemRegistrySetKey(A, "Game:Speed", 2.5);
    print("key " + ItemRegistryGetKey(A, "Game:Speed"));
    ItemRegistrySetKey(A, "Game:Speed", {});
    print("key " + ItemRegistryGetKey(A, "Game:Speed"));
    SceneSetFog(s, false, Vector(1, 0, 0), 10, 100);
    print("fog " + SceneGetFogNear(s) + " " + SceneGetFogFar(s));
    print("found " + ObjectIsValid(SceneFindItem(s, "Zz")));
    print("grown " + (SceneGetItemList(s).len() - before));
    print("cast " + ObjectIsValid(ItemCastToObject(lamp)));
    EngineSetFixedDeltaFrame(g_engine, 0.1);
    ItemSetCommandList(C, "toposition 1,0,0,1;");
    return C;
}
function Report(C) { print("z " + ItemGetPosition(C).z + ", done " + ItemIsCommandListDone(C)); }
)";

const char* const SceneScript = R"(
class Main {
    frames = 0;
    C = null;
    function OnSetup(s) { C = Check(s); }
    function OnUpdate(s) { if (++frames == 12) { Report(C); SceneEnd(s); } }
}
)";

// The project's own scene is not on a layer: the project steps it.
const char* const ProjectScript = R"(
class Game {
    frames = 0;
    scene = null;
    C = null;
    function OnSetup(p) { scene = ProjectNewScene(p); C = Check(scene); }
    function OnUpdate(p) { SceneUpdate(scene); if (++frames == 12) { Report(C); ProjectEnd(p); } }
}
)";

const std::vector<std::string> ExpectedScriptLines = {
    "refused: Expected 'Item' got 'Object'",
    "refused: Expected 'Item' got 'Camera'",
    "refused: Expected 'Item' got 'Light'",
    "camera Cam, light Lamp",
    "world 1,3,3, box 1,3,3",
    "opacity 0",
    "opacity 1",
    "child true, grandchild false true",
    "key -1",
    "key 2.5",
    "key -1",
    "fog 0 0",
    "found false",
    "grown 5",
    "cast false",
    "z 1, done true",
};

KestrunRun RunScene(const std::string& script, const std::string& checks = Checks)
{
    TemporaryDirectory directory;
    directory.WriteFile("s.nms", SceneFile);
    directory.WriteFile("s.nut", checks + script);
    return RunKestrun(directory.Path(), {"s.nms", "-r", "none", "-m", "none", "-CC", CoreData});
}

TEST(EngineNativesRun, ASceneScriptBuildsMovesAndQueriesItems)
{
    const KestrunRun run = RunScene(SceneScript);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ScriptLines(run.output), ExpectedScriptLines) << run.output;
    EXPECT_NE(run.output.find("[*] Incorrect binding argument count.\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("[!] Incorrect cast, item is not an object.\n"), std::string::npos)
        << run.output;
}

TEST(EngineNativesRun, AProjectSceneAnswersAsTheSceneOfASceneRun)
{
    TemporaryDirectory directory;
    directory.WriteFile("game.ngp", ProjectFile);
    directory.WriteFile("p.nut", std::string(Checks) + ProjectScript);
    const KestrunRun run =
        RunKestrun(directory.Path(), {"game.ngp", "-P", "-r", "none", "-m", "none", "-CC", CoreData});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ScriptLines(run.output), ExpectedScriptLines) << run.output;
}

TEST(EngineNativesRun, AHandleOnADeletedItemStopsTheScript)
{
    const KestrunRun run = RunScene(R"(
class Main {
    frames = 0;
    B = null;
    function OnSetup(s) { B = ObjectGetItem(SceneAddObject(s, "B")); }
    function OnUpdate(s) {
        ++frames;
        print("frame " + frames);
        if (frames == 1) SceneDeleteItem(s, B);
        if (frames == 3) ItemGetPosition(B);
    }
}
)");
    EXPECT_EQ(run.exitCode, 3) << run.output;
    EXPECT_EQ(ScriptLines(run.output), (std::vector<std::string>{"frame 1", "frame 2", "frame 3"}))
        << run.output;
    EXPECT_NE(run.output.find("[!] Script runtime error: Expected 'Item' got 'Deleted native'\n"),
              std::string::npos)
        << run.output;
}

struct BadArgumentCase
{
    const char* call;
    const char* error;
};

// Each call stops the script in OnSetup, where A is an object's item and cam a camera's item.
const BadArgumentCase BadArgumentCases[] = {
    {"ItemGetPosition(A, 1)", "wrong number of parameters"},
    {"ItemGetPosition(\"A\")", "parameter 1 has an invalid type 'string' ; expected: 'instance'"},
    {"ItemGetPosition(s)", "Expected 'Item' got 'Scene'"},
    {"ItemGetPosition(NullItem)", "CObject is null"},
    {"ItemGetPosition(SceneAddObject(s, \"Z\"))", "Expected 'Item' got 'Object'"},
    {"ItemSetPosition(A, UV(0, 0))", "Invalid instance type"},
    {"ItemCastToLight(cam)", "Cannot cast item to light"},
    {"ItemCastToCamera(A)", "Item cannot be cast to camera"},
    {"SceneFindItem(cam, \"x\")", "Expected scene or instance"},
    {"ItemGetScriptInstance(A)", "Item 'A' has no script unit"},
    {"ItemMotionSlotGetTime(A, 0)", "No motion in slot"},
    {"SceneGetScriptInstanceFromClass(s, \"Zz\")", "Script unit not found"},
};

// The runs are independent, so they go side by side.
TEST(EngineNativesRun, BadArgumentsStopTheScriptWithTheirMessage)
{
    std::vector<std::future<KestrunRun>> runs;
    for (const BadArgumentCase& bad : BadArgumentCases)
        runs.push_back(std::async(std::launch::async,
                                  [call = std::string(bad.call)]
                                  {
                                      return RunScene(
                                          "class Main { function OnSetup(s) {\n"
                                          "    local A = ObjectGetItem(SceneAddObject(s, \"A\"));\n"
                                          "    local cam = CameraGetItem(SceneAddCamera(s, \"Cam\"));\n"
                                          "    " +
                                              call +
                                              ";\n"
                                              "    print(\"not stopped\");\n} }\n",
                                          "");
                                  }));
    for (size_t index = 0; index < runs.size(); ++index)
    {
        SCOPED_TRACE(BadArgumentCases[index].call);
        const KestrunRun run = runs[index].get();
        EXPECT_EQ(run.exitCode, 3) << run.output;
        EXPECT_NE(
            run.output.find(std::string("[!] Script runtime error: ") + BadArgumentCases[index].error + "\n"),
            std::string::npos)
            << run.output;
        EXPECT_EQ(run.output.find("not stopped"), std::string::npos) << run.output;
    }
}

} // namespace
