#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <iterator>
#include <string>
#include <vector>

// Scripts that free, unload or grow what the engine is walking: the scene a native updates or
// draws, a script-made scene whose last handle goes in a nested event, a group deleted from its
// own walk, layers and items added by the walk that reaches them, and "g_scene" when the scenes
// it named go. Each run ends by itself, under the sanitizers, with the state the script reads.

namespace
{

const std::string CoreData = KESTRUN_DATA_DIR "/core";
const std::vector<std::string> SceneRun = {"s.nms", "-r", "none", "-m", "none", "-CC", CoreData};
const std::vector<std::string> ProjectRun = {"game.ngp", "-P", "-r", "none", "-m", "none", "-CC", CoreData};

const char* const GameProject =
    "<NML=1.0>\n<Environment=<Name=\"Game\"><ScriptUnit=<Script=\"main.nut\"><Class=\"Main\">>>";
const char* const EmptyScene = "<NML=1.0>\n<Scene=<Items>>";
const std::string RefusedUnload =
    "[!] Cannot call 'nProject::Unload' while rendering or evaluating the project scene stack.\n";

std::string ScriptedScene(const std::string& script, const std::string& className)
{
    return "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"" + script + "\"><Class=\"" + className + "\">><Items>>";
}

// Objects with the unit "O" of o.nut.
std::string ScriptedObjects(const std::vector<std::string>& names)
{
    std::string items;
    int uid = 0;
    for (const std::string& name : names)
        items += "<MObject=<MItem=<Id=\"" + name + "\"><UId=" + std::to_string(uid++) +
                 "><Active><ScriptUnit=<Script=\"o.nut\"><Class=\"O\">>><Object=<Item>>>";
    return "<NML=1.0>\n<Scene=<Items=" + items + ">>\n";
}

const std::string TwoScriptedObjects = ScriptedObjects({"A", "B"});
const std::string RefusedLoad = "[!] A scene cannot load a scene file while it deletes its content.\n";
const char* const LoadingOnDelete =
    "class O { function OnDelete(i) { SceneFromFileStoreGroup(g_scene, \"p.nms\", 0xFFFFFFFF); } }";

// The main scene's unit "S": frame 1 runs the body, frame 3 runs the check and ends the run.
std::string MainScript(const std::string& firstFrame, const std::string& check = "")
{
    return "class S { frames = 0; function OnUpdate(s) { frames++;\n"
           "  if (frames == 1) { " +
           firstFrame + " }\n  if (frames == 3) { " + check + " SceneEnd(s); } } }\n";
}

struct WalkCase
{
    const char* description;
    KestrunFiles files;
    std::vector<std::string> arguments;
    std::vector<std::string> once;  // each exactly once
    std::vector<std::string> never; // none of them
};

const WalkCase Cases[] = {
    {"a scene drawing itself from its own OnUpdate draws; drawing itself again from OnRenderUI is refused",
     {{"s.nms", ScriptedScene("s.nut", "S")},
      {"s.nut",
       "class S { frames = 0; again = false;\n"
       "  function OnUpdate(s) { frames++;\n"
       "    if (frames == 1) { SceneRender(s, 0); print(\"drawn from the frame\"); }\n"
       "    if (frames == 3) SceneEnd(s); }\n"
       "  function OnRenderUI(s) { if (frames == 1 && !again) { again = true; SceneRender(s, 0); } } }"}},
     SceneRun,
     {"[S] drawn from the frame\n", "[!] SceneRender() cannot run while the scene draws.\n"},
     {"runs a frame"}},
    {"a scene's OnUpdate unloading its own instance while SceneUpdate runs it is refused",
     {{"s.nms", ScriptedScene("s.nut", "S")},
      {"l.nms", ScriptedScene("l.nut", "L")},
      {"l.nut", "class L { function OnUpdate(s) { ProjectUnloadScene(g_project, "
                "ProjectFindScene(g_project, \"l.nms\")); } }"},
      {"s.nut", MainScript("::I <- ProjectInstantiateScene(g_project, \"l.nms\"); "
                           "SceneUpdate(ProjectSceneGetInstance(::I));",
                           "print(\"left \" + ObjectIsValid(::I));")}},
     SceneRun,
     {RefusedUnload, "[S] left true\n"},
     {}},
    {"the project's OnUpdate drawing a layer's scene whose OnRenderUI unloads it is refused",
     {{"game.ngp", GameProject},
      {"a.nms", ScriptedScene("a.nut", "A")},
      {"a.nut", "class A { function OnRenderUI(s) { ProjectUnloadScene(g_project, "
                "ProjectFindScene(g_project, \"a.nms\")); } }"},
      {"main.nut",
       "class Main { a = null; frames = 0;\n"
       "  function OnSetup(p) { a = ProjectInstantiateScene(p, \"a.nms\"); }\n"
       "  function OnUpdate(p) { frames++; if (frames == 1) SceneRender(ProjectSceneGetInstance(a), 0);\n"
       "    if (frames == 3) { print(\"left \" + ObjectIsValid(a)); ProjectEnd(p); } } }"}},
     ProjectRun,
     {RefusedUnload, "[S] left true\n"},
     {}},
    {"a nested event dropping the last handle of a script-made scene that a native walks",
     {{"s.nms", ScriptedScene("s.nut", "S")},
      {"g.nms", TwoScriptedObjects},
      {"o.nut", "class O { function OnActivate(i, a) { print(\"drop\"); ::X = null; } }"},
      {"s.nut",
       MainScript("::X <- ProjectNewScene(g_project); SceneFromFile(::X, \"g.nms\"); SceneSetup(::X);\n"
                  "    ItemActivate(SceneFindItem(::X, \"A\"), false); print(\"after \" + ::X);")}},
     SceneRun,
     {"[S] drop\n", "[S] after null\n"},
     {"[!]"}},
    {"a member's OnReset deleting its group during GroupReset",
     {{"s.nms", ScriptedScene("s.nut", "S")},
      {"g.nms", TwoScriptedObjects},
      {"o.nut", "class O { function OnReset(i) { print(\"reset \" + ItemGetName(i));\n"
                "  if (ObjectIsValid(::G)) SceneDeleteGroup(g_scene, ::G); } }"},
      {"s.nut",
       MainScript("::G <- SceneFromFileStoreGroup(s, \"g.nms\", 0xFFFFFFFF); GroupSetupScript(::G);\n"
                  "    GroupReset(::G); print(\"handle \" + ObjectIsValid(::G));",
                  "print(\"found \" + ObjectIsValid(SceneFindItem(s, \"A\")) + \" \" +\n"
                  "    ObjectIsValid(SceneFindItem(s, \"B\")) + \" \" + ObjectIsValid(SceneFindGroup(s, "
                  "\"g.nms\")));")}},
     SceneRun,
     {"[S] reset A\n", "[S] reset B\n", "[S] handle false\n", "[S] found false false false\n"},
     {"[!]"}},
    {"OnRenderScene adding a layer: the walk draws the layers it began with",
     {{"game.ngp", GameProject},
      {"a.nms", EmptyScene},
      {"main.nut",
       "class Main { a = null; frames = 0; drawn = 0;\n"
       "  function OnSetup(p) { a = ProjectInstantiateScene(p, \"a.nms\"); ProjectAddLayer(p, a, 1.0); }\n"
       "  function OnRenderScene(p, s, l) { drawn++; ProjectAddLayer(p, a, 1.0); }\n"
       "  function OnUpdate(p) { frames++; print(\"frame \" + frames + \" drawn \" + drawn);\n"
       "    if (frames == 3) ProjectEnd(p); } }"}},
     ProjectRun,
     {"[S] frame 2 drawn 1\n", "[S] frame 3 drawn 3\n"},
     {"[!]"}},
    {"an item's OnUpdate loading items into its scene and setting it up",
     {{"s.nms", ScriptedScene("s.nut", "S")},
      {"g.nms", TwoScriptedObjects},
      {"o.nut",
       "class O { function OnUpdate(i) { SceneFromFile(g_scene, \"g.nms\"); SceneSetup(g_scene); } }"},
      {"s.nut",
       MainScript("::Before <- SceneGetItemList(s).len(); SceneFromFile(s, \"g.nms\"); SceneSetup(s);",
                  "print(\"items \" + (SceneGetItemList(s).len() - ::Before));")}},
     SceneRun,
     // Frame 1 walks the 2 items it began with, each loading 2 more; frame 2 walks those 6.
     {"[S] items 18\n"},
     {"[!]"}},
    {"an item's OnDelete loading into its scene while SceneDeleteContent empties it is refused",
     {{"s.nms", ScriptedScene("s.nut", "S")},
      {"g.nms", ScriptedObjects({"A"})},
      {"p.nms", ScriptedObjects({"P"})},
      {"o.nut", LoadingOnDelete},
      {"s.nut",
       MainScript("SceneFromFile(s, \"g.nms\"); SceneSetup(s);",
                  "SceneDeleteContent(s); print(\"left \" + ObjectIsValid(SceneFindGroup(s, \"p.nms\")) +\n"
                  "    \" \" + SceneGetItemList(s).len());")}},
     SceneRun,
     {RefusedLoad, "[S] left false 0\n"},
     {}},
    {"an item's OnDelete loading into its scene while its last handle destroys it is refused",
     {{"s.nms", ScriptedScene("s.nut", "S")},
      {"g.nms", ScriptedObjects({"A"})},
      {"p.nms", ScriptedObjects({"P"})},
      {"o.nut", LoadingOnDelete},
      {"s.nut",
       MainScript("::X <- ProjectNewScene(g_project); SceneFromFile(::X, \"g.nms\"); SceneSetup(::X);\n"
                  "    ::X = null;")}},
     SceneRun,
     {RefusedLoad},
     {}},
    {"g_scene falls back along the scenes it named to the one still running",
     {{"s.nms", ScriptedScene("s.nut", "S")},
      {"s.nut",
       MainScript(
           "local y = ProjectNewScene(g_project); local z = ProjectNewScene(g_project);\n"
           "    SceneSetGlobal(y); SceneSetGlobal(z); y = null; z = null;",
           "print(\"named \" + (ObjectIsValid(g_scene) && SceneGetName(g_scene) == SceneGetName(s)));")}},
     SceneRun,
     {"[S] named true\n"},
     {"[!]"}},
};

class WalkedObjectsCase : public ::testing::TestWithParam<size_t>
{
};

TEST_P(WalkedObjectsCase, EndsCleanlyWithWhatTheScriptReads)
{
    const WalkCase& testCase = Cases[GetParam()];
    SCOPED_TRACE(testCase.description);
    const KestrunRun run = RunKestrunWithFiles(testCase.files, testCase.arguments);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(CountOccurrences(run.output, "Done.\n"), 1u) << run.output;
    for (const std::string& text : testCase.once)
        EXPECT_EQ(CountOccurrences(run.output, text), 1u) << text << "\n" << run.output;
    for (const std::string& text : testCase.never)
        EXPECT_EQ(run.output.find(text), std::string::npos) << text << "\n" << run.output;
}

INSTANTIATE_TEST_SUITE_P(WalkedObjects, WalkedObjectsCase, ::testing::Range<size_t>(0, std::size(Cases)));

// A frame whose events together take far longer than the run may (300 objects, each event a few
// milliseconds of script at least): the run time, or the first stop signal, ends it after the
// event under way, not after the whole walk, and the run ends as a stopped run does.
TEST(WalkedObjects, TheRunTimeOrAStopSignalEndsAFrameThatOutlastsIt)
{
    std::vector<std::string> names;
    for (int index = 0; index < 300; ++index)
        names.push_back("O" + std::to_string(index));
    const KestrunFiles files = {{"s.nms", ScriptedObjects(names)},
                                {"o.nut", "class O { function OnUpdate(i) {\n"
                                          "  for (local k = 0; k < 3000000; ++k) {}\n"
                                          "  print(\"event\");\n"
                                          "} }\n"}};
    std::vector<std::string> timed = SceneRun;
    timed.insert(timed.end(), {"-time_live", "2"});
    const KestrunRun timedRun = RunKestrunWithFiles(files, timed);

    TemporaryDirectory directory;
    for (const auto& [name, content] : files)
        directory.WriteFile(name, content);
    KestrunProcess process(directory.Path(), SceneRun);
    ASSERT_TRUE(process.WaitForText("[S] event\n", 30.0)) << process.Output();
    process.Signal(SIGTERM);
    const KestrunRun signalledRun = process.WaitAtMost(60.0);

    for (const KestrunRun& run : {timedRun, signalledRun})
    {
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_LT(CountOccurrences(run.output, "[S] event\n"), names.size()) << run.output;
        EXPECT_EQ(CountOccurrences(run.output, "Done.\n"), 1u) << run.output;
    }
}

} // namespace
