#include "viewer/QuenvarViewerBase.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "engine/scene/nScene.h"
#include "render/nRenderer.h"

#include <new>

namespace
{
constexpr int32_t SceneOctreeParameter = 1024;
constexpr uint32_t SceneRenderStepFlags = 1;
constexpr float ProfilerMargin = 32.0f;
} // namespace

bool QuenvarViewerBase::OpenScene()
{
    m_scene = new (std::nothrow) nScene(&m_engine, &m_project.GetVM());
    if (!m_scene)
    {
        nLogHolder::Get() << "[!] Failed to create scene object.\n";
        return false;
    }
    if (!m_scene->CreatePhysicWorld())
        return false;
    if (!m_scene->LoadFromFile(m_inputPath.GetText(), nullptr, ImportFlagAll, 0))
        return false;
    m_scene->RegisterAsPropertyCallback(m_engine.GetRenderer());
    m_scene->SetGlobal();
    m_scene->Setup(true, SceneOctreeParameter);
    m_scene->Reset();
    return true;
}

void QuenvarViewerBase::StepScene(bool& endRequested)
{
    m_project.UpdateScriptClock();
    m_scene->Update(SceneUpdateAll);
    nRenderer* renderer = m_engine.GetRenderer();
    m_scene->RenderSetup(SceneRenderStepFlags);
    m_scene->RenderToQueue(SceneRenderStepFlags);
    renderer->BeginFrame();
    renderer->RenderQueue();
    renderer->EndFrame();
    renderer->ResetRenderQueue();
    m_scene->SendRenderDone(SceneRenderStepFlags);
    m_scene->RenderUI(0);
    if (m_profiler)
    {
        float x = ProfilerMargin;
        float y = ProfilerMargin;
        m_engine.DrawProfile(m_profilerFonts, x, y);
        m_scene->PrintStats(m_profilerFonts, x, y);
    }
    endRequested = (m_scene->GetRenderFlags() & SceneRenderFlagEnded) != 0;
    if (!m_raytraceOutputDirectory.IsEmpty())
        RaytraceFrame();
}
