#include "api/ScriptApi.h"
#include "engine/Quenvar.h"
#include "engine/project/nProject.h"
#include "engine/project/nProjectLayer.h"
#include "engine/project/nProjectSceneInstance.h"
#include "engine/scene/nScene.h"
#include "render/nFontPair.h"
#include "script/nObjectType.h"
#include "script/nScriptObject.h"
#include "script/nScriptValue.h"
#include "support/CapturedLog.h"
#include "support/RecordingRenderer.h"
#include "support/TemporaryFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// The project script keeps handles on what it instantiates, so that the tests can see them turn
// dead; "Check" reports them and "g_scene".
const char* const ProjectScript = R"(
class Main
{
    instance = null; layer = null; scene = null;
    function OnUpdate(p) { print("project OnUpdate"); }
    function OnUnloadScene(p, i) { print("unload, active " + ProjectSceneIsActive(p, i)); }
    function OnClose(p) { print("close"); }
    function Keep(p, i)
    {
        instance = i;
        layer = ProjectAddLayer(p, i, 1.0);
        scene = ProjectSceneGetInstance(i);
    }
    function Check(p)
    {
        print("instance " + ObjectIsValid(instance) + ", layer " + ObjectIsValid(layer) + ", scene " +
              ObjectIsValid(scene) + ", g_scene " + (g_scene == null ? "null" : "set"));
    }
}
)";

const char* const EmptyScene = "<NML=1.0>\n<Scene=<Items>>";

// A project opened on a recording renderer, whose scenes come from files.
class ProjectScenes : public ::testing::Test
{
protected:
    ProjectScenes()
    {
        engine.SetRenderer(&renderer);
        files.Write("main.nut", ProjectScript);
        files.Write("empty.nms", EmptyScene);
        project.GetScriptUnit().SetScript("main.nut");
        project.GetScriptUnit().SetClassName("Main");
        EXPECT_TRUE(project.Open(true));
    }
    ~ProjectScenes() override
    {
        project.Close(true);
        engine.SetRenderer(nullptr);
    }

    // Calls a method of the project's script instance with the project and optional instance.
    void CallScript(const char* name, nProjectSceneInstance* instance = nullptr)
    {
        nSquirrelVM& vm = project.GetVM();
        nScriptObject* method = vm.GetObject(name, project.GetScriptInstance());
        ASSERT_NE(method, nullptr) << name;
        ASSERT_TRUE(vm.BeginCall(name, method, project.GetScriptInstance()));
        vm.PushArgument(nScriptValue(ObjectTypeProject, &project));
        if (instance)
            vm.PushArgument(nScriptValue(ObjectTypeProjectScene, instance));
        EXPECT_TRUE(vm.EndCall(nullptr));
        delete method;
    }

    size_t Count(const std::string& text, const std::string& part) const
    {
        size_t count = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++count;
        return count;
    }

    TemporaryFiles files;
    Quenvar engine;
    RecordingRenderer renderer{&engine};
    nProject project{&engine, RegisterScriptApi};
};

// The file names no scene, so the scene takes its path as its name and the second call finds it.
TEST_F(ProjectScenes, TheSamePathInstantiatedTwiceGivesOneInstance)
{
    CapturedLog log;
    nProjectSceneInstance* first = project.Instantiate("empty.nms");
    ASSERT_NE(first, nullptr) << log.text;
    EXPECT_EQ(first->GetName(), "empty.nms");
    EXPECT_EQ(project.Instantiate("empty.nms"), first);
    EXPECT_EQ(project.GetScenes().GetCount(), 1u);
    EXPECT_EQ(Count(log.text, "[H] Loading scene 'empty.nms'.\n"), 1u) << log.text;
    EXPECT_EQ(Count(log.text, "[H] Setup scene 'empty.nms'.\n"), 1u);
}

// A scene's "OnUpdate" runs while the project evaluates its stack; the project's own runs before.
TEST_F(ProjectScenes, AGuardedOperationFromASceneUpdateIsRefused)
{
    files.Write("busy.nms", "<NML=1.0>\n<Scene=<ScriptUnit=<Script=\"busy.nut\"><Class=\"Busy\">><Items>>");
    files.Write(
        "busy.nut",
        "class Busy { function OnUpdate(s) {\n"
        "  print(\"scene got \" + ObjectIsValid(ProjectInstantiateScene(g_project, \"empty.nms\")));\n"
        "  ProjectUnloadScene(g_project, ProjectFindScene(g_project, \"busy.nms\"));\n"
        "} }");
    ASSERT_NE(project.Instantiate("busy.nms"), nullptr);
    CapturedLog log;
    project.Evaluate(SceneUpdateAll);
    EXPECT_EQ(
        log.text,
        "[S] project OnUpdate\n"
        "[!] Cannot call 'nProject::Instantiate' while rendering or evaluating the project scene stack.\n"
        "[S] scene got false\n"
        "[!] Cannot call 'nProject::Unload' while rendering or evaluating the project scene stack.\n");
    EXPECT_EQ(project.GetScenes().GetCount(), 1u);
    EXPECT_FALSE(project.IsBusy());
    ASSERT_NE(project.Instantiate("empty.nms"), nullptr); // allowed again once the evaluation is over
    EXPECT_EQ(project.GetScenes().GetCount(), 2u);
}

TEST_F(ProjectScenes, UnloadTellsTheProjectThenKillsTheHandlesOfTheInstanceItsLayersAndItsScene)
{
    nProjectSceneInstance* instance = project.Instantiate("empty.nms");
    ASSERT_NE(instance, nullptr);
    CallScript("Keep", instance);
    ASSERT_EQ(project.GetLayers().GetCount(), 1u);
    CapturedLog log;
    CallScript("Check");
    project.Unload(instance);
    CallScript("Check");
    EXPECT_EQ(log.text, "[S] instance true, layer true, scene true, g_scene set\n"
                        "[S] unload, active true\n"
                        "[S] instance false, layer false, scene false, g_scene null\n");
    EXPECT_EQ(project.GetLayers().GetCount(), 0u);
    EXPECT_EQ(project.GetScenes().GetCount(), 0u);
}

// "g_scene" stays with a scene that is still alive when another one goes.
TEST_F(ProjectScenes, UnloadingAnotherSceneKeepsTheCurrentOne)
{
    files.Write("other.nms", EmptyScene);
    nProjectSceneInstance* gone = project.Instantiate("empty.nms");
    nProjectSceneInstance* kept = project.Instantiate("other.nms");
    ASSERT_TRUE(gone && kept);
    CallScript("Keep", gone);
    project.Unload(gone);
    kept->GetScene()->SetGlobal();
    CapturedLog log;
    CallScript("Check");
    EXPECT_EQ(log.text, "[S] instance false, layer false, scene false, g_scene set\n");
}

TEST_F(ProjectScenes, CloseTellsTheProjectFirst)
{
    ASSERT_NE(project.Instantiate("empty.nms"), nullptr);
    CapturedLog log;
    project.Close(false);
    EXPECT_EQ(log.text.rfind("[S] close\n", 0), 0u) << log.text;
    EXPECT_EQ(project.GetScenes().GetCount(), 0u);
}

TEST_F(ProjectScenes, TheProfilerListsEachActiveSceneWithItsStatistics)
{
    files.Write("other.nms", EmptyScene);
    nProjectSceneInstance* shown = project.Instantiate("empty.nms");
    nProjectSceneInstance* hidden = project.Instantiate("other.nms");
    ASSERT_TRUE(shown && hidden);
    project.AddLayer(shown, 1.0f);
    project.ActivateScene(hidden, false);
    CapturedLog log;
    project.PrintStats(nFontPair(), 32.0f, 32.0f);
    std::string texts;
    for (const RecordingRenderer::Text& text : renderer.texts)
        texts += text.text + "|";
    EXPECT_EQ(texts.find("Scene instance 'other.nms'"), std::string::npos) << texts;
    const std::string expected =
        "Scene list (2 instantiated, 1 active):\n\n|Layer stack:|  -> empty.nms\n|\n|"
        "Scene instance 'empty.nms':\n\n|Scene\n\n|Evaluate = ";
    EXPECT_NE(texts.find(expected), std::string::npos) << texts;
    const RecordingRenderer::Text& header = renderer.texts[5];
    const RecordingRenderer::Text& scene = renderer.texts[6];
    EXPECT_EQ(header.x, 32.0f + 16.0f);
    EXPECT_EQ(scene.x, header.x);
    EXPECT_EQ(scene.y, header.y + 16.0f);
}

} // namespace
