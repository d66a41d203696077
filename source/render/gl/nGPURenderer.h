#pragma once

#include "core/base/nAutoArray.h"
#include "core/base/nList.h"
#include "core/base/nSharedPtr.h"
#include "core/math/nMatrix4.h"
#include "render/gl/nGPUImmediateBuffers.h"
#include "render/gl/nGPURenderPrimitive.h"
#include "render/gl/nMaterialPassShader.h"
#include "render/nRenderer.h"

#include <cstdint>
#include <memory>
#include <vector>

class nEGLDisplayList;
class nEGLMaterial;
class nMetaFile;
class nEGLFBO;
class nEGLGeometry;
class nEGLProgram;
class nShader;
class nEGLRBO;
class nEGLShader;
class nEGLTexture;
class nEGLVBO;
class nGPULightCullDisplayListJob;
class nLightSource;
struct nLightSourceSettings;
class nRenderView;
class nGPUTerrainCache;
class nTerrainPatch;

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

    // The fixed programs of the shader library, in the order they load.
    enum LibraryProgram : uint32_t
    {
        LibrarySingleTextureColor,
        LibrarySingleTexture,
        LibrarySingleColor,
        LibrarySimpleColor,
        LibrarySimple,
        LibrarySingleTextureCutoff,
        LibrarySingleTextureFx,
        LibraryToneMapping,
        LibraryAmbient,
        LibrarySpotLight,
        LibrarySpotLightShadow,
        LibraryPointLight,
        LibraryPointLightShadow,
        LibraryLinearLight,
        LibraryLinearLightShadow,
        LibraryDeferredFog,
        LibraryForwardFog,
        LibraryFxBlur,
        LibraryNoise,
        LibrarySsaa,
        LibrarySsao,
        LibrarySsaoBlur,
        LibraryProgramCount,
    };
    // The library's folder and the file of each program, relative to it.
    static constexpr const char* LibraryFolder = "@core/shaders/egl2/";
    static const char* const LibraryFiles[LibraryProgramCount];

    enum Technique : uint32_t
    {
        TechniqueNone = 0,
        TechniqueForward = 1,
        TechniqueDeferred = 2,
    };
    // The forward light table's answer for a light that is not drawn.
    static constexpr uint32_t NoLightProgram = 11;

    explicit nGPURenderer(nEngineServices* engine);
    ~nGPURenderer() override;

    // The frame.
    int32_t OnRegistryMessage(nRegistryMessage message, const char* keyPath) override;
    void DrawStatistics(const nFontPair& fonts, float& x, float& y) override;
    bool BeginFrame() override;
    void EndFrame() override;
    const char* GetName() const override;
    const char* GetDescription() const override;
    const char* GetVersion() const override;
    bool Open(uint32_t width, uint32_t height, uint32_t bitsPerPixel, bool windowed, void* window) override;
    void Close() override;
    bool Resize(uint32_t width, uint32_t height) override;
    void NoOp18(uintptr_t) override {}
    void EndPresent() override {}
    void RenderQueue() override;
    void NoOp29(uintptr_t) override {}
    nRenderGeometry* SetupGeometry(nGeometry* geometry) override;
    void NoOp35(uintptr_t, uintptr_t, uintptr_t, uintptr_t) override {}
    void NoOp40(uintptr_t, uintptr_t) override {}
    nRenderLight* SetupLight(nLight* light) override;
    void UpdateLight(nLight*, nRenderLight*) override {}
    void SetViewMatrix(const nMatrix4& matrix, const nMatrix4* inverse) override;
    void SetProjectionMatrix(const nMatrix4& matrix) override;
    void SetModelMatrix(const nMatrix4& matrix, const nMatrix4* inverse) override;
    void ClearClippingPlane() override {}
    void SetClippingPlane(const nVector&, const nVector&) override {}

    // Technique 0 reads "Technique" from the registry; force rebuilds the targets even when the
    // technique stays.
    void SetRenderTechnique(uint32_t technique, bool force);
    // Scale 0 reads "PostProcess:FX:Scale"; a scale below 1 is taken as 1.
    void SetupFXTargets(int32_t scale);
    void CreateShadowMaps();
    void FreeShadowMaps();
    // Makes every live material's renderer data afresh.
    void RecompileMaterials();
    // A screen-filling quad with a library program; a null or unlinked program draws nothing.
    void DrawFullscreenQuad(nEGLProgram* program, nEGLTexture* texture, nLightSource* light);

    // Pass and material state of the batches.
    void ApplyPassState(const nGPUPass& pass);
    void ApplyMaterialState(const nMaterial& material, const nGPUPass& pass, bool forceBlend);
    void RestoreMaterialState(const nMaterial& material, const nGPUPass& pass);
    void DrawPrimitiveList(const nGPURenderPrimitiveList& list, const nGPUPass& pass);
    // DrawPrimitiveList without ageing the terrain cache: for the lists that together make one pass.
    void DrawPrimitives(const nGPURenderPrimitiveList& list, const nGPUPass& pass);
    void DrawBatch(nEGLDisplayList* displayList, nRenderItem* item, const nGPUPass& pass);
    void ResetBatchState();
    // The opaque list with its base pass, then one pass per light that reaches the camera, each
    // over the primitives its culling job kept.
    void ForwardLightPass(const nGPURenderPrimitiveList& list, uint32_t blendClass);
    // The opaque list of the forward technique: base terms and each item's first light in one draw.
    void ForwardOpaquePass(const nGPURenderPrimitiveList& list);
    using LightCullJobs = std::vector<std::unique_ptr<nGPULightCullDisplayListJob>>;
    void SubmitLightCullJobs(const nGPURenderPrimitiveList& list, LightCullJobs& jobs);
    bool PrepareLight(nLightSource& light, const nLightSourceSettings& settings, const nGPUPass& pass);
    void EndForwardLightPass();
    // Splits the collected entries into opaque and transparent lists, the opaque one sorted by
    // material then display list, the transparent one by display list then material; false when
    // an entry could not be allocated (the lists then hold what was made).
    bool SplitPrimitives(const nAutoList<nRenderablePrimitive*>& primitives, nGPURenderPrimitiveList& opaque,
                         nGPURenderPrimitiveList& transparent) const;
    // The material program index of the forward light table, or NoLightProgram.
    static uint32_t ForwardLightProgram(int32_t lightType, bool projected, bool shadowed);

    // What the input setters read.
    uint32_t GetTechnique() const { return m_technique; }
    bool HasHardwareMultisample() const { return m_hardwareMultisample; }
    // The forward frame is antialiased into multisampled renderbuffers, resolved at its end.
    bool UsesMultisampleTarget() const
    {
        return m_hardwareMultisample && m_technique == TechniqueForward && m_sampleLevel > 0;
    }
    bool IsRenderToTexture() const { return m_renderToTexture; }
    void SetRenderToTexture(bool on) { m_renderToTexture = on; }
    bool IsAlphaToCoverage() const { return m_alphaToCoverage; }
    bool IsShadowMapping() const { return m_shadowMapping; }
    uint32_t GetShadowMapSize() const { return m_shadowMapSize; }
    uint32_t GetFXScale() const { return m_fxScale; }
    uint32_t GetSampleLevel() const { return m_sampleLevel; }
    void SetWireframe(bool on) { m_wireframe = on; }
    void SetFogSuppressed(bool on) { m_fogSuppressed = on; }
    const nMatrix4& GetProjectionMatrix() const { return m_projection; }
    const nMatrix4& GetViewMatrix() const { return m_view; }
    const nMatrix4& GetInverseViewMatrix() const { return m_inverseView; }
    const nMatrix4& GetModelMatrix() const { return m_model; }
    const nMatrix4& GetInverseModelMatrix() const { return m_inverseModel; }
    nEGLTexture* GetFrameTexture(uint32_t index) const
    {
        return index < 2 ? m_frameTextures[index].get() : nullptr;
    }
    nEGLTexture* GetFrameDepthTexture() const { return m_frameDepthTexture.get(); }
    nEGLTexture* GetGBufferTexture(uint32_t index) const
    {
        return index < 4 ? m_gBuffer[index].get() : nullptr;
    }
    nEGLTexture* GetShadowMap(uint32_t index) const
    {
        return index < 6 ? m_shadowMaps[index].get() : nullptr;
    }
    nEGLTexture* GetNoiseTexture() const;
    nEGLTexture* GetFinalTexture() const { return m_finalTexture; }
    nEGLFBO* GetFrameFBO() const { return m_frameFBO.get(); }
    nEGLFBO* GetMultisampleFBO() const { return m_msaaFBO.get(); }
    nEGLFBO* GetCurrentTarget() const { return m_currentTarget; }
    nEGLRBO* GetMultisampleColourRBO() const { return m_msaaColorRBO.get(); }
    // The window's size, for the quad's texture coordinates.
    virtual void GetWindowSize(uint32_t& width, uint32_t& height) const;

    struct BatchCounters
    {
        uint32_t terrainQueries = 0;
        uint32_t terrainMisses = 0;
        uint32_t programChanges = 0;
        uint32_t listChanges = 0;
        uint32_t materialChanges = 0;
        uint32_t itemChanges = 0;
    };
    BatchCounters& GetBatchCounters() { return m_counters; }
    int32_t ResetStatistics() override;

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
    // No vertex or index buffer stays bound: vertices come from memory again.
    virtual void ReleaseBufferBindings() = 0;

    // Reads the dictionary, then every library program into its slot (a program that does not
    // load leaves its slot null). False, with the library as it was, without a dictionary.
    bool LoadShaderLibrary();
    // The dictionary alone, which material passes need; false after a line when it is missing.
    bool LoadShaderDictionary();
    // One ".nsa" file with its dictionary macros replaced, made into a program; null when the
    // file does not read or the program does not build.
    nEGLProgram* LoadLibraryProgram(const char* path);
    // The ".nsa" file with its dictionary macros replaced; false when it does not read.
    bool ReadLibraryShader(const char* path, nShader& shader) const;
    nEGLProgram* GetLibraryProgram(uint32_t slot) const;
    void FreeShaderLibrary();
    // The dictionary's String text at a tag path ("PCF:4x4;"), or null.
    const char* GetDictionaryText(const char* path) const;
    // The dictionary tags the settings choose: "ShadowMapping:PCF:Quality" (default 1) clamped
    // to 0..3 picks "PCF:4x4;" to "PCF:1x1;"; "ShadowMapping:PSSM:Split" (default 3) clamped to
    // 2..4 picks "PSSM:<n>Split;".
    const char* GetPCFTag() const;
    const char* GetPSSMTag() const;
    uint32_t GetPSSMSplitCount() const;
    // The texts material passes splice in, as the settings and the dictionary give them now.
    nMaterialPassTexts GetMaterialPassTexts() const;

    // Every live GPU material; each adds itself on creation and removes itself on destruction.
    void AddMaterial(nEGLMaterial* material);
    void RemoveMaterial(nEGLMaterial* material);
    const nList<nEGLMaterial*>& GetMaterials() const { return m_materials; }
    // Lets every live material go: its programs are freed and it no longer reaches this renderer.
    void DetachMaterials();

protected:
    // A clear asked for between frames gives the colour the next frame starts from.
    void RememberClearColour(float red, float green, float blue, float alpha);
    bool IsInFrame() const { return m_inFrame; }

private:
    void DrawQueue();
    // Each emitter entry's live particles as camera-facing quads with the particle model's material.
    void DrawParticles(const nAutoList<nRenderablePrimitive*>& entries);
    void ReleaseTechniqueTargets();
    void ReleaseTargets();
    void ApplyPendingChanges();
    void ReleaseLeakedMaterials();
    bool SetupTerrainCache();
    void FreeTerrainCache();

    bool m_pendingMaterials = false;
    bool m_pendingShadowMaps = false;
    bool m_pendingLibrary = false;
    bool m_pendingTechnique = false;
    bool m_pendingFXScale = false;
    bool m_hardwareMultisample = true;
    bool m_renderToTexture = true;
    bool m_alphaToCoverage = false;
    bool m_shadowMapping = true;
    uint32_t m_shadowMapSize = 1024;
    bool m_wireframe = false;
    bool m_fogSuppressed = false;
    uint32_t m_technique = TechniqueNone;
    uint32_t m_sampleLevel = 0;
    BatchCounters m_counters;
    nMatrix4 m_projection;
    // The particle pass's copies of one emitter's particles, kept between frames so that drawing
    // does not allocate once they are large enough.
    nAutoArray<nVector> m_particlePositions{MemCategoryRenderer};
    nAutoArray<nVector> m_particleColours{MemCategoryRenderer};
    nAutoArray<float> m_particleSizes{MemCategoryRenderer};
    nMatrix4 m_view;
    nMatrix4 m_inverseView;
    nMatrix4 m_model;
    nMatrix4 m_inverseModel;

    std::unique_ptr<nEGLFBO> m_msaaFBO;
    std::unique_ptr<nEGLFBO> m_fxFBO;
    std::unique_ptr<nEGLFBO> m_frameFBO;
    std::unique_ptr<nEGLFBO> m_shadowFBO;
    std::unique_ptr<nEGLTexture> m_frameTextures[2];
    std::unique_ptr<nEGLTexture> m_fxTextures[2];
    std::unique_ptr<nEGLRBO> m_msaaColorRBO;
    std::unique_ptr<nEGLRBO> m_depthRBO;
    std::unique_ptr<nEGLTexture> m_frameDepthTexture;
    std::unique_ptr<nEGLTexture> m_shadowMaps[6];
    std::unique_ptr<nEGLTexture> m_gBuffer[4];
    nSharedPtr<nTexture> m_noiseTexture;
    uint32_t m_fxScale = 0;
    nEGLFBO* m_currentTarget = nullptr;
    nEGLTexture* m_finalTexture = nullptr;

    // What the last drawn batch left bound.
    struct BatchCache
    {
        uint32_t lighting = 0xFFFFFFFFu;
        uint32_t programIndex = 0xFFFFFFFFu;
        nEGLDisplayList* displayList = nullptr;
        nEGLMaterial* material = nullptr;
        nEGLProgram* program = nullptr;
        nRenderItem* item = nullptr;
        float opacity = -1.0f;
    };
    BatchCache m_batch;
    nGPUPass m_batchPass;
    std::unique_ptr<nGPUTerrainCache> m_terrainCache;

    bool m_inFrame = false;
    bool m_clearPending = false;
    float m_clearColour[4] = {0.0f, 0.0f, 0.0f, 1.0f};

private:
    std::unique_ptr<nMetaFile> m_dictionary;
    nSharedPtr<nEGLProgram> m_library[LibraryProgramCount];
    nList<nEGLMaterial*> m_materials;

    // Immediate drawing and text: lines, triangles, billboards and raster-font text from client memory.
public:
    void DrawLines(uint32_t count, const nVector* vertices, const nVector* colours, int32_t blendMode,
                   uint32_t renderFlags) override;
    // Draws nothing without colours and texture; counts every triangle drawn.
    void DrawTriangles(uint32_t count, const nVector* vertices, const nVector* colours, const float* uvs,
                       nTexture* texture, int32_t blendMode, uint32_t renderFlags) override;
    // Quads facing the camera, each (right +- up) x size x scale around its position.
    void DrawBillboards(uint32_t count, const nVector* positions, const nVector* colours, const float* sizes,
                        nTexture* texture, float scale, int32_t blendMode, uint32_t renderFlags) override;
    // Alignment 1 centres each line on x and 2 ends it there; any other value starts it there.
    void Write(nRasterFont* font, const char* text, float& x, float& y, nTextFlags flags, float scale,
               const nColor* colour, int32_t alignment) override;
    // Blend mode 1 alpha and 2 additive blending (0 leaves blending alone); the render flags'
    // double-sided, no-depth-write and no-depth-test bits.
    void SetupImmediateState(int32_t blendMode, uint32_t renderFlags);
    void RestoreImmediateState(int32_t blendMode);

private:
    nGPUImmediateBuffers m_immediate;

    // Fog and post-processing: the fog quad over the lit frame, then the view's screen-space effects.
public:
    void DrawFog();
    // Returns the texture holding the finished frame.
    nEGLTexture* PostProcess();
    void SSAO(float strength, float radius, float distance, float blurRadius);
    bool Antialias(uint32_t source, uint32_t destination);
    void Bloom(uint32_t texture, float strength, float threshold, float exponent, float radius);
    bool Noise(uint32_t source, uint32_t destination, float strength, float monochromatic, float lumaBias);
    // Four passes of "fx_blur" between the two FX textures; the result is in the first one.
    void Blur(float distance);

private:
    bool AttachToFx(nEGLTexture* target);
    // The last negative Bloom radius reported, so that a camera keeping it logs it once.
    float m_reportedBloomRadius = 0.0f;
    // Set while the FX FBO cannot be bound, so that a lasting failure is logged once.
    bool m_fxBindFailing = false;

    // Deferred lighting: the G-buffer fill of the opaque list, then each light over it into the frame.
public:
    void DeferredPass(const nGPURenderPrimitiveList& opaqueList);
    void DeferredLightPass();

private:
    // The lights the environment finds at the camera, their matrices brought up to date.
    void CollectCameraLights(nList<nLightSource*>& lights);
    void DrawDeferredLight(nLightSource& light, const nLightSourceSettings& settings, bool shadowed);
    void DrawLightVolume(nEGLProgram& program, nLightSource& light, const nVector (&corners)[8],
                         bool fromInside);
    float NearPlaneReach() const;

    // Shadow maps: the atlas is drawn per light just before the light's pass reads it.
public:
    struct ShadowSplit
    {
        float farDistance = 0.0f;
        nMatrix4 cameraWorld;
        nMatrix4 shadowMatrix;
    };
    // Draws the light's shadow casters into the atlas and records its splits; false when the
    // light casts no shadow (its splits could not be sized or its type has none).
    bool RenderShadowMap(nLightSource& light);
    void RenderShadowCasters(nRenderView& shadowView);
    // The split records of the light last drawn into the atlas (LightShadowMatrix 0 to 5); null
    // for any other light.
    const ShadowSplit* GetShadowSplit(const nLightSource& light, uint32_t index) const
    {
        return &light == m_shadowLight && index < m_shadowSplitCount ? &m_shadowSplits[index] : nullptr;
    }

private:
    // The shadow of a light about to be drawn in a light pass; false when none was drawn.
    bool DrawLightShadow(nLightSource& light, const nGPUPass& pass);
    void RenderShadowPointFaces(nLightSource& light, const nLightSourceSettings& settings);

    // Shadow splits: the parallel light's split ends, the projection record and the atlas size.
public:
    static void ComputePSSMSplits(float zNear, float zFar, float weight, uint32_t count, float* ends);
    // The largest side of a texture the device takes; 0 when it cannot tell.
    virtual uint32_t GetMaxTextureSize() const = 0;
    static constexpr uint32_t MinShadowMapSize = 16;
    // "ShadowMapping:Size" held to MinShadowMapSize..GetMaxTextureSize(), with a line when it moves.
    uint32_t ClampShadowMapSize(int32_t size) const;
    // A spot light's projection texture goes through its split record, shadow or not.
    void RecordProjectionSplit(nLightSource& light);

private:
    void RenderShadowParallelSplits(nLightSource& light, const nLightSourceSettings& settings,
                                    nRenderView& viewCamera);
    void RecordSpotSplit(nLightSource& light, const nLightSourceSettings& settings, bool drawCasters);
    static constexpr uint32_t MaxShadowSplits = 6;
    ShadowSplit m_shadowSplits[MaxShadowSplits];
    uint32_t m_shadowSplitCount = 0;
    nLightSource* m_shadowLight = nullptr;
};
