#include "raytracer/nRaytracer.h"

#include "geometry/nGeometry.h"
#include "geometry/nMaterial.h"
#include "raytracer/nRaytracerInterpolation.h"
#include "raytracer/nRaytracerShaderValue.h"
#include "render/shader/nShaderMap.h"

#include <cmath>

namespace
{
nVector Transform3(const nMatrix3& m, const nVector& v)
{
    return nVector(m.m[0] * v.x + m.m[1] * v.y + m.m[2] * v.z, m.m[3] * v.x + m.m[4] * v.y + m.m[5] * v.z,
                   m.m[6] * v.x + m.m[7] * v.y + m.m[8] * v.z);
}

nVector Rotate(const nMatrix4& m, const nVector& v)
{
    return nVector(m.m[0] * v.x + m.m[1] * v.y + m.m[2] * v.z, m.m[4] * v.x + m.m[5] * v.y + m.m[6] * v.z,
                   m.m[8] * v.x + m.m[9] * v.y + m.m[10] * v.z);
}

// The transpose's product: for a rotation, the way back.
nVector TransformTransposed3(const nMatrix4& m, const nVector& v)
{
    return nVector(m.m[0] * v.x + m.m[4] * v.y + m.m[8] * v.z, m.m[1] * v.x + m.m[5] * v.y + m.m[9] * v.z,
                   m.m[2] * v.x + m.m[6] * v.y + m.m[10] * v.z);
}

nVector Normalise(const nVector& v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 0.0f ? nVector(v.x / length, v.y / length, v.z / length) : v;
}

float Wrap(float value)
{
    const float wrapped = std::fmod(value, 1.0f);
    return wrapped < 0.0f ? wrapped + 1.0f : wrapped;
}

float Finite(float value)
{
    return std::isnan(value) ? 0.0f : value;
}

// The normal of the hit polygon's plane in object space, from the polygon normals when the
// geometry has them, else from the hit triangle.
nVector PolygonNormal(const nRaytracerHit& hit)
{
    const nGeometry& geometry = *hit.geometry;
    if (hit.polygon < geometry.polygonNormals.GetCount())
        return *geometry.polygonNormals.At(hit.polygon);
    if (!HitCornersIn(hit, geometry.bindings.GetCount()))
        return nVector(0.0f, 0.0f, 1.0f);
    const uint32_t a = *geometry.bindings.At(hit.corners[2]);
    const uint32_t b = *geometry.bindings.At(hit.corners[0]);
    const uint32_t c = *geometry.bindings.At(hit.corners[1]);
    const uint32_t count = geometry.vertices.GetCount();
    if (a >= count || b >= count || c >= count)
        return nVector(0.0f, 0.0f, 1.0f);
    const nVector& p0 = *geometry.vertices.At(a);
    return Normalise((*geometry.vertices.At(b) - p0).Cross(*geometry.vertices.At(c) - p0));
}
} // namespace

void nRaytracer::ResolveHit(nRaytracerHit& hit, bool withNormal) const
{
    hit.position =
        nVector(hit.origin.x + hit.direction.x * hit.distance, hit.origin.y + hit.direction.y * hit.distance,
                hit.origin.z + hit.direction.z * hit.distance);
    hit.material = nullptr;
    hit.cornersValid = false;
    if (!hit.object || !hit.geometry)
        return;
    const nGeometry& geometry = *hit.geometry;
    if (hit.polygon >= geometry.polygons.GetCount())
        return;
    const nPolygon& polygon = *geometry.polygons.At(hit.polygon);
    hit.material = geometry.GetMaterial(polygon.material);
    // The barycentrics weigh the fan triangle's second, third and first corner.
    const uint64_t last = uint64_t(polygon.firstBinding) + hit.triangle + 2;
    if (uint32_t(hit.triangle) + 3 <= polygon.bindingCount && last < geometry.bindings.GetCount())
    {
        hit.corners[0] = polygon.firstBinding + hit.triangle + 1;
        hit.corners[1] = polygon.firstBinding + hit.triangle + 2;
        hit.corners[2] = polygon.firstBinding;
        hit.cornersValid = true;
    }
    if (!withNormal)
        return;
    const nRaytracerObject& object = *hit.object;
    // The plane's normal stands in while the shading normal is evaluated (a normal map may read it).
    hit.normal = Normalise(Transform3(object.normalToWorld, PolygonNormal(hit)));
    nVector normal;
    if (hit.material && hit.material->shaderMap && hit.material->shaderMap->roots[nShaderMap::RootNormal])
    {
        const nColor value = EvaluateChannel(hit, nShaderMap::RootNormal);
        normal = nVector(value.r, value.g, value.b);
    }
    else
        normal = EvaluateSurface(hit, 0);
    normal = Normalise(Transform3(object.normalToWorld, normal));
    hit.normal = hit.backFace ? nVector(-normal.x, -normal.y, -normal.z) : normal;
}

nColor nRaytracer::EvaluateChannel(const nRaytracerHit& hit, uint32_t channel) const
{
    const nMaterial* material = hit.material;
    if (material && material->shaderMap && channel < nShaderMap::RootCount)
        if (const nShaderBlock* root = material->shaderMap->roots[channel])
        {
            nRaytracerShaderValue value;
            EvaluateShaderBlock(hit, root, value, 0);
            return nColor(Finite(value.vector[0]), Finite(value.vector[1]), Finite(value.vector[2]),
                          Finite(value.vector[3]));
        }
    if (!material && channel != nShaderMap::RootNormal && channel != nShaderMap::RootModulate &&
        channel != nShaderMap::RootConstant && channel != nShaderMap::RootOpacity)
        return nColor(-1.0f, -1.0f, -1.0f, -1.0f);
    switch (channel)
    {
    case nShaderMap::RootNormal:
        return nColor(0.0f, 0.0f, 1.0f, 1.0f);
    case nShaderMap::RootDiffuse:
        return material->diffuse;
    case nShaderMap::RootModulate:
        return nColor(1.0f, 1.0f, 1.0f, 1.0f);
    case nShaderMap::RootSpecular:
        return material->specular;
    case nShaderMap::RootGlossiness:
        return nColor(material->glossiness, 0.0f, 0.0f, 1.0f);
    case nShaderMap::RootConstant:
        return nColor(0.0f, 0.0f, 0.0f, 1.0f);
    case nShaderMap::RootOpacity:
        return nColor(1.0f, 0.0f, 0.0f, 1.0f);
    case nShaderMap::RootReflection:
        return nColor(material->reflection, 0.0f, 0.0f, 1.0f);
    default:
        return nColor(-1.0f, -1.0f, -1.0f, -1.0f);
    }
}

bool nRaytracer::ScreenPosition(const nVector& point, float& x, float& y) const
{
    const nVector local = point.MulMatrix4(m_cameraInverse);
    if (local.z == 0.0f)
        return false;
    const float windowX = local.x * m_cameraZoom / local.z;
    const float windowY = local.y * m_cameraZoom / local.z;
    x = (windowX / m_cameraScaleX + 1.0f) * 0.5f;
    y = (1.0f - windowY / m_cameraScaleY) * 0.5f;
    return true;
}

nColor nRaytracer::SampleStage(const nRaytracerHit& hit, uint32_t kind) const
{
    const nMaterial* material = hit.material;
    if (!material)
        return nColor(1.0f, 1.0f, 1.0f, 1.0f);
    const nTextureStage* stage = material->GetChannel(kind, true);
    if (!stage || !hit.object)
    {
        switch (kind)
        {
        case ChannelDiffuse:
            return material->diffuse;
        case ChannelSpecular:
            return material->specular;
        case ChannelSelfIllumination:
            return material->selfIllumination;
        default:
            return nColor(1.0f, 1.0f, 1.0f, 1.0f);
        }
    }
    const nGeometry& geometry = *hit.geometry;
    const nRaytracerObject& object = *hit.object;
    float u = 0.5f;
    float v = 0.5f;
    switch (stage->uvSource)
    {
    case nTextureStage::UVSourceUVMap:
        if (stage->uvSet >= nUVMapCount || !InterpolateUV(hit, geometry.uvSets[stage->uvSet], u, v))
            return nColor(1.0f, 1.0f, 1.0f, 1.0f);
        break;
    case nTextureStage::UVSourceLocalNormal:
    {
        const nVector local = Normalise(TransformTransposed3(object.world, hit.normal));
        u = (local.x + 1.0f) * 0.5f;
        v = (local.y + 1.0f) * 0.5f;
        break;
    }
    case nTextureStage::UVSourceFrontMap:
    {
        float x = 0.5f;
        float y = 0.5f;
        ScreenPosition(hit.position, x, y);
        u = (m_frameHeight / m_frameWidth) * (x - 0.5f) + 0.5f;
        v = y;
        break;
    }
    case nTextureStage::UVSourceSphericalEnvironment:
    {
        // The view direction mirrored about the normal, both in object space, as a sphere map.
        const nVector view = Normalise(Rotate(object.inverse, hit.direction));
        const nVector normal = Normalise(TransformTransposed3(object.world, hit.normal));
        const float along = 2.0f * (view.x * normal.x + view.y * normal.y + view.z * normal.z);
        const nVector r(view.x - normal.x * along, view.y - normal.y * along, view.z - normal.z * along);
        const float m = 2.0f * std::sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0f) * (r.z + 1.0f));
        if (m > 0.0f)
        {
            u = r.x / m + 0.5f;
            v = r.y / m + 0.5f;
        }
        break;
    }
    default:
        break;
    }
    const nVector transformed = nVector(u, v, 0.0f, 1.0f).MulMatrix4(stage->uvMatrix);
    u = stage->wrapU ? Wrap(transformed.x) : transformed.x;
    v = stage->wrapV ? Wrap(transformed.y) : transformed.y;
    float sample[4];
    stage->texture->SampleColor(u, v, sample);
    return nColor(sample[0], sample[1], sample[2], sample[3]);
}

float nRaytracer::GetMaterialOpacity(const nRaytracerHit& hit) const
{
    const nMaterial* material = hit.material;
    if (!material)
        return 1.0f;
    const float stage = material->IsChannelActive(ChannelOpacity) ? SampleStage(hit, ChannelOpacity).a : 1.0f;
    return material->opacity * stage;
}

nVector nRaytracer::EvaluateSurface(const nRaytracerHit& hit, uint32_t mode) const
{
    const nGeometry& geometry = *hit.geometry;
    if (mode == 1)
    {
        nColor colour(1.0f, 1.0f, 1.0f, 1.0f);
        InterpolateColor(hit, geometry.colors, colour);
        return nVector(colour.r, colour.g, colour.b, colour.a);
    }
    const nMaterial* material = hit.material;
    const uint32_t flags = material ? material->renderFlags : 0;
    if (!(flags & (MaterialSmoothing | MaterialNormalMapTangent)))
        return PolygonNormal(hit);
    nVector normal;
    if (!InterpolateVector(hit, geometry.vertexNormals, normal))
        normal = PolygonNormal(hit);
    normal = Normalise(normal);
    if (!material->GetChannel(ChannelNormal, true))
        return normal;
    const nColor sample = SampleStage(hit, ChannelNormal);
    const nVector mapped(sample.r * 2.0f - 1.0f, sample.g * 2.0f - 1.0f, sample.b * 2.0f - 1.0f);
    if (!(flags & MaterialNormalMapTangent))
        return mapped;
    nVector tangent;
    nVector bitangent;
    HitTangentFrame(hit, geometry.tangentFrames, normal, tangent, bitangent);
    return nVector(tangent.x * mapped.x + bitangent.x * mapped.y + normal.x * mapped.z,
                   tangent.y * mapped.x + bitangent.y * mapped.y + normal.y * mapped.z,
                   tangent.z * mapped.x + bitangent.z * mapped.y + normal.z * mapped.z);
}
