#include "raytracer/nRaytracer.h"

#include "core/math/nMatrix3.h"
#include "engine/items/nMLight.h"
#include "geometry/nGeometry.h"
#include "geometry/nMaterial.h"
#include "render/shader/nShaderMap.h"

#include <algorithm>
#include <cmath>

namespace
{
float Clamp01(float value)
{
    return value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f; // NaN gives 0
}

void Add(nColor& sum, const nColor& value, float factor)
{
    sum.r += value.r * factor;
    sum.g += value.g * factor;
    sum.b += value.b * factor;
    sum.a += value.a * factor;
}

nColor Multiply(const nColor& a, const nColor& b)
{
    return nColor(a.r * b.r, a.g * b.g, a.b * b.b, a.a * b.a);
}

float Dot(const nVector& a, const nVector& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

nVector Normalise(const nVector& v)
{
    const float length = std::sqrt(Dot(v, v));
    return length > 0.0f ? nVector(v.x / length, v.y / length, v.z / length) : v;
}

nVector Along(const nVector& origin, const nVector& direction, float distance)
{
    return nVector(origin.x + direction.x * distance, origin.y + direction.y * distance,
                   origin.z + direction.z * distance);
}

// A direction of a sample set, whose axis is z, in the frame whose z column is the normal.
nVector ToFrame(const nMatrix3& frame, const nVector& local)
{
    const float* m = frame.m;
    return nVector(m[0] * local.x + m[1] * local.y + m[2] * local.z,
                   m[3] * local.x + m[4] * local.y + m[5] * local.z,
                   m[6] * local.x + m[7] * local.y + m[8] * local.z);
}
} // namespace

void nRaytracer::TraceRay(nRaytracerTraceContext& context, const nVector& origin, const nVector& direction,
                          nColor& out, nRaytracerBudget& budget, const nRaytracerHit* parent) const
{
    if (budget.depth >= MaxRayDepth)
    {
        out = m_background;
        return;
    }
    nRaytracerHit hit;
    hit.mediumIndex = parent ? parent->mediumIndex : 1.0f;
    hit.travelled = parent ? parent->travelled : 0.0f;
    m_primary.TraceRay(hit, origin, direction, -1.0f, true, context.rays);
    if (!hit.hit)
    {
        out = m_background;
        return;
    }
    hit.travelled += hit.distance;
    ResolveHit(hit);
    ++budget.depth;
    Shade(context, hit, out, budget);
    --budget.depth;
}

void nRaytracer::GatherLights(const nRaytracerHit& hit, nRaytracerTraceContext& context, float glossiness,
                              nColor& diffuseSum, nColor& specularSum) const
{
    for (uint32_t i = 0; i < m_lights.GetCount(); ++i)
    {
        nMLight* record = *m_lights.At(i);
        if (!record)
            continue;
        nLight& light = record->GetLight();
        float visibility = 1.0f;
        if (light.GetShadowMode() == LightShadowMap && m_settings.shadows)
        {
            const nMatrix4& world = light.GetStoredWorldMatrix();
            nVector toLight;
            if (light.GetType() == LightTypeParallel)
            {
                const nVector axis = Normalise(world.GetColumn(2, false));
                toLight = nVector(-axis.x, -axis.y, -axis.z) * light.GetClipDistance();
            }
            else
                toLight = world.GetTranslation() - hit.position;
            if (Dot(hit.normal, toLight) > 0.0f)
            {
                const float length = std::sqrt(Dot(toLight, toLight));
                const nVector direction = toLight * (1.0f / length);
                visibility = Visibility(context, Along(hit.position, direction, SurfaceOffset), direction,
                                        length - SurfaceOffset, m_settings.visibilityPassLimit);
                if (visibility == 0.0f)
                    continue;
            }
        }
        // The factors hold the light's intensities already.
        float diffuse = 0.0f;
        float specular = 0.0f;
        if (!light.ComputeLighting(hit.position, hit.normal, &diffuse, &specular, &hit.direction, glossiness,
                                   true, false))
            continue;
        Add(diffuseSum, light.GetDiffuse(), diffuse * visibility);
        Add(specularSum, light.GetSpecular(), specular * visibility);
    }
}

nColor nRaytracer::GatherGlobalIllumination(nRaytracerTraceContext& context, const nRaytracerHit& hit,
                                            nRaytracerBudget& budget) const
{
    --budget.globalIllumination;
    const nAutoArray<nVector>& set = m_sampleSets[context.random.Int(SampleSetCount)].directions;
    nColor gathered(0.0f, 0.0f, 0.0f, 1.0f);
    uint32_t count = set.GetCount();
    if (count == 0)
        return gathered;
    // Deeper gathers take fewer samples.
    const int32_t depth = m_settings.globalIlluminationDepth - budget.globalIllumination;
    if (depth != 0)
        count = std::max<uint32_t>(count / uint32_t(std::abs(depth) + 1), 1);
    const nMatrix3 frame = nMatrix3::FromDirection(hit.normal);
    nColor sum(0.0f, 0.0f, 0.0f, 0.0f);
    for (uint32_t i = 0; i < count; ++i)
    {
        const nVector direction = ToFrame(frame, *set.At(i));
        nColor sample;
        TraceRay(context, Along(hit.position, direction, SurfaceOffset), direction, sample, budget, &hit);
        Add(sum, sample, 1.0f);
    }
    const float inverse = 1.0f / float(count);
    return nColor(sum.r * inverse, sum.g * inverse, sum.b * inverse, sum.a * inverse);
}

float nRaytracer::AmbientOcclusion(nRaytracerTraceContext& context, const nRaytracerHit& hit) const
{
    const nAutoArray<nVector>& set = m_sampleSets[context.random.Int(SampleSetCount)].directions;
    if (set.GetCount() == 0)
        return 1.0f;
    const nMatrix3 frame = nMatrix3::FromDirection(hit.normal);
    const float range = m_settings.ambientOcclusionRange;
    float sum = 0.0f;
    for (uint32_t i = 0; i < set.GetCount(); ++i)
    {
        const nVector direction = ToFrame(frame, *set.At(i));
        nRaytracerHit occluder;
        m_primary.TraceRay(occluder, Along(hit.position, direction, SurfaceOffset), direction, -1.0f, true,
                           context.rays);
        if (occluder.hit && occluder.distance > 0.0f)
            sum += 1.0f - Clamp01(occluder.distance / range);
    }
    return Clamp01(1.0f - sum / float(set.GetCount()));
}

float nRaytracer::Visibility(nRaytracerTraceContext& context, const nVector& origin, const nVector& direction,
                             float maxDistance, int32_t passes) const
{
    nRaytracerHit hit;
    if (!m_settings.transparentShadows)
    {
        ++context.visibilityRays;
        uint64_t ignored = 0;
        m_shadow.TraceRay(hit, origin, direction, maxDistance, false, ignored);
        context.visibilitySurfaces += hit.surfacesCrossed;
        return hit.hit && hit.distance > 0.0f ? 0.0f : 1.0f;
    }
    // Each surface passed lets through what it does not cover, up to the pass limit.
    float transmitted = 1.0f;
    nVector start = origin;
    float remaining = maxDistance;
    for (; passes > 0; --passes)
    {
        uint64_t ignored = 0;
        m_shadow.TraceRay(hit, start, direction, remaining, true, ignored);
        ++context.visibilityRays;
        context.visibilitySurfaces += hit.surfacesCrossed;
        if (!hit.hit || !(hit.distance > 0.0f))
            break;
        ResolveHit(hit, false);
        const float opacity = hit.material ? GetMaterialOpacity(hit) : 1.0f;
        if (opacity == 1.0f)
            return 0.0f;
        transmitted *= 1.0f - Clamp01(opacity);
        const float covered = hit.distance + SurfaceOffset;
        start = Along(start, direction, covered);
        if (remaining > 0.0f)
        {
            remaining -= covered;
            if (!(remaining > 0.0f))
                break;
        }
    }
    return transmitted;
}

void nRaytracer::Shade(nRaytracerTraceContext& context, nRaytracerHit& hit, nColor& out,
                       nRaytracerBudget& budget) const
{
    const nMaterial* material = hit.material;
    if (!material)
    {
        out = nColor(0.0f, 0.0f, 0.0f, 1.0f);
        return;
    }
    const bool mapped = material->shaderMap != nullptr;
    const float fade = hit.object ? hit.object->fade : 1.0f;
    const float opacity =
        (mapped ? EvaluateChannel(hit, nShaderMap::RootOpacity).r : GetMaterialOpacity(hit)) * fade;
    nColor colour(0.0f, 0.0f, 0.0f, 1.0f);
    float surfaceWeight = opacity;
    const bool alphaTested =
        (material->renderFlags & MaterialAlphaTest) && !(opacity > material->alphaThreshold);
    if (!alphaTested)
    {
        const float glossiness =
            mapped ? EvaluateChannel(hit, nShaderMap::RootGlossiness).r : material->glossiness;
        nColor diffuseSum(0.0f, 0.0f, 0.0f, 0.0f);
        nColor specularSum(0.0f, 0.0f, 0.0f, 0.0f);
        GatherLights(hit, context, glossiness, diffuseSum, specularSum);

        nColor gathered(0.0f, 0.0f, 0.0f, 1.0f);
        nColor ambient(0.0f, 0.0f, 0.0f, 1.0f);
        if (m_settings.globalIllumination && budget.globalIllumination > 0)
            gathered = GatherGlobalIllumination(context, hit, budget);
        else if (!m_settings.globalIllumination || m_settings.ambientOffUnderGlobalIllumination)
            ambient = m_ambient;
        const float occlusion =
            m_settings.ambientOcclusion && opacity >= 1.0f ? AmbientOcclusion(context, hit) : 1.0f;

        nColor diffuse;
        nColor specular;
        nColor self;
        if (mapped)
        {
            diffuse = EvaluateChannel(hit, nShaderMap::RootDiffuse);
            specular = EvaluateChannel(hit, nShaderMap::RootSpecular);
            self = EvaluateChannel(hit, nShaderMap::RootConstant);
        }
        else
        {
            diffuse = SampleStage(hit, ChannelDiffuse);
            specular = SampleStage(hit, ChannelSpecular);
            self = SampleStage(hit, ChannelSelfIllumination);
            if (material->GetChannel(ChannelLightmap, true))
                diffuse = Multiply(diffuse, SampleStage(hit, ChannelLightmap));
            else if (material->renderFlags & MaterialVertexColor)
            {
                const nVector vertexColour = EvaluateSurface(hit, 1);
                diffuse =
                    Multiply(diffuse, nColor(vertexColour.x, vertexColour.y, vertexColour.z, vertexColour.w));
            }
            if (const nTextureStage* stage = material->GetChannel(ChannelReflection, true))
            {
                const nColor reflection = SampleStage(hit, ChannelReflection);
                if (stage->op == nTextureStage::OperatorMultiply)
                    diffuse = Multiply(diffuse, reflection);
                else
                    Add(diffuse, reflection, 1.0f);
            }
        }
        const nColor light(gathered.r + diffuseSum.r + ambient.r * occlusion,
                           gathered.g + diffuseSum.g + ambient.g * occlusion,
                           gathered.b + diffuseSum.b + ambient.b * occlusion, 1.0f);
        colour = nColor(light.r * diffuse.r + specularSum.r * specular.r + self.r,
                        light.g * diffuse.g + specularSum.g * specular.g + self.g,
                        light.b * diffuse.b + specularSum.b * specular.b + self.b, 1.0f);
    }

    if (m_fogEnd > 0.0f)
    {
        const float f = Clamp01((hit.travelled - m_fogStart) / (m_fogEnd - m_fogStart));
        colour = nColor(colour.r * (1.0f - f) + m_fogColor.r * f, colour.g * (1.0f - f) + m_fogColor.g * f,
                        colour.b * (1.0f - f) + m_fogColor.b * f, colour.a * (1.0f - f) + m_fogColor.a * f);
    }

    if (!alphaTested)
    {
        const nVector& d = hit.direction;
        const nVector& n = hit.normal;
        const float cosine = -Dot(d, n);
        const bool additive = material->blendOp == MaterialBlendAdditive;
        if ((opacity < 1.0f || additive) && budget.refraction > 0)
        {
            const float index = material->ior == hit.mediumIndex ? 1.0f : material->ior;
            const float eta = hit.mediumIndex / index;
            if (m_settings.fresnel)
            {
                const float r0 = ((1.0f - eta) / (1.0f + eta)) * ((1.0f - eta) / (1.0f + eta));
                surfaceWeight = Clamp01(r0 + (1.0f - r0) * std::pow(1.0f - std::fabs(cosine), 5.0f));
            }
            const float k = 1.0f - eta * eta * (1.0f - cosine * cosine);
            if (k < 0.0f)
                surfaceWeight = 1.0f; // total internal reflection: nothing passes
            else if (1.0f - surfaceWeight > 0.0f)
            {
                const nVector refracted = Normalise(Along(d * eta, n, eta * cosine - std::sqrt(k)));
                nColor through;
                const float medium = hit.mediumIndex;
                hit.mediumIndex = index;
                --budget.refraction;
                TraceRay(context, Along(hit.position, refracted, SurfaceOffset), refracted, through, budget,
                         &hit);
                ++budget.refraction;
                hit.mediumIndex = medium;
                if (additive)
                    Add(colour, through, 1.0f);
                else
                {
                    const float w = surfaceWeight;
                    colour =
                        nColor(colour.r * w + through.r * (1.0f - w), colour.g * w + through.g * (1.0f - w),
                               colour.b * w + through.b * (1.0f - w), colour.a * w + through.a * (1.0f - w));
                }
            }
        }
        const float amount = EvaluateChannel(hit, nShaderMap::RootReflection).r;
        if (m_settings.reflections && amount != 0.0f && budget.reflection > 0 && surfaceWeight > 0.0f)
        {
            const nVector mirrored = Normalise(Along(d, n, 2.0f * std::fabs(Dot(d, n))));
            nColor reflected;
            --budget.reflection;
            TraceRay(context, Along(hit.position, mirrored, SurfaceOffset), mirrored, reflected, budget,
                     &hit);
            ++budget.reflection;
            Add(colour, reflected, amount * surfaceWeight);
        }
    }
    out = nColor(Clamp01(colour.r), Clamp01(colour.g), Clamp01(colour.b), 1.0f);
}
