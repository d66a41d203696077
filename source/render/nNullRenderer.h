#pragma once

#include "render/nRenderer.h"

// The renderer that draws nothing: the engine's own, current whenever no other is. It only keeps
// the output size and whether it is open, and every set-up answers null.
class nNullRenderer : public nRenderer
{
public:
    using nRenderer::nRenderer;
    ~nNullRenderer() override;

    bool BeginFrame() override { return true; }
    void EndFrame() override {}
    const char* GetName() const override { return "Null Renderer."; }
    const char* GetDescription() const override { return "A null renderer that renders nothing."; }
    const char* GetVersion() const override { return "0.0"; }
    bool Open(uint32_t width, uint32_t height, uint32_t bitsPerPixel, bool windowed, void* window) override;
    void Close() override;
    bool Resize(uint32_t width, uint32_t height) override;
    void NoOp18(uintptr_t) override {}
    void EndPresent() override {}
    void* GetWindowHandle() const override { return nullptr; }
    void* NewRenderWindow(const void*) override { return nullptr; }
    void MakeCurrent(void*) override {}
    void DeleteRenderWindow(void*) override {}
    void RenderQueue() override {}
    void PresentFrame() override {}
    void ClearFrame(float, float, float, float, float, uint32_t) override {}
    void GrabDisplayToPicture(nPicture*) override {}
    void GrabDisplayToTexture(nTexture*) override {}
    void NoOp29(uintptr_t) override {}
    void DrawLines(uint32_t, const nVector*, const nVector*, int32_t, uint32_t) override {}
    void DrawTriangles(uint32_t, const nVector*, const nVector*, const float*, nTexture*, int32_t,
                       uint32_t) override
    {
    }
    void DrawBillboards(uint32_t, const nVector*, const nVector*, const float*, nTexture*, float, int32_t,
                        uint32_t) override
    {
    }
    void Write(nRasterFont*, const char*, float&, float&, nTextFlags, float, const nColor*, int32_t) override
    {
    }
    nRenderGeometry* SetupGeometry(nGeometry*) override { return nullptr; }
    void NoOp35(uintptr_t, uintptr_t, uintptr_t, uintptr_t) override {}
    nRenderTexture* SetupTexture(nTexture*) override { return nullptr; }
    nRenderTexture* LoadTexture(const nString&) override { return nullptr; }
    void UpdateTexture(nRenderTexture*, const void*, uint32_t, uint32_t, uint32_t, uint32_t,
                       uint32_t) override
    {
    }
    nRenderMaterial* SetupMaterial(nMaterial*) override { return nullptr; }
    void NoOp40(uintptr_t, uintptr_t) override {}
    nRenderShader* NewMaterialProgram(nShader*) override { return nullptr; }
    nRenderLight* SetupLight(nLight*) override { return nullptr; }
    void UpdateLight(nLight*, nRenderLight*) override {}
    void SetViewMatrix(const nMatrix4&, const nMatrix4*) override {}
    void SetProjectionMatrix(const nMatrix4&) override {}
    void SetModelMatrix(const nMatrix4&, const nMatrix4*) override {}
    void ClearClippingPlane() override {}
    void SetClippingPlane(const nVector&, const nVector&) override {}
    void SetScissor(bool, int32_t, int32_t, int32_t, int32_t) override {}
    void SetViewport(int32_t, int32_t, int32_t, int32_t) override {}
    void GetViewport(int32_t& x, int32_t& y, int32_t& width, int32_t& height) const override;
};
