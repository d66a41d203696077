#pragma once

#include "render/nRenderTexture.h"

#include <cstdint>

// A GL 2D texture. A render target is drawn into and carries no mipmaps.
class nEGLTexture : public nRenderTexture
{
public:
    using nRenderTexture::nRenderTexture;
    ~nEGLTexture() override;

    // On the bound texture: compare against depth with GL_LEQUAL, linear filters.
    virtual void SetDepthCompareMode();
    // Replaces the name; a width or height of 0 leaves a name without storage.
    virtual bool Create(uint32_t width, uint32_t height, uint32_t pixelFormat, bool renderTarget);
    virtual void SetFiltering(bool on);
    virtual void Free();

    // Generates a name and binds it, as the loaders that fill levels themselves need.
    bool GenerateName();
    // On the bound texture, where the context supports anisotropic filtering.
    static void SetAnisotropy(float samples);
    uint32_t GetName() const { return m_name; }
    uint32_t GetInternalFormat() const { return m_internalFormat; }
    void SetInternalFormat(uint32_t format) { m_internalFormat = format; }
    bool IsRenderTarget() const { return m_renderTarget; }

private:
    bool m_renderTarget = false;
    uint32_t m_name = 0;
    uint32_t m_internalFormat = 0;
};
