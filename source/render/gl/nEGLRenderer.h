#pragma once

#include "render/gl/nEGLProgram.h"
#include "render/gl/nGPURenderer.h"

#include <cstdint>

class nEGLRenderWindow;

// The OpenGL back end of the device layer: SDL windows with GL compatibility contexts, and the GL
// objects of textures, buffers, framebuffers, display lists and programs. The frame itself is the
// GPU renderer's; every call runs on the main thread with a context current.
class nEGLRenderer : public nGPURenderer
{
public:
    explicit nEGLRenderer(nEngineServices* engine);
    ~nEGLRenderer() override;

    int32_t OnRegistryMessage(nRegistryMessage message, const char* keyPath) override;
    void* NewRenderWindow(const void* window) override;
    void MakeCurrent(void* window) override;
    void DeleteRenderWindow(void* window) override;
    void PresentFrame() override;
    void ClearFrame(float red, float green, float blue, float alpha, float depth, uint32_t flags) override;
    void GrabDisplayToPicture(nPicture* picture) override;
    void GrabDisplayToTexture(nTexture* texture) override;
    nRenderTexture* SetupTexture(nTexture* texture) override;
    nRenderTexture* LoadTexture(const nString& path) override;
    void UpdateTexture(nRenderTexture* texture, const void* pixels, uint32_t width, uint32_t height,
                       uint32_t x, uint32_t y, uint32_t pixelFormat) override;
    void SetScissor(bool enable, int32_t x, int32_t y, int32_t width, int32_t height) override;
    void SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void GetViewport(int32_t& x, int32_t& y, int32_t& width, int32_t& height) const override;

    bool QueryCapability(uint32_t capability, bool& value) override;
    uint32_t GetMaxTextureSize() const override;
    nEGLGeometry* NewGeometry() override;
    nEGLTexture* NewTexture() override;
    nEGLFBO* NewFBO() override;
    nEGLRBO* NewRBO() override;
    nEGLVBO* NewVBO() override;
    nEGLDisplayList* NewDisplayList() override;
    nEGLShader* NewShader() override;
    nEGLProgram* NewProgram() override;
    void SetPolygonMode(uint32_t mode) override;
    void SetCullFace(uint32_t face) override;
    void EnableFaceCulling(bool enable) override;
    void SetDepthFunc(uint32_t func) override;
    void EnableDepthTest(bool enable) override;
    void EnableDepthWrite(bool enable) override;
    void SetBlendFunc(uint32_t source, uint32_t destination) override;
    void EnableBlending(bool enable) override;
    void EnableMultisample(bool enable) override;
    void SetAlphaTest(bool enable, float reference) override;
    void DrawPrimitives(uint32_t primitive, uint32_t count, uint32_t indexType, const void* indices) override;
    bool LoadExtensions() override;
    bool OpenDisplay(uint32_t width, uint32_t height, uint32_t colourBits, uint32_t windowMode,
                     void* window) override;
    void CloseDisplay() override;
    void ResizeTexture(nEGLTexture* texture, uint32_t width, uint32_t height) override;
    void ReleaseBufferBindings() override;
    void GetWindowSize(uint32_t& width, uint32_t& height) const override;
    // The SDL window of the main display, which the input system reads its pointer and keys from.
    void* GetWindowHandle() const override;

    // Updates the material, then builds its eleven pass programs; a pass that fails stays unlinked.
    nRenderMaterial* SetupMaterial(nMaterial* material) override;
    // Releases the program and answers null when it does not build.
    nEGLProgram* NewMaterialProgram(nShader* shader) override;

    const nString& GetGLRendererName() const { return m_glRendererName; }
    const nString& GetGLVendorName() const { return m_glVendorName; }
    nEGLRenderWindow* GetMainWindow() const { return m_mainWindow; }
    nEGLRenderWindow* GetCurrentWindow() const { return m_currentWindow; }

private:
    void* CreateWindow(uint32_t width, uint32_t height, uint32_t colourBits, uint32_t windowMode);
    nEGLRenderWindow* WrapWindow(void* window, bool ownsWindow);
    void SetInitialState();
    // Sets the swap interval and logs how the driver answered.
    void ApplyVSync(bool on);
    nEGLTexture* LoadDDS(const nString& path);

    nString m_glRendererName;
    nString m_glVendorName;
    nEGLRenderWindow* m_mainWindow = nullptr;
    nEGLRenderWindow* m_currentWindow = nullptr;
    bool m_videoStarted = false;
    float m_viewport[4] = {};
};
