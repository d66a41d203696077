#pragma once

#include "core/base/nSharedPtr.h"
#include "engine/items/nLight.h"
#include "render/nRenderLight.h"
#include "engine/items/nMItem.h"
#include "engine/items/nSceneItemPart.h"

// The managed light; its file block is "MLight".
class nMLight : public nMItem
{
public:
    static constexpr float DarkIntensity = 0.01f;

    explicit nMLight(nScene* scene);
    ~nMLight() override;

    // A light whose diffuse and specular intensities are both dark lights nothing.
    bool IsEnabled() const override;
    // Hands the light to the renderer.
    void Update() override;
    void PrepareRender() override;
    // Has the renderer make the light's object, then the common set-up.
    void Setup() override;
    bool ParseTag(nMetaFile& file, nMetaTag& tag) override;
    nMetaTag* SerializeTag(nMetaFile& file) override;

    nLight& GetLight() { return m_light; }
    nRenderLight* GetRenderLight() const { return m_renderLight.Get(); }

private:
    void ReleaseRenderLight();

    nSceneItemPart<nLight> m_light;
    nSharedPtr<nRenderLight> m_renderLight;
};
