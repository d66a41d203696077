#include "render/gl/nGPURenderer.h"

#include "core/base/nLog.h"
#include "core/math/nFrustum.h"
#include "render/gl/nEGLFBO.h"
#include "render/gl/nEGLTexture.h"
#include "render/gl/nGPUShadowView.h"
#include "render/nLightSource.h"
#include "render/nRenderView.h"

#include <cmath>

namespace
{
constexpr uint32_t CullBackFaces = 1;
constexpr uint32_t ShadowCasterPass = 1;
constexpr uint32_t ShadowCasterProgram = 0;

constexpr float PointFieldOfView = 1.6580628f; // 95 degrees: neighbouring faces overlap
constexpr float PointZNear = 0.1f;
constexpr float Pi = 3.14159265358979f;

struct PointFace
{
    float cellX;
    float cellY;
    float turnX;
    float turnY;
};
// A 3 x 2 grid of cells; the fractions are those the point shadow programs test against.
constexpr PointFace PointFaces[6] = {
    {0.0f, 0.0f, 0.0f, 0.0f},        {0.33f, 0.0f, 0.0f, Pi / 2.0f},  {0.66f, 0.0f, 0.0f, Pi},
    {0.0f, 0.5f, 0.0f, 3.0f * Pi / 2.0f}, {0.33f, 0.5f, Pi / 2.0f, 0.0f}, {0.66f, 0.5f, 3.0f * Pi / 2.0f, 0.0f},
};

// A square perspective projection looking down +Z, depth 0 at zNear and 1 at zFar.
nMatrix4 Perspective(float fieldOfView, float zNear, float zFar)
{
    nMatrix4 out;
    for (float& element : out.m)
        element = 0.0f;
    const float half = 0.5f * fieldOfView;
    out.m[0] = out.m[5] = std::cos(half) / std::sin(half);
    out.m[10] = zFar / (zFar - zNear);
    out.m[11] = -zNear * zFar / (zFar - zNear);
    out.m[14] = 1.0f;
    return out;
}
} // namespace

void nGPURenderer::RenderShadowPointFaces(nLightSource& light, const nLightSourceSettings& settings)
{
    // A point light of range 0 reaches everything: its shadow camera reaches as far as its volume.
    float zFar = settings.range > 0.0f ? settings.range : settings.volumeRange;
    if (!(zFar > PointZNear * 2.0f))
        zFar = 1000.0f;
    const nMatrix4 projection = Perspective(PointFieldOfView, PointZNear, zFar);
    const nVector position = light.GetLightWorldMatrix().GetTranslation();
    const float size = static_cast<float>(m_shadowMapSize);
    for (uint32_t face = 0; face < 6; ++face)
    {
        const PointFace& cell = PointFaces[face];
        const nMatrix4 world = nMatrix4::ComposeEuler(nVector(position.x, position.y, position.z, 1.0f),
                                                      nVector(cell.turnX, cell.turnY, 0.0f, 0.0f),
                                                      nVector(1.0f, 1.0f, 1.0f, 0.0f), 0);
        nFrustum frustum;
        frustum.SetPerspective(PointFieldOfView, PointZNear, zFar, &world, 1.0f, 1.0f);
        nGPUShadowView shadowView(world, projection, frustum);
        SetViewport(static_cast<int32_t>(cell.cellX * size), static_cast<int32_t>(cell.cellY * size),
                    static_cast<int32_t>(size / 3.0f), static_cast<int32_t>(size / 2.0f));
        RenderShadowCasters(shadowView);
        ShadowSplit& split = m_shadowSplits[face];
        split.farDistance = zFar;
        split.cameraWorld = world;
        split.shadowMatrix = shadowView.ShadowMatrix(cell.cellX, cell.cellY, 1.0f / 3.0f, 0.5f);
    }
    m_shadowSplitCount = 6;
}

void nGPURenderer::RenderShadowCasters(nRenderView& shadowView)
{
    SetViewItem(GetViewItem(), &shadowView);
    ApplyView();
    nAutoList<nRenderablePrimitive*> collected;
    CollectRenderPrimitives(ShadowCasterPass, collected);
    nGPURenderPrimitiveList opaque(MemCategoryRenderer);
    nGPURenderPrimitiveList transparent(MemCategoryRenderer);
    SplitPrimitives(collected, opaque, transparent);
    DrawPrimitiveList(opaque, nGPUPass{nGPUPass::Base, nGPUPass::BlendOpaque, ShadowCasterProgram, nullptr});
}

// The spot's one cell is the whole atlas; its camera spans the light's z-near to its volume range.
void nGPURenderer::RecordSpotSplit(nLightSource& light, const nLightSourceSettings& settings, bool drawCasters)
{
    nMatrix4 projection;
    light.ComputeProjectionMatrix(projection);
    nGPUShadowView shadowView(light.GetLightWorldMatrix(), projection, light.GetLightFrustum());
    if (drawCasters)
        RenderShadowCasters(shadowView);
    ShadowSplit& split = m_shadowSplits[0];
    split.farDistance = settings.volumeRange;
    split.cameraWorld = shadowView.GetViewWorldMatrix();
    split.shadowMatrix = shadowView.ShadowMatrix(0.0f, 0.0f, 1.0f, 1.0f);
    m_shadowSplitCount = 1;
    m_shadowLight = &light;
}

void nGPURenderer::RecordProjectionSplit(nLightSource& light)
{
    nLightSourceSettings settings;
    light.GetLightSettings(settings);
    if (settings.type == nLightSourceSettings::TypeSpot && settings.projectionMap)
        RecordSpotSplit(light, settings, false);
}

uint32_t nGPURenderer::ClampShadowMapSize(int32_t size) const
{
    const uint32_t largest = GetMaxTextureSize();
    uint32_t clamped = size < static_cast<int32_t>(MinShadowMapSize) ? MinShadowMapSize : static_cast<uint32_t>(size);
    if (largest >= MinShadowMapSize && clamped > largest)
        clamped = largest;
    if (clamped != static_cast<uint32_t>(size))
        nLogHolder::Get() << "[*] ShadowMapping:Size " << size << " taken as " << clamped << ".\n";
    return clamped;
}

bool nGPURenderer::RenderShadowMap(nLightSource& light)
{
    m_shadowSplitCount = 0;
    m_shadowLight = nullptr;
    nEGLTexture* atlas = m_shadowMaps[0].get();
    nRenderView* viewCamera = GetViewCamera();
    if (!m_shadowFBO || !atlas || !GetViewItem() || !viewCamera)
        return false;
    nLightSourceSettings settings;
    light.GetLightSettings(settings);
    if (settings.type != nLightSourceSettings::TypeSpot && settings.type != nLightSourceSettings::TypePoint &&
        settings.type != nLightSourceSettings::TypeParallel)
        return false;

    int32_t viewport[4];
    GetViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    if (!m_shadowFBO->Bind())
        return false;
    m_shadowFBO->SetDepthTexture(atlas);
    ResetBatchState();
    SetCullFace(CullBackFaces);
    const int32_t size = static_cast<int32_t>(m_shadowMapSize);
    SetViewport(0, 0, size, size);
    ClearFrame(0.0f, 0.0f, 0.0f, 0.0f, 1.0f, ClearDepth);

    if (settings.type == nLightSourceSettings::TypePoint)
        RenderShadowPointFaces(light, settings);
    else if (settings.type == nLightSourceSettings::TypeParallel)
        RenderShadowParallelSplits(light, settings, *viewCamera);
    else
        RecordSpotSplit(light, settings, true);
    m_shadowLight = &light;

    m_shadowFBO->Unbind();
    SetViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    SetViewItem(GetViewItem(), viewCamera);
    ApplyView();
    ResetBatchState();
    return true;
}
