#pragma once

#include "core/base/nList.h"
#include "core/math/nFrustum.h"
#include "core/math/nMatrix4.h"
#include "render/nLightSource.h"
#include "render/nRenderItem.h"
#include "render/nRenderView.h"
#include "render/nRendererEnvironmentInterface.h"

#include <cmath>
#include <initializer_list>
#include <vector>

class nRegistry;

// A camera for the renderers' tests and benchmarks: it answers the projection and the settings it
// is given. It stays at the origin, where its matrix is its own inverse.
class StubRenderView : public nRenderView
{
public:
    nCamera* GetCamera() override { return nullptr; }
    void UpdateView() override {}
    const nMatrix4& GetViewWorldMatrix() const override { return matrix; }
    const nMatrix4& GetViewInverseWorldMatrix() const override { return matrix; }
    void ComputeProjectionMatrix(nMatrix4& out) override { out = projection; }
    void ComputeViewFrustum() override {}
    const nFrustum& GetViewFrustum() const override { return frustum; }
    float GetViewZNear() const override { return zNear; }
    float GetViewZFar() const override { return zFar; }
    float GetViewZoom() const override { return 1.0f; }
    const nRegistry* GetViewSettings() const override { return settings; }

    nMatrix4 matrix;
    nMatrix4 projection;
    nFrustum frustum;
    float zNear = 1.0f;
    float zFar = 100.0f;
    const nRegistry* settings = nullptr;
};

// An item drawn where its matrices place it, fully opaque.
class StubRenderItem : public nRenderItem
{
public:
    StubRenderItem() = default;
    explicit StubRenderItem(const nMatrix4& placed) : world(placed), inverse(placed.InverseAffine()) {}
    void UpdateRenderMatrices() override {}
    const nMatrix4& GetRenderWorldMatrix() const override { return world; }
    const nMatrix4& GetRenderInverseMatrix() const override { return inverse; }
    float GetRenderOpacity() const override { return 1.0f; }

    nMatrix4 world;
    nMatrix4 inverse;
};

// A light placed by its world matrix. A spot's projection spans its cone and edge from zNear to its
// volume range, depth 0 to 1, as the scene's lights make it.
class StubLightSource : public nLightSource
{
public:
    StubLightSource(int32_t type, const nMatrix4& placed) : world(placed), inverse(placed.InverseAffine())
    {
        settings.type = type;
    }
    void UpdateLightMatrices() override {}
    const nMatrix4& GetLightWorldMatrix() const override { return world; }
    const nMatrix4& GetLightInverseMatrix() const override { return inverse; }
    const nFrustum& GetLightFrustum() const override { return frustum; }
    void GetLightSettings(nLightSourceSettings& out) const override { out = settings; }
    void ComputeProjectionMatrix(nMatrix4& projection) const override
    {
        const float n = zNear;
        const float f = settings.volumeRange;
        const float half = settings.coneAngle + settings.edgeAngle;
        projection = nMatrix4();
        projection.m[0] = projection.m[5] = half > 0.0f ? 1.0f / std::tan(half) : 1.0f;
        projection.m[10] = f / (f - n);
        projection.m[11] = -n * f / (f - n);
        projection.m[14] = 1.0f;
        projection.m[15] = 0.0f;
    }

    nMatrix4 world;
    nMatrix4 inverse;
    nFrustum frustum;
    nLightSourceSettings settings;
    float zNear = 0.5f;
};

// Every light it holds reaches every place.
class StubLightEnvironment : public nRendererEnvironmentInterface
{
public:
    StubLightEnvironment() = default;
    StubLightEnvironment(std::initializer_list<nLightSource*> reaching) : lights(reaching) {}
    void GetLightsAt(const nVector&, const nFrustum&, nList<nLightSource*>& out, uint32_t) override
    {
        out.Clear();
        for (nLightSource* light : lights)
            out.PushBack(light);
    }

    std::vector<nLightSource*> lights;
};
