#pragma once

#include <cstdint>

class nEGLRBO;
class nEGLTexture;

// A GL framebuffer object with texture or renderbuffer attachments; owned by its creator.
class nEGLFBO
{
public:
    static constexpr uint32_t MaxColorTargets = 4;

    nEGLFBO() = default;
    nEGLFBO(const nEGLFBO&) = delete;
    nEGLFBO& operator=(const nEGLFBO&) = delete;
    virtual ~nEGLFBO();

    virtual bool Bind();
    virtual void Unbind();
    virtual bool Validate();
    // At most four targets are attached; a null entry detaches its attachment.
    virtual void SetColorTargets(nEGLTexture* const* textures, uint32_t count);
    virtual void SetColorTarget(nEGLTexture* texture);
    virtual void SetColorTargetRBO(nEGLRBO* renderbuffer);
    virtual void SetDepthTexture(nEGLTexture* texture);
    virtual void SetDepthRBO(nEGLRBO* renderbuffer);
    // Does nothing without a target or without the blit entry point.
    virtual void BlitTo(nEGLFBO* target, uint32_t width, uint32_t height, bool colour, bool depth);
    virtual bool Create();
    virtual void Free();

    uint32_t GetName() const { return m_name; }

private:
    uint32_t m_name = 0;
};
