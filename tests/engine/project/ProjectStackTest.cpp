#include "api/ScriptApi.h"
#include "engine/Quenvar.h"
#include "engine/project/nProject.h"
#include "engine/project/nProjectLayer.h"
#include "engine/project/nProjectSceneInstance.h"
#include "engine/scene/nScene.h"
#include "render/nFontPair.h"
#include "ui/nScene2D.h"
#include "support/CapturedLog.h"
#include "support/RecordingRenderer.h"
#include "support/TemporaryFiles.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

const char* const StackScript = R"(
class Main
{
    function OnRender(p) { print("render"); }
    function OnRenderScene(p, scene, layer) { print("layer " + ProjectLayerGetZOrder(layer)); }
    function OnActivateScene(p, instance) { print("activate, was " + ProjectSceneIsActive(p, instance)); }
}
)";

constexpr uint32_t ClearDepthOnly = 2;

// A project opened on a recording renderer, with scene instances it does not own (the stack only
// points at them).
class ProjectStack : public ::testing::Test
{
protected:
    ProjectStack()
    {
        engine.SetRenderer(&renderer);
        files.Write("main.nut", StackScript);
        project.GetScriptUnit().SetScript("main.nut");
        project.GetScriptUnit().SetClassName("Main");
        EXPECT_TRUE(project.Open(true));
    }
    ~ProjectStack() override
    {
        instances.clear();
        project.Close(true);
        engine.SetRenderer(nullptr);
    }

    nProjectSceneInstance* NewInstance(const char* name)
    {
        nScene* scene = new nScene(&engine, &project.GetVM());
        scene->SetName(name);
        instances.push_back(std::make_unique<nProjectSceneInstance>(scene));
        return instances.back().get();
    }

    TemporaryFiles files;
    Quenvar engine;
    RecordingRenderer renderer{&engine};
    nProject project{&engine, RegisterScriptApi};
    std::vector<std::unique_ptr<nProjectSceneInstance>> instances;
};

TEST_F(ProjectStack, LayersDrawFromTheLargestZOrderAndOnlyTheFirstClearsColour)
{
    project.AddLayer(NewInstance("one"), 1.0f);
    project.AddLayer(NewInstance("three"), 3.0f);
    project.AddLayer(NewInstance("two"), 2.0f);
    CapturedLog log;
    project.Render(0);
    EXPECT_EQ(log.text, "[S] render\n[S] layer 3\n[S] layer 2\n[S] layer 1\n");
    ASSERT_EQ(renderer.clears.size(), 3u);
    EXPECT_NE(renderer.clears[0].flags & ~ClearDepthOnly, 0u);
    EXPECT_EQ(renderer.clears[1].flags, ClearDepthOnly);
    EXPECT_EQ(renderer.clears[2].flags, ClearDepthOnly);
    EXPECT_EQ(renderer.CountCalls("BeginFrame"), 3u);
    EXPECT_EQ(renderer.CountCalls("EndFrame"), 3u);
}

TEST_F(ProjectStack, AnInactiveInstanceIsSkippedAndIsNotTheFirstLayer)
{
    nProjectSceneInstance* hidden = NewInstance("hidden");
    project.AddLayer(hidden, 5.0f);
    project.AddLayer(NewInstance("shown"), 1.0f);
    project.AddLayer(nullptr, 9.0f);
    CapturedLog log;
    project.ActivateScene(hidden, false);
    EXPECT_FALSE(hidden->IsActive());
    project.Render(0);
    EXPECT_EQ(log.text, "[S] activate, was true\n[S] render\n[S] layer 1\n");
    ASSERT_EQ(renderer.clears.size(), 1u);
    EXPECT_NE(renderer.clears[0].flags, ClearDepthOnly);
}

TEST_F(ProjectStack, RenderingWithoutScriptsStillCallsOnRender)
{
    project.AddLayer(NewInstance("one"), 1.0f);
    CapturedLog log;
    project.Render(nProject::RenderWithoutScripts);
    EXPECT_EQ(log.text, "[S] render\n");
    EXPECT_EQ(renderer.clears.size(), 1u);
}

TEST_F(ProjectStack, FindSceneComparesTheSceneNameAndCountsActiveInstances)
{
    EXPECT_EQ(project.FindScene("nothing"), nullptr);
    EXPECT_EQ(project.CountActiveScenes(), 0u);
    nProjectSceneInstance* instance = NewInstance("named");
    EXPECT_EQ(instance->GetName(), "named");
    EXPECT_EQ(instance->GetKind(), ProjectSceneScene3D);
}

TEST_F(ProjectStack, UnloadingAnInstanceTheProjectDoesNotHoldWarnsAndKeepsIt)
{
    nProjectSceneInstance* instance = NewInstance("loose");
    nProjectLayer* layer = project.AddLayer(instance, 1.0f);
    ASSERT_NE(layer, nullptr);
    CapturedLog log;
    project.Unload(instance);
    EXPECT_EQ(log.text, "[*] Trying to unload an invalid scene instance.\n");
    EXPECT_EQ(project.GetLayers().GetCount(), 0u);
    EXPECT_EQ(instance->GetName(), "loose");
}

TEST_F(ProjectStack, MissingAndForeignFilesInstantiateNothing)
{
    files.Write("project.ngp", "<NML=1.0>\n<Environment=<Name=\"x\">>");
    CapturedLog log;
    EXPECT_EQ(project.Instantiate("missing.nms"), nullptr);
    EXPECT_NE(log.text.find("[!] Could not instantiate scene 'missing.nms', file not found.\n"),
              std::string::npos);
    EXPECT_EQ(project.Instantiate("project.ngp"), nullptr);
    EXPECT_EQ(project.GetScenes().GetCount(), 0u);
}

TEST_F(ProjectStack, AScene2dFileBecomesA2DInstanceThatItsLayerDraws)
{
    files.Write("ui.n2d", "<NML=1.0>\n<Scene2d=<ScriptUnit=<Script=\"ui.nut\"><Class=\"UI\">>"
                          "<Sprites=<Window=<Sprite2d=<Item2d=<Name=\"w\">>>>>>");
    files.Write("ui.nut", "class UI { function OnSetup(ui) { print(\"2d setup\"); }\n"
                          "function OnReset(ui) { print(\"2d reset\"); }\n"
                          "function OnUpdate(ui, dt) { print(\"2d update\"); } }");
    CapturedLog log;
    nProjectSceneInstance* instance = project.Instantiate("ui.n2d");
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance->GetKind(), ProjectSceneScene2D);
    EXPECT_EQ(instance->GetScene(), nullptr);
    ASSERT_NE(instance->GetScene2D(), nullptr);
    EXPECT_EQ(instance->GetName(), "ui.n2d");
    EXPECT_EQ(project.Instantiate("ui.n2d"), instance);
    project.AddLayer(instance, 1.0f);
    project.Evaluate(SceneUpdateAll);
    project.Render(0);
    project.Render(nProject::RenderWithoutScripts);
    EXPECT_EQ(log.text, "[S] 2d setup\n[S] 2d reset\n[S] render\n[S] layer 1\n[S] 2d update\n[S] render\n");
    ASSERT_EQ(renderer.clears.size(), 2u);
    EXPECT_EQ(renderer.clears[0].colour.r, 0.0f);
    EXPECT_EQ(renderer.triangleBatches.size(), 4u);

    std::string texts;
    project.PrintStats(nFontPair(), 0.0f, 0.0f);
    for (const RecordingRenderer::Text& text : renderer.texts)
        texts += text.text + "|";
    EXPECT_NE(texts.find("Scene instance 'ui.n2d':\n\n|Scene 2D:\n\n|Window count = 1\n\n|"), std::string::npos)
        << texts;
    project.Unload(instance);
    EXPECT_EQ(project.GetScenes().GetCount(), 0u);
}

// A renderer that, while it draws a layer's scene, tries to change the stack.
class MeddlingRenderer : public RecordingRenderer
{
public:
    using RecordingRenderer::RecordingRenderer;

    void RenderQueue() override
    {
        RecordingRenderer::RenderQueue();
        project->Unload(victim);
        project->Render(0);
    }

    nProject* project = nullptr;
    nProjectSceneInstance* victim = nullptr;
};

TEST_F(ProjectStack, TheStackCannotChangeWhileALayerIsDrawn)
{
    MeddlingRenderer meddler(&engine);
    meddler.project = &project;
    meddler.victim = NewInstance("drawn");
    engine.SetRenderer(&meddler);
    project.AddLayer(meddler.victim, 1.0f);
    CapturedLog log;
    project.Render(nProject::RenderWithoutScripts);
    EXPECT_EQ(log.text,
              "[S] render\n"
              "[!] Cannot call 'nProject::Unload' while rendering or evaluating the project scene stack.\n"
              "[!] Cannot call 'nProject::Render' while rendering or evaluating the project scene stack.\n");
    EXPECT_EQ(project.GetLayers().GetCount(), 1u);
    EXPECT_FALSE(project.IsBusy());
    instances.clear(); // the scene knows the renderer it drew with
    engine.SetRenderer(&renderer);
}

TEST_F(ProjectStack, CloseEmptiesTheStackAndClearsTheEndRequest)
{
    project.AddLayer(nullptr, 1.0f);
    project.RequestEnd();
    EXPECT_TRUE(project.IsEnded());
    project.Close(false);
    EXPECT_FALSE(project.IsEnded());
    EXPECT_EQ(project.GetLayers().GetCount(), 0u);
    EXPECT_TRUE(project.GetScriptUnit().GetScript().IsEmpty());
    EXPECT_TRUE(project.GetVM().IsOpen());
}

} // namespace
