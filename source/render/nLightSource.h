#pragma once

#include "core/math/nColor.h"

#include <cstdint>

class nFrustum;
class nMatrix4;
class nTexture;

// What the frame reads of a light, as the light's own settings hold it.
struct nLightSourceSettings
{
    enum Type : int32_t
    {
        TypeNone = 0,
        TypePoint = 1,
        TypeParallel = 2,
        TypeSpot = 3,
    };
    // Shadows are drawn only for this shadow mode.
    static constexpr int32_t ShadowMapMode = 2;

    int32_t type = TypeNone;
    nColor diffuse{1.0f, 1.0f, 1.0f, 1.0f};
    nColor specular{1.0f, 1.0f, 1.0f, 1.0f};
    float diffuseIntensity = 1.0f;
    float specularIntensity = 0.0f;
    float range = 0.0f;
    float volumeRange = 0.0f;
    float coneAngle = 0.0f; // radians
    float edgeAngle = 0.0f;
    int32_t shadowMode = 0;
    // Keeps casting its shadow in the transparent pass.
    bool shadowCastAll = false;
    nColor shadowColor{0.0f, 0.0f, 0.0f, 1.0f};
    float shadowBias = 0.0f;
    float shadowRange = 0.0f;
    float shadowDistribution = 0.0f;
    nTexture* projectionMap = nullptr;
};

// A light of the scene as the renderer sees it; the scene's lights implement it. Like items, the
// matrices are those last brought up to date, on the main thread only.
class nLightSource
{
public:
    virtual void UpdateLightMatrices() = 0;
    virtual const nMatrix4& GetLightWorldMatrix() const = 0;
    virtual const nMatrix4& GetLightInverseMatrix() const = 0;
    // A spot light's view frustum, placed in the world.
    virtual const nFrustum& GetLightFrustum() const = 0;
    virtual void GetLightSettings(nLightSourceSettings& settings) const = 0;
    virtual void ComputeProjectionMatrix(nMatrix4& projection) const = 0;

protected:
    ~nLightSource() = default;
};
