#include "render/gl/nGPURenderer.h"

#include "core/base/nLog.h"
#include "geometry/nMaterial.h"
#include "platform/nJobQueue.h"
#include "platform/nPlatform.h"
#include "render/gl/nEGLFBO.h"
#include "render/gl/nEGLMaterial.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nGPULightCullDisplayListJob.h"
#include "render/gl/nGPUTerrainCache.h"
#include "render/gl/nMaterialPassShader.h"
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
    return ForwardLightTable[static_cast<uint32_t>(lightType) +
                             4 * (2 * (projected ? 1 : 0) + (shadowed ? 1 : 0))];
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

// One culling job per light reaching the camera, all submitted before the first wait; a job that
// could not be made ends the list (the lights before it still draw).
void nGPURenderer::SubmitLightCullJobs(const nGPURenderPrimitiveList& list, LightCullJobs& jobs)
{
    nList<nLightSource*> lights;
    CollectCameraLights(lights);
    nJobQueue& queue = nPlatform::Get().GetJobQueue();
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
}

// Renders the light's shadow map when it casts one here, or records its projection; true when the
// light's shadowed program is to be used.
bool nGPURenderer::PrepareLight(nLightSource& light, const nLightSourceSettings& settings,
                                const nGPUPass& pass)
{
    const bool shadowed = m_shadowMapping && settings.shadowMode == nLightSourceSettings::ShadowMapMode &&
                          (pass.blendClass != nGPUPass::BlendTransparent || settings.shadowCastAll) &&
                          DrawLightShadow(light, pass);
    if (!shadowed)
        RecordProjectionSplit(light);
    return shadowed;
}

void nGPURenderer::ForwardLightPass(const nGPURenderPrimitiveList& list, uint32_t blendClass)
{
    if (blendClass == nGPUPass::BlendOpaque)
    {
        ForwardOpaquePass(list);
        return;
    }
    nGPUPass pass{nGPUPass::Base, blendClass, BasePassProgram, nullptr};
    ApplyPassState(pass);
    DrawPrimitiveList(list, pass);
    pass.lighting = nGPUPass::Light;
    ApplyPassState(pass);
    EnableDepthWrite(false);
    SetDepthFunc(DepthLessOrEqual);

    // The base pass brought every item's matrices up to date and the lights' are up to date, so
    // the jobs only read.
    LightCullJobs jobs;
    SubmitLightCullJobs(list, jobs);
    nJobQueue& queue = nPlatform::Get().GetJobQueue();
    for (std::unique_ptr<nGPULightCullDisplayListJob>& job : jobs)
    {
        queue.WaitForJob(job.get(), true);
        ++m_statistics.lightsProcessed;
        if (!job->HasOutput() || job->GetOutput().GetCount() == 0)
            continue;
        nLightSourceSettings settings;
        job->GetLight().GetLightSettings(settings);
        const bool shadowed = PrepareLight(job->GetLight(), settings, pass);
        const uint32_t program =
            ForwardLightProgram(settings.type, settings.projectionMap != nullptr, shadowed);
        if (program == NoLightProgram)
            continue;
        DrawPrimitiveList(job->GetOutput(), nGPUPass{nGPUPass::Light, blendClass, program, &job->GetLight()});
    }
    EndForwardLightPass();
}

void nGPURenderer::EndForwardLightPass()
{
    SetDepthFunc(DepthLess);
    EnableDepthWrite(true);
    EnableBlending(false);
    SetBlendFunc(FactorSourceAlpha, FactorOneMinusSourceAlpha);
}

namespace
{
constexpr uint32_t NoLight = 0xFFFFFFFFu;

// The entries of the source list whose mark passes the test, in their order.
template <typename Keep>
bool Select(const nGPURenderPrimitiveList& from, const nAutoArray<uint32_t>* sources, Keep keep,
            nGPURenderPrimitiveList& out)
{
    uint32_t count = 0;
    for (uint32_t index = 0; index < from.GetCount(); ++index)
        count += keep(sources ? *sources->At(index) : index) ? 1 : 0;
    if (!out.Resize(count))
        return false;
    uint32_t next = 0;
    for (uint32_t index = 0; index < from.GetCount() && next < count; ++index)
        if (keep(sources ? *sources->At(index) : index))
            *out.At(next++) = *from.At(index);
    return true;
}

// Whether the primitive's material has a linked program for its base terms summed with the light
// (built the first time it is asked for): one that failed draws nothing, so its items keep the
// base pass and the light's own pass.
bool CanSumWithLight(const nGPURenderPrimitive& primitive, uint32_t lightProgram)
{
    const nMaterial* material = GetPrimitiveMaterial(primitive);
    auto* gpuMaterial = material ? static_cast<nEGLMaterial*>(material->renderData.Get()) : nullptr;
    const nEGLProgram* program =
        gpuMaterial ? gpuMaterial->UseProgram(AmbientSummedPass(lightProgram)) : nullptr;
    return program && program->GetName() != 0;
}
} // namespace

// Opaque items: each item's base terms and the first light that reaches it (in the camera's light
// order) are summed in one draw, grouped by that light, then each light adds itself over the items
// it reaches that it did not light in the first draw. The sum is that of the base pass followed by
// one additive pass per light, rounded once fewer. The renderer holds one shadow atlas and one
// projection record, so only one light that needs them (the first in order that reaches anything)
// is summed with the base terms; its shadow map is drawn before any item. Items that no summable
// light reaches take the ambient program alone.
void nGPURenderer::ForwardOpaquePass(const nGPURenderPrimitiveList& list)
{
    // Matrices before the jobs, which only read them.
    for (uint32_t index = 0; index < list.GetCount(); ++index)
        if (nRenderItem* item = list.At(index)->item)
            item->UpdateRenderMatrices();
    LightCullJobs jobs;
    SubmitLightCullJobs(list, jobs);
    nJobQueue& queue = nPlatform::Get().GetJobQueue();
    struct LightDraw
    {
        nLightSourceSettings settings;
        bool reaches = false;
        bool needsRecord = false;
        bool shadowed = false;
        uint32_t program = NoLightProgram;
    };
    std::vector<LightDraw> draws(jobs.size());
    uint32_t recorded = NoLight;
    for (size_t index = 0; index < jobs.size(); ++index)
    {
        nGPULightCullDisplayListJob& job = *jobs[index];
        queue.WaitForJob(&job, true);
        ++m_statistics.lightsProcessed;
        LightDraw& draw = draws[index];
        job.GetLight().GetLightSettings(draw.settings);
        draw.reaches = job.HasOutput() && job.GetOutput().GetCount() > 0;
        draw.needsRecord =
            (m_shadowMapping && draw.settings.shadowMode == nLightSourceSettings::ShadowMapMode) ||
            (draw.settings.type == nLightSourceSettings::TypeSpot && draw.settings.projectionMap);
        if (draw.reaches && draw.needsRecord && recorded == NoLight &&
            ForwardLightProgram(draw.settings.type, draw.settings.projectionMap != nullptr, false) !=
                NoLightProgram)
            recorded = uint32_t(index);
    }

    const nGPUPass basePass{nGPUPass::Base, nGPUPass::BlendOpaque, BasePassProgram, nullptr};
    if (recorded != NoLight)
    {
        LightDraw& draw = draws[recorded];
        draw.shadowed = PrepareLight(jobs[recorded]->GetLight(), draw.settings, basePass);
        EnableDepthWrite(true);
        SetDepthFunc(DepthLess);
        EnableBlending(false);
    }
    ApplyPassState(basePass);

    // Each entry's summed light: the first light in order that reaches it and can be summed.
    std::vector<uint32_t> firstLight(list.GetCount(), NoLight);
    for (size_t index = 0; index < jobs.size(); ++index)
    {
        LightDraw& draw = draws[index];
        draw.program =
            ForwardLightProgram(draw.settings.type, draw.settings.projectionMap != nullptr, draw.shadowed);
        if (!draw.reaches || draw.program == NoLightProgram || (draw.needsRecord && index != recorded))
            continue;
        const nAutoArray<uint32_t>& sources = jobs[index]->GetOutputSources();
        for (uint32_t entry = 0; entry < sources.GetCount(); ++entry)
        {
            uint32_t& first = firstLight[*sources.At(entry)];
            if (first == NoLight && CanSumWithLight(*list.At(*sources.At(entry)), draw.program))
                first = uint32_t(index);
        }
    }

    // The groups below are together the base pass: the terrain cache ages once for them.
    if (m_terrainCache)
        m_terrainCache->Age();
    nGPURenderPrimitiveList group(MemCategoryRenderer);
    for (size_t index = 0; index < jobs.size(); ++index)
        if (Select(
                list, nullptr, [&](uint32_t entry) { return firstLight[entry] == index; }, group) &&
            group.GetCount() > 0)
            DrawPrimitives(group,
                           nGPUPass{nGPUPass::Base, nGPUPass::BlendOpaque,
                                    AmbientSummedPass(draws[index].program), &jobs[index]->GetLight()});
    if (Select(
            list, nullptr, [&](uint32_t entry) { return firstLight[entry] == NoLight; }, group) &&
        group.GetCount() > 0)
        DrawPrimitives(group, basePass);

    const nGPUPass lightPass{nGPUPass::Light, nGPUPass::BlendOpaque, BasePassProgram, nullptr};
    ApplyPassState(lightPass);
    EnableDepthWrite(false);
    SetDepthFunc(DepthLessOrEqual);
    for (size_t index = 0; index < jobs.size(); ++index)
    {
        LightDraw& draw = draws[index];
        // A light without a program draws nothing, so it must not take the shadow atlas or the
        // projection record from the light summed with the base terms.
        if (!draw.reaches || draw.program == NoLightProgram)
            continue;
        const nGPULightCullDisplayListJob& job = *jobs[index];
        if (!Select(
                job.GetOutput(), &job.GetOutputSources(),
                [&](uint32_t entry) { return firstLight[entry] != index; }, group) ||
            group.GetCount() == 0)
            continue;
        if (index != recorded)
            draw.program = ForwardLightProgram(draw.settings.type, draw.settings.projectionMap != nullptr,
                                               PrepareLight(job.GetLight(), draw.settings, lightPass));
        if (draw.program != NoLightProgram)
            DrawPrimitiveList(
                group, nGPUPass{nGPUPass::Light, nGPUPass::BlendOpaque, draw.program, &job.GetLight()});
    }
    EndForwardLightPass();
}
