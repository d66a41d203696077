#include "engine/items/nCamera.h"

#include "core/base/nLog.h"
#include "engine/items/nLight.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float MinimumFov = 0.008726646f;
constexpr float MaximumFov = 3.1407201f;
} // namespace

nCamera::nCamera(Quenvar* engine) : nItem(engine) {}

nCamera::~nCamera()
{
    LeaveRenderer();
}

void nCamera::Update()
{
    const bool worldWasStale = (GetFlags() & ItemFlagWorldStale) != 0;
    nItem::Update();
    if (worldWasStale)
        RemoveWorldScale();
}

void nCamera::SetZoom(float zoom)
{
    m_zoom = std::max(zoom, MinimumZoom);
}

float nCamera::GetFov() const
{
    return 2.0f * std::atan2(1.0f / m_zoom, 1.0f);
}

void nCamera::SetFov(float radians)
{
    SetZoom(1.0f / std::tan(std::clamp(radians, MinimumFov, MaximumFov) / 2.0f));
}

void nCamera::SetOrthographicSize(float width, float height)
{
    m_orthographicWidth = width;
    m_orthographicHeight = height;
}

void nCamera::GetViewport(float& originX, float& originY, float& sizeX, float& sizeY) const
{
    originX = m_viewportOriginX;
    originY = m_viewportOriginY;
    sizeX = m_viewportSizeX;
    sizeY = m_viewportSizeY;
}

void nCamera::SetViewport(float originX, float originY, float sizeX, float sizeY)
{
    m_viewportOriginX = originX;
    m_viewportOriginY = originY;
    m_viewportSizeX = sizeX;
    m_viewportSizeY = sizeY;
}

float nCamera::GetViewportRatio() const
{
    int x = 0, y = 0, width = 0, height = 0;
    QueryRendererViewport(x, y, width, height);
    return width != 0 && height != 0 ? static_cast<float>(width) / static_cast<float>(height) : 0.0f;
}

void nCamera::ComputeAspectScale(nVector& out) const
{
    float aspect = m_aspectRatio;
    if (aspect <= 0.0f)
    {
        int x = 0, y = 0, width = 0, height = 0;
        QueryRendererViewport(x, y, width, height);
        if (x == 0 && y == 0 && width == 0 && height == 0)
            nLogHolder::Get() << "[!] GetViewport unimplemented!\n";
        else if (width != 0 && height != 0) // a collapsed viewport has no ratio to take
            aspect = static_cast<float>(height) / static_cast<float>(width);
    }
    const float correction = GetRendererAspectCorrection() * aspect;
    if (correction == 0.0f)
        out = nVector(1.0f, 1.0f, 0.0f);
    else if (m_aspectFromYAxis)
        out = nVector(correction, 1.0f, 0.0f);
    else
        out = nVector(1.0f, 1.0f / correction, 0.0f);
}

void nCamera::ComputeProjectionMatrix(nMatrix4& out)
{
    nVector scale;
    ComputeAspectScale(scale);
    const float n = m_zNear;
    const float f = m_zFar;
    for (float& element : out.m)
        element = 0.0f;
    if (m_orthographic)
    {
        out.m[0] = 2.0f / m_orthographicWidth * scale.x;
        out.m[5] = 2.0f / m_orthographicHeight * scale.y;
        out.m[10] = 1.0f / (f - n);
        out.m[11] = -n / (f - n);
        out.m[15] = 1.0f;
        return;
    }
    out.m[0] = m_zoom * scale.x;
    out.m[5] = m_zoom * scale.y;
    out.m[10] = f / (f - n);
    out.m[11] = -n * f / (f - n);
    out.m[14] = 1.0f;
}

void nCamera::ComputeFrustum(nFrustum* out, float zNearOverride, float zFarOverride)
{
    nFrustum& frustum = out ? *out : m_frustum;
    const float zNear = zNearOverride == -1.0f ? m_zNear : zNearOverride;
    const float zFar = zFarOverride == -1.0f ? m_zFar : zFarOverride;
    nVector scale;
    ComputeAspectScale(scale);
    const nMatrix4& world = GetWorldMatrix();
    if (m_orthographic)
        frustum.SetOrthographic(m_orthographicWidth, m_orthographicHeight, zNear, zFar, &world, scale.x, scale.y);
    else
        frustum.SetPerspective(2.0f * std::atan(1.0f / m_zoom), zNear, zFar, &world, scale.x, scale.y);
}

bool nCamera::WorldToScreen(const nVector& point, nVector& out, bool correctForViewport)
{
    const nVector local = point.MulMatrix4(GetInverseMatrix());
    if (local.z <= 0.0f)
        return false;
    const float factor = m_zoom / local.z;
    float x = factor * local.x;
    float y = factor * local.y;
    if (correctForViewport)
    {
        const float ratio = GetViewportRatio();
        if (ratio != 0.0f)
        {
            if (m_aspectFromYAxis)
                x /= ratio;
            else
                y /= ratio;
        }
    }
    out = nVector((x + 1.0f) / 2.0f, (1.0f - y) / 2.0f, 0.0f, 1.0f);
    return true;
}

void nCamera::ScreenToWorld(const nVector& screen, float depth, nVector& out)
{
    float x = (screen.x - 0.5f) * 2.0f;
    float y = (screen.y - 0.5f) * -2.0f;
    const float ratio = GetViewportRatio();
    if (ratio != 0.0f)
    {
        if (m_aspectFromYAxis)
            x *= ratio;
        else
            y *= ratio;
    }
    const float scale = depth / m_zoom;
    out = nVector(x * scale, y * scale, depth).MulMatrix4(GetWorldMatrix());
}

void nCamera::SetupFromLight(nLight& light)
{
    m_aspectRatio = 1.0f;
    SnapshotMatrix(light.GetWorldMatrix(), true, false);
    m_zNear = light.GetZNear();
    m_zFar = light.GetVolumeRange();
    const float angle = light.GetConeAngle() + light.GetEdgeAngle();
    SetZoom(std::cos(angle) / std::sin(angle));
}
