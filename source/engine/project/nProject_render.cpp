#include "engine/project/nProject.h"

#include "core/math/nColor.h"
#include "engine/Quenvar.h"
#include "engine/project/nProjectLayer.h"
#include "engine/project/nProjectSceneInstance.h"
#include "engine/scene/nScene.h"
#include "platform/nStopSignal.h"
#include "render/nFontPair.h"
#include "render/nRenderer.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"
#include "ui/nScene2D.h"

#include <utility>

namespace
{
constexpr uint32_t ClearEverything = 0xFFFFFFFFu;
constexpr uint32_t ClearDepth = 2;
constexpr float StatsIndent = 16.0f;
} // namespace

void nProject::SortLayers()
{
    bool swapped = true;
    while (swapped)
    {
        swapped = false;
        for (auto* node = m_layers.GetHead(); node && node->next; node = node->next)
        {
            if (node->value->GetZOrder() < node->next->value->GetZOrder())
            {
                std::swap(node->value, node->next->value);
                swapped = true;
            }
        }
    }
}

void nProject::Render(uint32_t flags)
{
    if (!CheckNotBusy("nProject::Render"))
        return;
    SortLayers();
    SendEvent("OnRender", nullptr, nullptr);
    // Held over the whole walk, events included: an event that unloaded a layer's instance would
    // leave the walk on freed memory.
    m_busy = true;
    bool first = true;
    // A layer added by an event of this walk is drawn from the next frame on.
    nListWalk<nProjectLayer*> layers = m_layers.BeginWalk();
    while (nProjectLayer* layer = m_layers.Next(layers))
    {
        if (IsStopRequested())
            break;
        nProjectSceneInstance* instance = layer->GetInstance();
        if (!instance || !instance->IsActive())
            continue;
        RenderLayer(layer, flags, first);
        first = false;
    }
    m_busy = false;
}

void nProject::RenderLayer(nProjectLayer* layer, uint32_t flags, bool first)
{
    nRenderer* renderer = m_engine->GetRenderer();
    nProjectSceneInstance* instance = layer->GetInstance();
    renderer->BeginFrame();
    if (!(flags & RenderWithoutScripts))
    {
        const nScriptValue layerHandle(ObjectTypeProjectLayer, layer);
        if (instance->GetScene())
        {
            const nScriptValue sceneHandle(ObjectTypeScene, instance->GetScene());
            SendEvent("OnRenderScene", &sceneHandle, &layerHandle);
        }
        else if (instance->GetScene2D())
        {
            const nScriptValue sceneHandle(ObjectTypeWindowSystem, instance->GetScene2D());
            SendEvent("OnRenderScene", &sceneHandle, &layerHandle);
        }
        else
        {
            SendEvent("OnRenderScene", &layerHandle, nullptr);
        }
    }
    nScene* scene = instance->GetScene();
    if (first)
    {
        const nColor background = scene ? scene->GetBackgroundColor() : nColor(0.0f, 0.0f, 0.0f, 1.0f);
        renderer->ClearFrame(background.r, background.g, background.b, 1.0f, 1.0f, ClearEverything);
    }
    else
    {
        renderer->ClearFrame(0.0f, 0.0f, 0.0f, 1.0f, 1.0f, ClearDepth);
    }
    if (scene)
        RenderScene(scene, flags);
    else if (nScene2D* scene2D = instance->GetScene2D())
        scene2D->Render((flags & RenderWithoutScripts) != 0);
    renderer->EndFrame();
}

void nProject::RenderScene(nScene* scene, uint32_t flags)
{
    nRenderer* renderer = m_engine->GetRenderer();
    const bool withoutScripts = (flags & RenderWithoutScripts) != 0;
    const nScene::UseScope use(*scene);
    scene->RegisterAsPropertyCallback(renderer);
    scene->RenderSetup(0);
    if (withoutScripts)
    {
        scene->RenderToQueue(SceneRenderDisableScript);
    }
    else
    {
        SetCurrentScene(scene);
        scene->RenderToQueue(SceneRenderClearViewport);
    }
    renderer->RenderQueue();
    renderer->ResetRenderQueue();
    scene->SendRenderDone(withoutScripts ? SceneRenderDisableScript : SceneRenderClearViewport);
    scene->RenderUI(0);
}

void nProject::PrintStats(const nFontPair& fonts, float x, float y)
{
    nRenderer* renderer = m_engine->GetRenderer();
    const nTextFlags textFlags;
    auto write = [&](nRasterFont* font, const nString& text)
    { renderer->Write(font, text.GetText(), x, y, textFlags, 1.0f, nullptr, 0); };
    nPerfCounter& frames = m_engine->GetFrameCounter();
    write(fonts.bold, nString::Format("Perf. = %0.02f fps (%0.02f ms)\n\n", double(frames.GetRate()),
                                      double(frames.GetAverage())));
    write(fonts.bold, nString::Format("Scene list (%d instantiated, %d active):\n\n",
                                      int(m_scenes.GetCount()), int(CountActiveScenes())));
    write(fonts.bold, "Layer stack:");
    for (auto* node = m_layers.GetTail(); node; node = node->prev)
    {
        nProjectSceneInstance* instance = node->value->GetInstance();
        write(fonts.regular,
              nString::Format("  -> %s\n", instance ? instance->GetName().GetText() : "No Instance"));
    }
    write(fonts.regular, "\n");
    x += StatsIndent;
    for (auto* node = m_scenes.GetHead(); node; node = node->next)
    {
        nProjectSceneInstance* instance = node->value;
        if (!instance->IsActive())
            continue;
        write(fonts.bold, nString::Format("Scene instance '%s':\n\n", instance->GetName().GetText()));
        if (nScene* scene = instance->GetScene())
            scene->PrintStats(fonts, x, y);
        else if (nScene2D* scene2D = instance->GetScene2D())
            scene2D->DrawStatistics(fonts, x, y);
    }
}

void nProject::RenderOutsideFrame()
{
    m_engine->BeginFrame();
    Render(RenderWithoutScripts);
    nRenderer* renderer = m_engine->GetRenderer();
    renderer->PresentFrame();
    renderer->EndPresent();
}
