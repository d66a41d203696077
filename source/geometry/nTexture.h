#pragma once

#include "core/base/nSharedPtr.h"
#include "core/picture/nPicture.h"
#include "render/nRenderTexture.h"

#include <cstddef>
#include <cstdint>

class nEngineServices;

// A picture the renderer uses. Its owner (the engine) hears of its destruction before and after
// the render data goes, so that caches and materials can let go of it. Pixels and the object
// itself are accounted as textures.
class nTexture : public nPicture
{
public:
    enum : uint32_t
    {
        TextureCPURenderTarget = 1,
        TextureGPURenderTarget = 2,
        TextureNormalMap = 4,
    };

    static void* operator new(size_t size) noexcept;
    static void operator delete(void* memory) noexcept;

    // The GPU pixel format is one of the renderer's (0 RGBA8 ... 6 none); the creation word is
    // kept for whoever made the texture.
    nTexture(nEngineServices* owner, uint32_t creationWord, uint32_t gpuPixelFormat);
    ~nTexture() override;

    uint8_t* AllocBlock(size_t bytes) override;
    void FreeBlock(uint8_t* block) override;

    uint32_t GetTextureFlags() const { return m_textureFlags; }
    void SetTextureFlags(uint32_t flags) { m_textureFlags = flags; }
    void SetGPURenderTarget(bool on);
    void SetNormalMap() { m_textureFlags |= TextureNormalMap; }
    uint32_t GetGPUPixelFormat() const { return m_gpuPixelFormat; }
    uint32_t GetCreationWord() const { return m_creationWord; }
    nEngineServices* GetOwner() const { return m_owner; }
    nRenderTexture* GetRenderData() const { return m_renderData.Get(); }
    void SetRenderData(nRenderTexture* renderData) { m_renderData = renderData; }

private:
    uint32_t m_textureFlags = 0;
    uint32_t m_gpuPixelFormat;
    uint32_t m_creationWord;
    nEngineServices* m_owner;
    nSharedPtr<nRenderTexture> m_renderData;
};
