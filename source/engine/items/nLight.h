#pragma once

#include "core/base/nSharedPtr.h"
#include "core/math/nColor.h"
#include "core/math/nFrustum.h"
#include "engine/items/nItem.h"
#include "render/nLightSource.h"

class nTexture;

enum nLightType : int32_t
{
    LightTypeNone = 0,
    LightTypePoint = 1,
    LightTypeParallel = 2,
    LightTypeSpot = 3,
};

enum nLightShadowMode : int32_t
{
    LightShadowNone = 0,
    LightShadowPMap = 1,
    LightShadowMap = 2,
};

enum nLightFalloff : int32_t
{
    LightFalloffLinear = 0,
    LightFalloffInvDist = 1,
    LightFalloffInvDist2 = 2,
};

// A point, parallel or spot light. Its direction is the z axis of its world matrix: a spot
// shines along it, a parallel light against it. The shadow, volumetric, falloff and clip
// settings are only stored here; the renderer gives them their meaning.
class nLight : public nItem, public nLightSource
{
public:
    static constexpr float DefaultAngle = 0.5235988f;

    explicit nLight(Quenvar* engine);
    ~nLight() override;

    void Update() override;
    // Every field but the frustum and the projection map goes back to its default.
    void Reset();

    int32_t GetType() const { return m_settings.type; }
    void SetType(int32_t type) { m_settings.type = type; }
    int32_t GetShadowMode() const { return m_settings.shadowMode; }
    void SetShadowMode(int32_t mode) { m_settings.shadowMode = mode; }
    bool GetShadowCastAll() const { return m_settings.shadowCastAll; }
    void SetShadowCastAll(bool on) { m_settings.shadowCastAll = on; }
    float GetShadowRange() const { return m_settings.shadowRange; }
    void SetShadowRange(float range) { m_settings.shadowRange = range; }
    float GetShadowBias() const { return m_settings.shadowBias; }
    void SetShadowBias(float bias) { m_settings.shadowBias = bias; }
    float GetShadowDistribution() const { return m_settings.shadowDistribution; }
    void SetShadowDistribution(float distribution) { m_settings.shadowDistribution = distribution; }
    const nColor& GetShadowColor() const { return m_settings.shadowColor; }
    void SetShadowColor(const nColor& color) { m_settings.shadowColor = color; }
    float GetZNear() const { return m_settings.zNear; }
    void SetZNear(float zNear) { m_settings.zNear = zNear; }
    bool IsVolumetric() const { return m_settings.volumetric; }
    void SetVolumetric(bool on) { m_settings.volumetric = on; }
    float GetVolumetricSampleStep() const { return m_settings.volumetricSampleStep; }
    void SetVolumetricSampleStep(float step) { m_settings.volumetricSampleStep = step; }
    float GetVolumetricRange() const { return m_settings.volumetricRange; }
    void SetVolumetricRange(float range) { m_settings.volumetricRange = range; }
    float GetVolumetricThickness() const { return m_settings.volumetricThickness; }
    void SetVolumetricThickness(float thickness) { m_settings.volumetricThickness = thickness; }
    int32_t GetFalloff() const { return m_settings.falloff; }
    void SetFalloff(int32_t falloff) { m_settings.falloff = falloff; }
    float GetRange() const { return m_settings.range; }
    void SetRange(float range) { m_settings.range = range; }
    float GetVolumeRange() const { return m_settings.volumeRange; }
    void SetVolumeRange(float range) { m_settings.volumeRange = range; }
    float GetClipDistance() const { return m_settings.clipDistance; }
    void SetClipDistance(float distance) { m_settings.clipDistance = distance; }
    const nColor& GetDiffuse() const { return m_settings.diffuse; }
    void SetDiffuse(const nColor& color) { m_settings.diffuse = color; }
    const nColor& GetSpecular() const { return m_settings.specular; }
    void SetSpecular(const nColor& color) { m_settings.specular = color; }
    float GetDiffuseIntensity() const { return m_settings.diffuseIntensity; }
    void SetDiffuseIntensity(float intensity) { m_settings.diffuseIntensity = intensity; }
    float GetSpecularIntensity() const { return m_settings.specularIntensity; }
    void SetSpecularIntensity(float intensity) { m_settings.specularIntensity = intensity; }
    float GetConeAngle() const { return m_settings.coneAngle; }
    void SetConeAngle(float radians) { m_settings.coneAngle = radians; }
    float GetEdgeAngle() const { return m_settings.edgeAngle; }
    void SetEdgeAngle(float radians) { m_settings.edgeAngle = radians; }
    const nFrustum& GetFrustum() const { return m_frustum; }
    // The texture the light projects, held by a counted reference; a reset keeps it. Setting one
    // forgets a name kept from a failed load.
    nTexture* GetProjectionMap() const { return m_projectionMap.Get(); }
    void SetProjectionMap(nTexture* texture);

    void ComputeProjectionMatrix(nMatrix4& out) const override;
    void UpdateLightMatrices() override { UpdateRenderMatrices(); }
    const nMatrix4& GetLightWorldMatrix() const override { return GetStoredWorldMatrix(); }
    const nMatrix4& GetLightInverseMatrix() const override { return GetStoredInverseMatrix(); }
    const nFrustum& GetLightFrustum() const override { return m_frustum; }
    void GetLightSettings(nLightSourceSettings& settings) const override;
    // Spot lights only; an override of -1 keeps the z-near, respectively the volume range.
    void ComputeFrustum(nFrustum* out, float zNearOverride = -1.0f, float zFarOverride = -1.0f);
    // The factors include the intensities. False when the point gets no light from here.
    bool ComputeLighting(const nVector& point, const nVector& normal, float* diffuseFactor, float* specularFactor,
                         const nVector* viewDirection, float glossiness, bool halfVectorModel,
                         bool cookTorranceModel);
    // The colours apply the intensities a second time on top of the factors; the raytracer's
    // images rely on that.
    bool ComputeLighting(const nVector& point, const nVector& normal, const nVector* viewDirection, float glossiness,
                         nColor& diffuse, nColor& specular);

    // The "Light" block of scene files.
    bool ParseTag(nMetaFile& file, nMetaTag& tag);
    nMetaTag* SerializeTag(nMetaFile& file) const;

private:
    void ReadProjectionMap(const nMetaTag& tag);
    void WriteProjectionMap(nMetaTag& block) const;

    // What a reset restores.
    struct Settings
    {
        int32_t type = LightTypePoint;
        int32_t shadowMode = LightShadowNone;
        bool shadowCastAll = false;
        float shadowRange = 100.0f;
        float shadowBias = 0.01f;
        float shadowDistribution = 0.9f;
        float zNear = 0.02f;
        bool volumetric = false;
        float volumetricSampleStep = 0.5f;
        float volumetricRange = 8.0f;
        float volumetricThickness = 1.0f;
        int32_t falloff = LightFalloffLinear;
        float range = 0.0f;
        float volumeRange = 500.0f;
        float clipDistance = 300.0f;
        nColor diffuse{1.0f, 1.0f, 1.0f, 1.0f};
        nColor specular{1.0f, 1.0f, 1.0f, 1.0f};
        nColor shadowColor{0.0f, 0.0f, 0.0f, 1.0f};
        float diffuseIntensity = 1.0f;
        float specularIntensity = 0.0f;
        float coneAngle = DefaultAngle;
        float edgeAngle = DefaultAngle;
    };

    Settings m_settings;
    nFrustum m_frustum;
    nSharedPtr<nTexture> m_projectionMap;
    // The name a block gave for a projection map that did not load, written back in its place so
    // that saving a scene whose texture is missing does not drop the reference.
    nString m_unloadedProjectionMapName;
};
