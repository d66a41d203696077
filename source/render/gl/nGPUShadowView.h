#pragma once

#include "core/math/nFrustum.h"
#include "core/math/nMatrix4.h"
#include "render/nRenderView.h"

// A light's view of the casters. It answers no scene camera, so the renderables hand over every
// caster rather than those a frustum keeps.
class nGPUShadowView : public nRenderView
{
public:
    nGPUShadowView(const nMatrix4& world, const nMatrix4& projection, const nFrustum& frustum)
        : m_world(world), m_inverse(world.InverseAffine()), m_projection(projection), m_frustum(frustum)
    {
    }
    nCamera* GetCamera() override { return nullptr; }
    void UpdateView() override {}
    const nMatrix4& GetViewWorldMatrix() const override { return m_world; }
    const nMatrix4& GetViewInverseWorldMatrix() const override { return m_inverse; }
    void ComputeProjectionMatrix(nMatrix4& projection) override { projection = m_projection; }
    void ComputeViewFrustum() override {}
    const nFrustum& GetViewFrustum() const override { return m_frustum; }
    float GetViewZNear() const override { return 0.0f; }
    float GetViewZFar() const override { return 0.0f; }
    float GetViewZoom() const override { return 1.0f; }

    // Window coordinates of the cell's part of the atlas, depth into 0..1.
    nMatrix4 ShadowMatrix(float cellX, float cellY, float cellWidth, float cellHeight) const
    {
        const nMatrix4 cell = nMatrix4::FromTranslation(cellX, cellY, 0.0f)
                                  .Multiply(nMatrix4::FromScale(cellWidth, cellHeight, 1.0f));
        const nMatrix4 bias =
            nMatrix4::FromTranslation(0.5f, 0.5f, 0.5f).Multiply(nMatrix4::FromScale(0.5f, 0.5f, 0.5f));
        return cell.Multiply(bias).Multiply(m_projection).Multiply(m_inverse);
    }

private:
    nMatrix4 m_world;
    nMatrix4 m_inverse;
    nMatrix4 m_projection;
    const nFrustum& m_frustum;
};
