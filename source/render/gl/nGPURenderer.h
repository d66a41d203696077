#pragma once

#include "render/nRenderer.h"

#include <cstdint>

class nEGLDisplayList;
class nEGLFBO;
class nEGLGeometry;
class nEGLProgram;
class nEGLRBO;
class nEGLShader;
class nEGLTexture;
class nEGLVBO;

// The device layer the GPU renderer draws frames through, after the renderer interface's slots.
class nGPURenderer : public nRenderer
{
public:
    enum Capability : uint32_t
    {
        CapabilityMultisampledTargets = 2,
    };
    enum WindowMode : uint32_t
    {
        WindowShown = 0,
        WindowFullScreen = 1,
        WindowHidden = 2,
        WindowNone = 3,
    };
    // Index types of DrawPrimitives; NoIndices draws the vertices in order.
    static constexpr uint32_t NoIndices = 6;

    using nRenderer::nRenderer;

    // False for an unknown capability, the out value then untouched.
    virtual bool QueryCapability(uint32_t capability, bool& value) = 0;
    virtual nEGLGeometry* NewGeometry() = 0;
    virtual nEGLTexture* NewTexture() = 0;
    virtual nEGLFBO* NewFBO() = 0;
    virtual nEGLRBO* NewRBO() = 0;
    virtual nEGLVBO* NewVBO() = 0;
    virtual nEGLDisplayList* NewDisplayList() = 0;
    virtual nEGLShader* NewShader() = 0;
    virtual nEGLProgram* NewProgram() = 0;
    // Values outside a setter's table leave the state as it is.
    virtual void SetPolygonMode(uint32_t mode) = 0;
    virtual void SetCullFace(uint32_t face) = 0;
    virtual void EnableFaceCulling(bool enable) = 0;
    virtual void SetDepthFunc(uint32_t func) = 0;
    virtual void EnableDepthTest(bool enable) = 0;
    virtual void EnableDepthWrite(bool enable) = 0;
    virtual void SetBlendFunc(uint32_t source, uint32_t destination) = 0;
    virtual void EnableBlending(bool enable) = 0;
    virtual void EnableMultisample(bool enable) = 0;
    virtual void SetAlphaTest(bool enable, float reference) = 0;
    // Primitive 0 lines, 1 triangles; indices are a pointer or an offset into the bound buffer.
    virtual void DrawPrimitives(uint32_t primitive, uint32_t count, uint32_t indexType,
                                const void* indices) = 0;
    virtual bool LoadExtensions() = 0;
    virtual bool OpenDisplay(uint32_t width, uint32_t height, uint32_t colourBits, uint32_t windowMode,
                             void* window) = 0;
    virtual void CloseDisplay() = 0;
    virtual void ResizeTexture(nEGLTexture* texture, uint32_t width, uint32_t height) = 0;
};
