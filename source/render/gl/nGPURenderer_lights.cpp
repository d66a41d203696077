#include "render/gl/nGPURenderer.h"

#include "core/base/nLog.h"
#include "platform/nJobQueue.h"
#include "platform/nPlatform.h"
#include "render/gl/nEGLFBO.h"
#include "render/gl/nGPULightCullDisplayListJob.h"
#include "render/nLightSource.h"
#include "render/nRenderItem.h"
#include "render/nRenderLight.h"
#include "render/nRenderView.h"
#include "render/nRendererEnvironmentInterface.h"

#include <memory>
#include <new>
#include <vector>

namespace
{
constexpr uint32_t DepthLess = 1;
constexpr uint32_t DepthLessOrEqual = 2;
constexpr uint32_t FactorSourceAlpha = 2;
constexpr uint32_t FactorOneMinusSourceAlpha = 3;
constexpr uint32_t BasePassProgram = 2;
constexpr uint32_t MaxLights = 0xFFFFFFFFu;

// Rows by (projection texture, shadow); columns by light type.
constexpr uint32_t ForwardLightTable[16] = {
    nGPURenderer::NoLightProgram, 3, 5, 7, nGPURenderer::NoLightProgram, 4, 6, 8,
    nGPURenderer::NoLightProgram, 3, 5, 9, nGPURenderer::NoLightProgram, 4, 6, 10,
};

// The renderer's data of one light: nothing the forward frame needs beyond the light itself.
class nGPULight : public nRenderLight
{
public:
    using nRenderLight::nRenderLight;
};
} // namespace

uint32_t nGPURenderer::ForwardLightProgram(int32_t lightType, bool projected, bool shadowed)
{
    if (lightType < 0 || lightType > 3)
        return NoLightProgram;
    return ForwardLightTable[static_cast<uint32_t>(lightType) + 4 * (2 * (projected ? 1 : 0) + (shadowed ? 1 : 0))];
}

nRenderLight* nGPURenderer::SetupLight(nLight* light)
{
    auto* data = new (std::nothrow) nGPULight(this);
    if (!data)
    {
        nLogHolder::Get() << "[!] Failed to allocate GPU data.\n";
        return nullptr;
    }
    UpdateLight(light, data);
    return data;
}

// The atlas is drawn with depth writes on; the frame target and the pass state come back after.
bool nGPURenderer::DrawLightShadow(nLightSource& light, const nGPUPass& pass)
{
    EnableDepthWrite(true);
    const bool drawn = RenderShadowMap(light);
    EnableDepthWrite(false);
    if (m_renderToTexture && m_currentTarget)
        m_currentTarget->Bind();
    ApplyPassState(pass);
    SetDepthFunc(DepthLessOrEqual);
    return drawn;
}

void nGPURenderer::CollectCameraLights(nList<nLightSource*>& lights)
{
    nRendererEnvironmentInterface* environment = GetEnvironment();
    if (!environment || !m_viewCamera)
        return;
    const nVector eye = m_viewCamera->GetViewWorldMatrix().GetTranslation();
    environment->GetLightsAt(nVector(eye.x, eye.y, eye.z, 1.0f), m_viewFrustum, lights, MaxLights);
    for (auto* node = lights.GetHead(); node; node = node->next)
        node->value->UpdateLightMatrices();
}

void nGPURenderer::ForwardLightPass(const nGPURenderPrimitiveList& list, uint32_t blendClass)
{
    nGPUPass pass{nGPUPass::Base, blendClass, BasePassProgram, nullptr};
    ApplyPassState(pass);
    DrawPrimitiveList(list, pass);
    pass.lighting = nGPUPass::Light;
    ApplyPassState(pass);

    nList<nLightSource*> lights;
    CollectCameraLights(lights);
    EnableDepthWrite(false);
    SetDepthFunc(DepthLessOrEqual);

    // The base pass brought every item's matrices up to date and the lights' are up to date, so
    // the jobs only read.
    nJobQueue& queue = nPlatform::Get().GetJobQueue();
    std::vector<std::unique_ptr<nGPULightCullDisplayListJob>> jobs;
    for (auto* node = lights.GetHead(); node; node = node->next)
    {
        auto* job = new (std::nothrow) nGPULightCullDisplayListJob(*node->value, list);
        if (!job)
        {
            nLogHolder::Get() << "[!] Failed to allocate light culling job.\n";
            break;
        }
        jobs.emplace_back(job);
        if (!queue.AddJob(job))
            job->Run(queue);
    }
    for (std::unique_ptr<nGPULightCullDisplayListJob>& job : jobs)
    {
        queue.WaitForJob(job.get(), true);
        ++m_statistics.lightsProcessed;
        if (!job->HasOutput() || job->GetOutput().GetCount() == 0)
            continue;
        nLightSourceSettings settings;
        job->GetLight().GetLightSettings(settings);
        const bool shadowed = m_shadowMapping && settings.shadowMode == nLightSourceSettings::ShadowMapMode &&
                              (blendClass != nGPUPass::BlendTransparent || settings.shadowCastAll) &&
                              DrawLightShadow(job->GetLight(), pass);
        if (!shadowed)
            RecordProjectionSplit(job->GetLight());
        const uint32_t program = ForwardLightProgram(settings.type, settings.projectionMap != nullptr, shadowed);
        if (program == NoLightProgram)
            continue;
        DrawPrimitiveList(job->GetOutput(), nGPUPass{nGPUPass::Light, blendClass, program, &job->GetLight()});
    }
    SetDepthFunc(DepthLess);
    EnableDepthWrite(true);
    EnableBlending(false);
    SetBlendFunc(FactorSourceAlpha, FactorOneMinusSourceAlpha);
}
