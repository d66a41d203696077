#include "render/gl/nGPURenderer.h"

#include "geometry/nMaterial.h"
#include "render/nParticleSource.h"
#include "render/nRenderablePrimitive.h"

namespace
{
nTexture* FirstStageTexture(const nMaterial& material)
{
    for (const nTextureStage& stage : material.stages)
        if (stage.active && stage.texture)
            return stage.texture.Get();
    return nullptr;
}
} // namespace

void nGPURenderer::DrawParticles(const nAutoList<nRenderablePrimitive*>& entries)
{
    const nVector eye = m_inverseView.GetTranslation();
    const nVector direction = m_inverseView.GetColumn(2, false).Normalized();
    nAutoArray<nVector>& positions = m_particlePositions;
    nAutoArray<nVector>& colours = m_particleColours;
    nAutoArray<float>& sizes = m_particleSizes;
    for (auto* node = entries.GetHead(); node; node = node->next)
    {
        const nRenderablePrimitive& entry = *node->value;
        if (entry.kind != nRenderablePrimitive::KindEmitter || !entry.payload)
            continue;
        auto* source = static_cast<nParticleSource*>(entry.payload);
        const nMaterial* material = source->GetParticleMaterial();
        const uint32_t capacity = source->GetParticleCapacity();
        if (!material || capacity == 0)
            continue;
        if (positions.GetCount() < capacity &&
            (!positions.ResizeForOverwrite(capacity) || !colours.ResizeForOverwrite(capacity) ||
             !sizes.ResizeForOverwrite(capacity)))
            return;
        const uint32_t count = source->CopyParticlesFarthestFirst(eye, direction, positions.GetData(),
                                                                  colours.GetData(), sizes.GetData(), capacity);
        // The model's curves tint the material's own colour and opacity.
        const nColor& tint = material->diffuse;
        const float opacity = tint.a * material->opacity;
        for (uint32_t particle = 0; particle < count; ++particle)
        {
            nVector& colour = *colours.At(particle);
            colour = nVector(colour.x * tint.r, colour.y * tint.g, colour.z * tint.b, colour.w * opacity);
        }
        // Particles live in world space.
        SetModelMatrix(nMatrix4(), nullptr);
        DrawBillboards(count, positions.GetData(), colours.GetData(), sizes.GetData(), FirstStageTexture(*material),
                       1.0f, int32_t(material->blendOp), material->renderFlags);
    }
}
