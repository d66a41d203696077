#pragma once

#include "engine/items/nLight.h"
#include "engine/items/nMItem.h"
#include "engine/items/nSceneItemPart.h"

class nRenderLight;

// The managed light; its file block is "MLight".
class nMLight : public nMItem
{
public:
    static constexpr float DarkIntensity = 0.01f;

    explicit nMLight(nScene* scene);
    ~nMLight() override;

    // A light whose diffuse and specular intensities are both dark lights nothing.
    bool IsEnabled() const override;
    void Update() override;
    void PrepareRender() override;
    void Setup() override;
    bool ParseTag(nMetaFile& file, nMetaTag& tag) override;
    nMetaTag* SerializeTag(nMetaFile& file) override;

    nLight& GetLight() { return m_light; }
    nRenderLight* GetRenderLight() const { return m_renderLight; }

private:
    void ReleaseRenderLight();

    nSceneItemPart<nLight> m_light;
    nRenderLight* m_renderLight = nullptr;
};
