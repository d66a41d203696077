#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

// Project and scene events that change the scene stack while the project walks it, or while it
// closes: they get the refusal line or take effect, and never leave the program on freed memory
// or in a close that does not end.

namespace
{

const char* const GameProject =
    "<NML=1.0>\n<Environment=<Name=\"Demo\"><ScriptUnit=<Script=\"main.nut\"><Class=\"Main\">>>";
const char* const EmptyScene = "<NML=1.0>\n<Scene=<Items>>";
const std::vector<std::string> ProjectRun = {"game.ngp", "-P", "-r", "none", "-m", "none", "-CC", KESTRUN_DATA_DIR "/core"};
const std::vector<std::string> SceneRun = {"s.nms", "-r", "none", "-m", "none", "-CC", KESTRUN_DATA_DIR "/core"};

// Scenes "a.nms" (z order 2, drawn first) and "b.nms" (z order 1) on the stack; the third frame
// tells which of the two are still there and ends the run.
std::string MainScript(const std::string& events, const std::string& setup = "",
                       const std::string& update = "")
{
    return "class Main {\n  a = null; b = null; frames = 0; inScene = false;\n"
           "  function OnSetup(p) { a = ProjectInstantiateScene(p, \"a.nms\"); ProjectAddLayer(p, a, 2.0);\n"
           "    b = ProjectInstantiateScene(p, \"b.nms\"); ProjectAddLayer(p, b, 1.0); " +
           setup + " }\n  function OnUpdate(p) { frames++; " + update +
           " if (frames == 3) { print(\"left \" + ObjectIsValid(a) + \" \" + ObjectIsValid(b)); "
           "ProjectEnd(p); } }\n  " +
           events + "\n}\n";
}

// A scene with one script unit, class A of "a.nut".
const char* const ScriptedScene = "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"a.nut\"><Class=\"A\">><Items>>";

std::string DeleteScript(const std::string& body)
{
    return "class A { function OnDelete(s) { " + body + " } }";
}

struct EventCase
{
    const char* description;
    KestrunFiles files;
    std::vector<std::string> arguments;
    std::vector<std::string> once;  // each exactly once
    std::vector<std::string> never; // none of them
};

const std::string RefusedUnload =
    "[!] Cannot call 'nProject::Unload' while rendering or evaluating the project scene stack.\n";

const EventCase Cases[] = {
    {"OnRenderScene unloading its own layer's instance is refused",
     {{"game.ngp", GameProject},
      {"a.nms", EmptyScene},
      {"b.nms", EmptyScene},
      {"main.nut",
       MainScript("function OnRenderScene(p, s, l) { ProjectUnloadScene(p, ProjectLayerGetScene(l)); }")}},
     ProjectRun,
     {"[S] left true true\n"},
     {"[!] Script"}},
    {"OnRenderScene unloading the next layer's instance is refused",
     {{"game.ngp", GameProject},
      {"a.nms", EmptyScene},
      {"b.nms", EmptyScene},
      {"main.nut", MainScript("function OnRenderScene(p, s, l) { ProjectUnloadScene(p, b); }")}},
     ProjectRun,
     {"[S] left true true\n"},
     {"[!] Script"}},
    {"OnRenderScene drawing the stack again, whose OnRender would unload, is refused",
     {{"game.ngp", GameProject},
      {"a.nms", EmptyScene},
      {"b.nms", EmptyScene},
      {"main.nut", MainScript("function OnRender(p) { if (inScene) ProjectUnloadScene(p, a); }\n"
                              "  function OnRenderScene(p, s, l) { inScene = true; ProjectRender(p); "
                              "inScene = false; }")}},
     ProjectRun,
     {"[S] left true true\n"},
     {RefusedUnload, "[!] Script"}},
    {"OnActivateScene may unload the instance it is told about",
     {{"game.ngp", GameProject},
      {"a.nms", EmptyScene},
      {"b.nms", EmptyScene},
      {"main.nut", MainScript("function OnActivateScene(p, i) { ProjectUnloadScene(p, i); }",
                              "ProjectSceneActivate(p, a, false);")}},
     ProjectRun,
     {"[S] left false true\n"},
     {"[!]"}},
    {"the project's OnUpdate and OnRender may unload",
     {{"game.ngp", GameProject},
      {"a.nms", EmptyScene},
      {"b.nms", EmptyScene},
      {"main.nut", MainScript("function OnRender(p) { if (ObjectIsValid(b)) ProjectUnloadScene(p, b); }", "",
                              "if (frames == 1) ProjectUnloadScene(p, a);")}},
     ProjectRun,
     {"[S] left false false\n"},
     {"[!]"}},
    {"a scene's OnDelete may unload another scene",
     {{"game.ngp", GameProject},
      {"a.nms", ScriptedScene},
      {"a.nut", DeleteScript("ProjectUnloadScene(g_project, ProjectFindScene(g_project, \"b.nms\"));")},
      {"b.nms", EmptyScene},
      {"main.nut", MainScript("", "", "if (frames == 1) ProjectUnloadScene(p, a);")}},
     ProjectRun,
     {"[S] left false false\n"},
     {"[!]"}},
    {"while the project closes, a scene's OnDelete cannot activate another scene",
     {{"game.ngp", GameProject},
      {"a.nms", ScriptedScene},
      {"a.nut",
       DeleteScript("ProjectSceneActivate(g_project, ProjectFindScene(g_project, \"b.nms\"), false);")},
      {"b.nms", EmptyScene},
      {"main.nut", MainScript("function OnActivateScene(p, i) { ProjectUnloadScene(p, i); }")}},
     ProjectRun,
     {"[S] left true true\n",
      "[!] Cannot call 'nProjectSceneInstance::Activate' while rendering or evaluating the project scene "
      "stack.\n",
      "Done.\n"},
     {"[!] Script"}},
    {"while the project closes, a scene's OnDelete cannot instantiate a scene",
     {{"game.ngp", GameProject},
      {"a.nms", ScriptedScene},
      {"a.nut", DeleteScript("ProjectInstantiateScene(g_project, \"a.nms\");")},
      {"b.nms", EmptyScene},
      {"main.nut", MainScript("")}},
     ProjectRun,
     {"[S] left true true\n",
      "[!] Cannot call 'nProject::Instantiate' while rendering or evaluating the project scene stack.\n",
      "Done.\n"},
     {"[!] Script"}},
    {"in scene mode, a scene that instantiates itself as it goes does so once",
     {{"s.nms", ScriptedScene},
      {"a.nut",
       "class A { function OnUpdate(s) { SceneEnd(s); }\n"
       "  function OnDelete(s) { print(\"going\"); ProjectInstantiateScene(g_project, \"s.nms\"); } }"}},
     SceneRun,
     {"[!] Cannot call 'nProject::Instantiate' while rendering or evaluating the project scene stack.\n",
      "Done.\n"},
     {"[!] Script"}},
    {"a layer's scene file that instances itself: its own instance is refused, no copy is built",
     {{"game.ngp", GameProject},
      {"me.nms",
       "<NML=1.0>\n<Scene=<Items=<Instance=<MItem=<Id=\"legal\"><UId=0><Active>><Item>"
       "<Template=\"t.nms\">><Instance=<MItem=<Id=\"self\"><UId=1><Active>><Item><Template=\"me.nms\">>>>"},
      {"t.nms", "<NML=1.0>\n<Scene=<ScriptedObject=<ScriptUnit=<Script=\"t.nut\"><Class=\"T\">>><Items>>"},
      {"t.nut", "class T { function OnSetup(owner) { print(\"template script\"); } }"},
      {"main.nut", "class Main { function OnSetup(p) { ProjectAddLayer(p, ProjectInstantiateScene(p, "
                   "\"me.nms\"), 1.0); }\n"
                   "  function OnUpdate(p) { ProjectEnd(p); } }"}},
     ProjectRun,
     {"[!] Instance 'self' in 'me.nms' is refused: its template 'me.nms' instances itself.\n",
      "[S] template script\n", "[H] Loading scene 'me.nms'.\n"},
     {"nested too deep"}},
    {"g_scene keeps naming the running scene when other scenes go",
     {{"s.nms", "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"s.nut\"><Class=\"S\">><Items>>"},
      {"e.nms", EmptyScene},
      {"s.nut", "class S { function OnUpdate(s) {\n"
                "  local made = ProjectNewScene(g_project); made = null;\n"
                "  ProjectUnloadScene(g_project, ProjectInstantiateScene(g_project, \"e.nms\"));\n"
                "  print(\"same \" + (g_scene != null && ObjectIsValid(g_scene))); SceneEnd(g_scene); } }"}},
     SceneRun,
     {"[S] same true\n", "Done.\n"},
     {"[!]"}},
};

class ProjectEventCase : public ::testing::TestWithParam<size_t>
{
};

TEST_P(ProjectEventCase, EndsNormallyWithItsLines)
{
    const EventCase& testCase = Cases[GetParam()];
    SCOPED_TRACE(testCase.description);
    const KestrunRun run = RunKestrunWithFiles(testCase.files, testCase.arguments);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    for (const std::string& text : testCase.once)
        EXPECT_EQ(CountOccurrences(run.output, text), 1u) << text << "\n" << run.output;
    for (const std::string& text : testCase.never)
        EXPECT_EQ(run.output.find(text), std::string::npos) << text << "\n" << run.output;
}

INSTANTIATE_TEST_SUITE_P(ProjectEvent, ProjectEventCase, ::testing::Range<size_t>(0, std::size(Cases)));

} // namespace
