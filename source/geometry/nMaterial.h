#pragma once

#include "core/base/nSharedObject.h"
#include "core/base/nSharedPtr.h"
#include "core/math/nColor.h"
#include "core/nml/nMetaObject.h"
#include "geometry/nMaterialChannel.h"
#include "geometry/nMaterialRenderFlags.h"
#include "geometry/nPhysicMaterial.h"
#include "geometry/nTextureStage.h"
#include "platform/nstring/nString.h"
#include "render/nRenderMaterial.h"

#include <cstddef>
#include <cstdint>

class nEngineServices;
class nGeometry;
class nShaderMap;
class nTexture;

// How a surface looks and behaves: colours, scalars, render flags, up to six texture stages bound
// to channels, an optional shader map and the physical properties. The channel table points each
// channel at the first stage bound to it; Update rebuilds it.
class nMaterial : public nPhysicMaterial, public nSharedObject, public nMetaObject
{
public:
    nString name = "Default";
    nEngineServices* engine;
    nGeometry* owner = nullptr; // set when a geometry owns the material, cleared when it lets go
    // Made inside a geometry (read from its file or made as its default) rather than loaded from a
    // material file: there is no file to refer to, so every geometry that uses it writes it in full.
    bool embedded = false;
    nString shaderName;
    nColor diffuse{1.0f, 1.0f, 1.0f, 1.0f};
    nColor specular{1.0f, 1.0f, 1.0f, 1.0f};
    nColor selfIllumination{0.0f, 0.0f, 0.0f, 1.0f};
    nColor ambient{1.0f, 1.0f, 1.0f, 1.0f};
    float glossiness = 0.4f;
    float opacity = 1.0f;
    float reflection = 0.0f;
    float ior = 1.0f;
    float alphaThreshold = 0.1f;
    float maxSmoothingAngle = 0.0f; // a cosine limit
    uint32_t renderFlags = MaterialDefaultRenderFlags;
    uint32_t blendOp = MaterialBlendNone;
    nShaderMap* shaderMap = nullptr; // owned
    nTextureStage* channelTable[ChannelCount] = {};
    uint32_t stageCount = 0; // "TextureStage" tags read
    nTextureStage stages[nTextureStageCount];
    nSharedPtr<nRenderMaterial> renderData;

    static void* operator new(size_t size) noexcept;
    static void operator delete(void* memory) noexcept;

    explicit nMaterial(nEngineServices* engine);
    nMaterial(const nMaterial&) = delete;
    nMaterial& operator=(const nMaterial&) = delete;
    ~nMaterial() override;

    // Every default back, the shader map deleted, the stages and the channel table emptied.
    void Reset();
    // Deletes the current shader map and takes the given one (null for none).
    void SetShaderMap(nShaderMap* map);

    // With usableOnly, only a stage that is active and has a texture.
    nTextureStage* GetChannel(uint32_t channel, bool usableOnly) const
    {
        nTextureStage* stage = channel < ChannelCount ? channelTable[channel] : nullptr;
        return stage && (!usableOnly || stage->IsUsable()) ? stage : nullptr;
    }
    bool IsChannelActive(uint32_t channel) const
    {
        const nTextureStage* stage = GetChannel(channel, false);
        return stage && stage->active;
    }
    static const char* GetChannelName(uint32_t channel) { return GetMaterialChannelName(channel); }

    // The channel's usable stage when there is one; else the first free stage (channel 0) bound
    // to it and activated; null after a warning when no stage is free. Update rebuilds the table.
    nTextureStage* AddStage(uint32_t channel, nTexture* texture, uint32_t uvSource, uint32_t uvSet);
    // Deactivates stages that cannot be drawn and rebuilds the channel table.
    void Update();

    // True when every field that look and behaviour depend on is equal: names, colours, scalars,
    // flags, the shader map (the same one), the stages (the same textures) and the physical
    // properties. Who owns the material and the renderer's data do not count.
    bool IsSameAs(const nMaterial& other) const;

    bool ParseTag(nMetaFile& file, nMetaTag& tag) override;
    nMetaTag* SerializeTag(nMetaFile& file) override;

private:
    void ReadTextureStage(const nMetaTag& tag);
    void ReadRenderMask(const nMetaTag& tag);
    // The reals and colours stored as read; false for any other tag.
    bool ReadValueTag(const nMetaTag& tag);
    void ReadColor(const nMetaTag& tag, nColor& color);
    void AddEmbeddedOpacityStage();
    void WriteTextureStage(nMetaTag& parent, uint32_t index) const;
};
