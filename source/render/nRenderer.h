#pragma once

#include "core/base/nList.h"
#include "core/base/nSharedPtr.h"
#include "core/math/nColor.h"
#include "core/math/nFrustum.h"
#include "core/math/nPerfCounter.h"
#include "core/nml/nRegistry.h"
#include "platform/nstring/nString.h"
#include "render/nFontPair.h"
#include "render/nRenderable.h"
#include "render/nTextFlags.h"

#include <cstdint>

class nEngineServices;
class nGeometry;
class nItem;
class nLight;
class nMaterial;
class nMatrix4;
class nMetaTag;
class nPicture;
class nRasterFont;
class nRenderGeometry;
class nRenderLight;
class nRenderMaterial;
class nRenderShader;
class nRenderTexture;
class nRenderView;
class nShader;
class nRendererEnvironmentInterface;
class nTexture;
class nTransform;
class nVector;

// The renderer through which the engine, scenes, the 2D interface and scripts draw. The base keeps
// the state every renderer shares (settings registry, render queue, view, fog, statistics) and the
// shapes drawn through the two immediate operations; back ends implement the pure operations.
// The renderer is its own registry's listener, so every key change reaches OnRegistryMessage.
class nRenderer : public nRegistryListener
{
public:
    enum BlendMode : int32_t
    {
        BlendOpaque = 0,
        BlendAlpha = 1,
        BlendAdditive = 2,
    };
    enum ClearFlags : uint32_t
    {
        ClearColour = 1,
        ClearDepth = 2,
    };
    // "Smoothing" and "NormalMapTangent": culling, depth test and depth write stay on.
    static constexpr uint32_t ShapeRenderFlags = 6;

    explicit nRenderer(nEngineServices* engine);
    nRenderer(const nRenderer&) = delete;
    nRenderer& operator=(const nRenderer&) = delete;

    void OnMessage(nRegistryMessage message, const char* data) final;

    virtual int32_t OnRegistryMessage(nRegistryMessage message, const char* keyPath);
    ~nRenderer() override;
    virtual uint32_t GetMaxBatchVertexCount() const;
    virtual void DrawStatistics(const nFontPair& fonts, float& x, float& y);
    virtual void DrawExtraStatistics(const nFontPair& fonts, float& x, float& y);
    virtual void GetOutputSize(uint32_t& width, uint32_t& height) const;
    virtual void SetOutputTexture(nTexture* texture);
    virtual int32_t ResetStatistics();
    virtual void ApplyView();
    virtual bool BeginFrame() = 0;
    virtual void EndFrame() = 0;
    virtual const char* GetName() const = 0;
    virtual const char* GetDescription() const = 0;
    virtual const char* GetVersion() const = 0;
    virtual const nString& GetInfoText() const;
    virtual bool Open(uint32_t width, uint32_t height, uint32_t bitsPerPixel, bool windowed,
                      void* window) = 0;
    virtual void Close() = 0;
    virtual bool Resize(uint32_t width, uint32_t height) = 0;
    virtual void NoOp18(uintptr_t word) = 0;
    virtual void EndPresent() = 0;
    virtual void* GetWindowHandle() const = 0;
    virtual void* NewRenderWindow(const void* displayMode) = 0;
    virtual void MakeCurrent(void* window) = 0;
    virtual void DeleteRenderWindow(void* window) = 0;
    virtual void RenderQueue() = 0;
    virtual void PresentFrame() = 0;
    virtual void ClearFrame(float red, float green, float blue, float alpha, float depth, uint32_t flags) = 0;
    virtual void GrabDisplayToPicture(nPicture* picture) = 0;
    virtual void GrabDisplayToTexture(nTexture* texture) = 0;
    virtual void NoOp29(uintptr_t word) = 0;
    // Four floats per vertex and per colour; two vertices per line, three per triangle.
    virtual void DrawLines(uint32_t count, const nVector* vertices, const nVector* colours, int32_t blendMode,
                           uint32_t renderFlags) = 0;
    virtual void DrawTriangles(uint32_t count, const nVector* vertices, const nVector* colours,
                               const float* uvs, nTexture* texture, int32_t blendMode,
                               uint32_t renderFlags) = 0;
    virtual void DrawBillboards(uint32_t count, const nVector* positions, const nVector* colours,
                                const float* sizes, nTexture* texture, float scale, int32_t blendMode,
                                uint32_t renderFlags) = 0;
    // Draws at (x, y) and leaves the pen after the text; a null colour is the font's own.
    virtual void Write(nRasterFont* font, const char* text, float& x, float& y, nTextFlags flags, float scale,
                       const nColor* colour, int32_t alignment) = 0;
    virtual nRenderGeometry* SetupGeometry(nGeometry* geometry) = 0;
    virtual void NoOp35(uintptr_t a, uintptr_t b, uintptr_t c, uintptr_t d) = 0;
    virtual nRenderTexture* SetupTexture(nTexture* texture) = 0;
    virtual nRenderTexture* LoadTexture(const nString& path) = 0;
    virtual void UpdateTexture(nRenderTexture* texture, const void* pixels, uint32_t width, uint32_t height,
                               uint32_t x, uint32_t y, uint32_t pixelFormat) = 0;
    virtual nRenderMaterial* SetupMaterial(nMaterial* material) = 0;
    virtual void NoOp40(uintptr_t a, uintptr_t b) = 0;
    // A linked program made from the shader, or null.
    virtual nRenderShader* NewMaterialProgram(nShader* shader) = 0;
    virtual nRenderLight* SetupLight(nLight* light) = 0;
    virtual void UpdateLight(nLight* light, nRenderLight* data) = 0;
    virtual void SetViewMatrix(const nMatrix4& matrix, const nMatrix4* inverse) = 0;
    virtual void SetProjectionMatrix(const nMatrix4& matrix) = 0;
    virtual void SetModelMatrix(const nMatrix4& matrix, const nMatrix4* inverse) = 0;
    virtual void ClearClippingPlane() = 0;
    virtual void SetClippingPlane(const nVector& point, const nVector& normal) = 0;
    virtual void SetScissor(bool enable, int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    virtual void SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    virtual void GetViewport(int32_t& x, int32_t& y, int32_t& width, int32_t& height) const = 0;

    nEngineServices* GetEngine() const { return m_engine; }
    // The adapter the renderer runs on, as the profiler shows it after "Running on ".
    const nString& GetAdapterText() const { return m_adapterText; }
    nRegistry& GetRegistry() { return m_registry; }
    bool IsOpen() const { return m_open; }
    bool IsClosed() const { return m_closed; }
    bool GetCleanResourceOnSetup() const { return m_cleanResourceOnSetup; }
    void SetCleanResourceOnSetup(bool clean) { m_cleanResourceOnSetup = clean; }

    // The item the frame is seen from and its camera part (null when the item is no camera).
    nItem* GetViewItem() const { return m_viewItem; }
    nRenderView* GetViewCamera() const { return m_viewCamera; }
    void SetViewItem(nItem* item, nRenderView* camera);
    const nFrustum& GetViewFrustum() const { return m_viewFrustum; }
    nTexture* GetOutputTexture() const { return m_outputTexture; }

    bool IsFogEnabled() const { return m_fogEnabled; }
    float GetFogNear() const { return m_fogNear; }
    float GetFogFar() const { return m_fogFar; }
    const nColor& GetFogColour() const { return m_fogColour; }
    // Repairs rather than refuses: a near below 0.001 keeps the old near, and far stays at least
    // 0.001 beyond near.
    void SetFog(bool enable, const nColor* colour, float nearDistance, float farDistance);

    nRendererEnvironmentInterface* GetEnvironment() const { return m_environment; }
    void SetEnvironment(nRendererEnvironmentInterface* environment) { m_environment = environment; }
    float GetExposure() const { return m_exposure; }
    void SetExposure(float exposure) { m_exposure = exposure; }
    // The aspect correction factor: every camera multiplies it into its aspect ratio, so that a
    // display whose pixels are not square still shows round things round.
    float GetGlobalAspectRatio() const { return m_globalAspectRatio; }
    void SetGlobalAspectRatio(float ratio) { m_globalAspectRatio = ratio; }

    const nList<nRenderable*>& GetRenderQueue() const { return m_renderQueue; }
    void ResetRenderQueue();
    void AddToRenderQueue(nRenderable* renderable);
    // Empties the list, then lets every queued renderable add its entries for the pass, seen
    // from the view camera; nothing is added without a view camera.
    void CollectRenderPrimitives(int32_t pass, nAutoList<nRenderablePrimitive*>& primitives);

    // A raster font for the renderer's engine, loaded from the description at path with its pages
    // from pageBase (derived from path when null or empty); null when it cannot be loaded.
    nRasterFont* LoadRasterFont(const char* path, const char* pageBase);

    // The smallest power of two at least size (exact), or the nearest one up to 4096.
    static uint32_t ComputeTextureSize(uint32_t size, bool exact);

    // One tag named after the renderer with "Version" and a copy of the registry under "Registry".
    nMetaTag* SerializeSettings() const;
    bool ParseSettings(const nMetaTag* tag);

    // Immediate shapes, drawn through DrawLines and DrawTriangles; a null colour is opaque white.
    void DrawTriangle(const nVector* vertices, const nVector* colours, const float* uvs, nTexture* texture,
                      int32_t blendMode, uint32_t renderFlags);
    void DrawLine(const nVector& from, const nVector& to, const nVector* colour,
                  int32_t blendMode = BlendOpaque, uint32_t renderFlags = ShapeRenderFlags);
    void DrawCross(const nVector& centre, float halfSize, const nVector* colour);
    void DrawBox(const nTransform& box, const nVector* colour, int32_t blendMode = BlendOpaque);

    struct Statistics
    {
        uint32_t queuePasses = 0;
        uint32_t lightsProcessed = 0;
        uint32_t objectsDrawn = 0;
        uint32_t listsDrawn = 0;
        uint32_t trianglesDrawn = 0;
    };
    Statistics& GetStatistics() { return m_statistics; }
    const Statistics& GetStatistics() const { return m_statistics; }

protected:
    nEngineServices* m_engine;
    nRegistry m_registry;
    bool m_cleanResourceOnSetup = true;
    nList<nRenderable*> m_renderQueue;
    nString m_infoText;
    nString m_adapterText;
    nString m_extraText;
    Statistics m_statistics;
    float m_exposure = 0.25f;
    nPerfCounter m_profilingTimer;
    bool m_open = false;
    bool m_closed = true;
    uint32_t m_outputWidth = 1;
    uint32_t m_outputHeight = 1;
    nItem* m_viewItem = nullptr;
    nRenderView* m_viewCamera = nullptr;
    nFrustum m_viewFrustum;
    nTexture* m_outputTexture = nullptr;
    // The base's SetOutputTexture keeps the texture alive while it is the output, so that a caller
    // who lets go of it leaves no dangling output (instantiated where nTexture is complete).
    nSharedPtr<nTexture> m_outputTextureReference;
    bool m_fogEnabled = false;
    float m_fogNear = 0.0f;
    float m_fogFar = 0.0f;
    nColor m_fogColour{0.0f, 0.0f, 0.0f, 1.0f};
    float m_fogDensity = 1.0f;
    float m_globalAspectRatio = 1.0f;
    nRendererEnvironmentInterface* m_environment = nullptr;
};
