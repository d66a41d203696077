#include "engine/items/nLight.h"

#include "core/base/nLog.h"
#include "core/math/nScalar.h"
#include "geometry/nTexture.h"

#include <cmath>

nLight::nLight(Quenvar* engine) : nItem(engine) {}

nLight::~nLight() = default;

void nLight::Reset()
{
    m_settings = Settings();
}

void nLight::Update()
{
    const bool worldWasStale = (GetFlags() & ItemFlagWorldStale) != 0;
    nItem::Update();
    if (!worldWasStale)
        return;
    RemoveWorldScale();
    ComputeFrustum(nullptr);
}

void nLight::ComputeProjectionMatrix(nMatrix4& out) const
{
    out = nMatrix4();
    if (m_settings.type != LightTypeSpot)
        return;
    const float n = m_settings.zNear;
    const float f = m_settings.volumeRange;
    const float angle = m_settings.coneAngle + m_settings.edgeAngle;
    for (float& element : out.m)
        element = 0.0f;
    out.m[0] = out.m[5] = std::cos(angle) / std::sin(angle);
    out.m[10] = f / (f - n);
    out.m[11] = -n * f / (f - n);
    out.m[14] = 1.0f;
}

void nLight::ComputeFrustum(nFrustum* out, float zNearOverride, float zFarOverride)
{
    if (m_settings.type != LightTypeSpot)
        return;
    const float zNear = zNearOverride == -1.0f ? m_settings.zNear : zNearOverride;
    const float zFar = zFarOverride == -1.0f ? m_settings.volumeRange : zFarOverride;
    const nMatrix4& world = GetWorldMatrix();
    (out ? *out : m_frustum)
        .SetPerspective(2.0f * (m_settings.coneAngle + m_settings.edgeAngle), zNear, zFar, &world, 1.0f, 1.0f);
}

bool nLight::ComputeLighting(const nVector& point, const nVector& normal, float* diffuseFactor,
                             float* specularFactor, const nVector* viewDirection, float glossiness,
                             bool halfVectorModel, bool cookTorranceModel)
{
    if (!diffuseFactor && !specularFactor)
        return false;
    const nMatrix4& world = GetWorldMatrix();
    const nVector axis = world.GetColumn(2, true).Normalized();
    float attenuation = 1.0f;
    nVector toLight;
    if (m_settings.type == LightTypeParallel)
        toLight = -axis;
    else
    {
        const nVector offset = world.GetTranslation() - point;
        const float distance = offset.Length();
        toLight = distance > 0.0f ? offset * (1.0f / distance) : nVector(0.0f, 0.0f, 0.0f);
        if (m_settings.range != 0.0f)
        {
            attenuation = 1.0f - distance / m_settings.range;
            if (attenuation <= 0.0f)
                return false;
        }
    }
    if (m_settings.type == LightTypeSpot)
    {
        const float angle = ArcCosClamped(axis.Dot(-toLight));
        const float cone = m_settings.coneAngle;
        if (angle > cone + m_settings.edgeAngle)
            return false;
        if (angle > cone)
            attenuation *= 1.0f - (angle - cone) / m_settings.edgeAngle;
    }
    const float facing = normal.Dot(toLight);
    if (facing < 0.0f)
        return false;
    if (diffuseFactor)
        *diffuseFactor = m_settings.diffuseIntensity * facing * attenuation;
    if (!specularFactor)
        return true;
    *specularFactor = 0.0f;
    if (!viewDirection)
        return true;
    const nVector view = viewDirection->Normalized();
    float alignment = 0.0f;
    if (cookTorranceModel)
        nLogHolder::Get() << "[*] Cook-Torrance specular model not implemented.\n";
    else if (halfVectorModel)
        alignment = (toLight - view).Normalized().Dot(normal);
    else
    {
        const nVector incoming = -toLight;
        const nVector reflected = normal * (2.0f * normal.Dot(incoming)) - incoming;
        alignment = reflected.Dot(view);
    }
    const float highlight = alignment > 0.0f ? std::pow(alignment, glossiness * 96.0f) : 0.0f;
    *specularFactor = m_settings.specularIntensity * highlight * attenuation;
    return true;
}

bool nLight::ComputeLighting(const nVector& point, const nVector& normal, const nVector* viewDirection,
                             float glossiness, nColor& diffuse, nColor& specular)
{
    float diffuseFactor = 0.0f;
    float specularFactor = 0.0f;
    if (!ComputeLighting(point, normal, &diffuseFactor, &specularFactor, viewDirection, glossiness, true, false))
    {
        diffuse = specular = nColor(0.0f, 0.0f, 0.0f, 1.0f);
        return false;
    }
    const float diffuseScale = m_settings.diffuseIntensity * diffuseFactor;
    const float specularScale = m_settings.specularIntensity * specularFactor;
    const nColor& d = m_settings.diffuse;
    const nColor& s = m_settings.specular;
    diffuse = nColor(d.r * diffuseScale, d.g * diffuseScale, d.b * diffuseScale, d.a);
    specular = nColor(s.r * specularScale, s.g * specularScale, s.b * specularScale, s.a);
    return true;
}

void nLight::GetLightSettings(nLightSourceSettings& settings) const
{
    settings.type = m_settings.type;
    settings.diffuse = m_settings.diffuse;
    settings.specular = m_settings.specular;
    settings.diffuseIntensity = m_settings.diffuseIntensity;
    settings.specularIntensity = m_settings.specularIntensity;
    settings.range = m_settings.range;
    settings.volumeRange = m_settings.volumeRange;
    settings.coneAngle = m_settings.coneAngle;
    settings.edgeAngle = m_settings.edgeAngle;
    settings.shadowMode = m_settings.shadowMode;
    settings.shadowCastAll = m_settings.shadowCastAll;
    settings.shadowColor = m_settings.shadowColor;
    settings.shadowBias = m_settings.shadowBias;
    settings.shadowRange = m_settings.shadowRange;
    settings.shadowDistribution = m_settings.shadowDistribution;
    settings.projectionMap = m_projectionMap.Get();
}
