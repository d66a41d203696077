#include "render/gl/nGPURenderer.h"

#include "core/math/nFrustum.h"
#include "render/gl/nGPUShadowView.h"
#include "render/nLightSource.h"
#include "render/nRenderView.h"

#include <algorithm>
#include <cmath>

namespace
{
// The logarithmic term divides by the near distance.
constexpr float MinPSSMNear = 0.001f;
// A slice that collapses to a point or a plane still gets a projection that divides by nothing.
constexpr float MinShadowExtent = 0.001f;
constexpr uint32_t MaxPSSMSplits = 4;
// The splits' cells of the atlas, a 2 x 2 grid.
constexpr float SplitCells[MaxPSSMSplits][2] = {{0.0f, 0.0f}, {0.5f, 0.0f}, {0.0f, 0.5f}, {0.5f, 0.5f}};

// The eight corners of the view frustum cut at the depths from and to: each edge of the frustum
// runs straight from its near corner to its far one, perspective or orthographic alike.
void SliceCorners(const nFrustum& frustum, float zNear, float zFar, float from, float to, nVector* out)
{
    const float span = zFar - zNear;
    for (int corner = 0; corner < 4; ++corner)
    {
        const nVector& nearCorner = frustum.corners[corner];
        const nVector edge = frustum.corners[corner + 4] - nearCorner;
        const float fromShare = span > 0.0f ? (from - zNear) / span : 0.0f;
        const float toShare = span > 0.0f ? (to - zNear) / span : 1.0f;
        out[corner] = nearCorner + edge * fromShare;
        out[corner + 4] = nearCorner + edge * toShare;
    }
}

// An orthographic camera turned like the light, far enough behind the slice that casters between
// the light and the slice are drawn too.
struct FittedCamera
{
    nMatrix4 world;
    float width = 0.0f;
    float height = 0.0f;
    float zFar = 0.0f;
};

FittedCamera FitToSlice(const nMatrix4& lightWorld, const nVector* corners, float pullBack)
{
    const nMatrix4 turn = lightWorld.Orthonormalize();
    const nVector axes[3] = {turn.GetColumn(0, false), turn.GetColumn(1, false), turn.GetColumn(2, false)};
    nVector low = corners[0], high = corners[0];
    for (int corner = 0; corner < 8; ++corner)
    {
        const nVector inLight(axes[0].Dot(corners[corner]), axes[1].Dot(corners[corner]), axes[2].Dot(corners[corner]));
        low = corner ? low.Min(inLight) : inLight;
        high = corner ? high.Max(inLight) : inLight;
    }
    const nVector centre = (low + high) * 0.5f;
    const nVector position =
        axes[0] * centre.x + axes[1] * centre.y + axes[2] * (centre.z - pullBack);

    FittedCamera fitted;
    fitted.world = turn;
    fitted.world.SetColumn(3, nVector(position.x, position.y, position.z, 1.0f));
    float reachX = 0.0f, reachY = 0.0f, reachZ = 0.0f;
    for (int corner = 0; corner < 8; ++corner)
    {
        const nVector offset = corners[corner] - position;
        reachX = std::max(reachX, std::fabs(axes[0].Dot(offset)));
        reachY = std::max(reachY, std::fabs(axes[1].Dot(offset)));
        reachZ = std::max(reachZ, axes[2].Dot(offset));
    }
    fitted.width = std::max(2.0f * reachX, MinShadowExtent);
    fitted.height = std::max(2.0f * reachY, MinShadowExtent);
    fitted.zFar = std::max(reachZ, MinShadowExtent);
    return fitted;
}

// Depth 0 at the camera and 1 at zFar, as the cameras' orthographic projection.
nMatrix4 Orthographic(float width, float height, float zFar)
{
    nMatrix4 out;
    out.m[0] = 2.0f / width;
    out.m[5] = 2.0f / height;
    out.m[10] = 1.0f / zFar;
    return out;
}
} // namespace

// Blends logarithmic split ends (even resolution per depth) with uniform ones (even spacing) by
// the weight, so near splits stay short without the far ones growing out of reach.
void nGPURenderer::ComputePSSMSplits(float zNear, float zFar, float weight, uint32_t count, float* ends)
{
    if (count == 0 || !ends)
        return;
    // A scene's distances and weight may be anything: what is not a finite number takes the
    // nearest sound value, so that no split end and no fitted camera becomes NaN.
    const float nearEnd = std::isfinite(zNear) ? std::max(zNear, MinPSSMNear) : MinPSSMNear;
    const float farEnd = std::isfinite(zFar) ? std::max(zFar, nearEnd) : nearEnd;
    weight = std::isfinite(weight) ? weight : 0.0f;
    for (uint32_t index = 1; index <= count; ++index)
    {
        const float fraction = static_cast<float>(index) / static_cast<float>(count);
        const float logarithmic = nearEnd * std::pow(farEnd / nearEnd, fraction);
        const float uniform = nearEnd + (farEnd - nearEnd) * fraction;
        ends[index - 1] = weight * logarithmic + (1.0f - weight) * uniform;
    }
    ends[count - 1] = farEnd;
}

// Each split of the view's depth range gets its own cell and a camera fitted to its slice, so
// near casters get as many texels as far ones.
void nGPURenderer::RenderShadowParallelSplits(nLightSource& light, const nLightSourceSettings& settings,
                                              nRenderView& viewCamera)
{
    const uint32_t count = std::min(GetPSSMSplitCount(), MaxPSSMSplits);
    const float zNear = viewCamera.GetViewZNear();
    const float zFar = viewCamera.GetViewZFar();
    // The casters redraw the view item, which leaves the camera's frustum alone; a copy keeps it so.
    const nFrustum viewFrustum = viewCamera.GetViewFrustum();
    float ends[MaxPSSMSplits];
    ComputePSSMSplits(zNear, settings.shadowRange, settings.shadowDistribution, count, ends);
    const float pullBack = 4.0f * ends[count - 1];
    const int32_t cellSize = static_cast<int32_t>(m_shadowMapSize / 2);
    float start = std::max(zNear, MinPSSMNear);
    for (uint32_t split = 0; split < count; ++split)
    {
        nVector corners[8];
        SliceCorners(viewFrustum, zNear, zFar, start, ends[split], corners);
        const FittedCamera fitted = FitToSlice(light.GetLightWorldMatrix(), corners, pullBack);
        nFrustum frustum;
        frustum.SetOrthographic(fitted.width, fitted.height, 0.0f, fitted.zFar, &fitted.world, 1.0f, 1.0f);
        nGPUShadowView shadowView(fitted.world, Orthographic(fitted.width, fitted.height, fitted.zFar), frustum);
        const float cellX = SplitCells[split][0];
        const float cellY = SplitCells[split][1];
        SetViewport(static_cast<int32_t>(cellX * static_cast<float>(m_shadowMapSize)),
                    static_cast<int32_t>(cellY * static_cast<float>(m_shadowMapSize)), cellSize, cellSize);
        RenderShadowCasters(shadowView);
        ShadowSplit& record = m_shadowSplits[split];
        record.farDistance = ends[split];
        record.cameraWorld = fitted.world;
        record.shadowMatrix = shadowView.ShadowMatrix(cellX, cellY, 0.5f, 0.5f);
        start = ends[split];
    }
    m_shadowSplitCount = count;
}
