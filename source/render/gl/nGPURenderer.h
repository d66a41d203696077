#pragma once

#include "core/base/nList.h"
#include "core/base/nSharedPtr.h"
#include "render/gl/nGPUImmediateBuffers.h"
#include "render/gl/nMaterialPassShader.h"
#include "render/nRenderer.h"

#include <cstdint>
#include <memory>

class nEGLDisplayList;
class nEGLMaterial;
class nMetaFile;
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

    explicit nGPURenderer(nEngineServices* engine);
    ~nGPURenderer() override;

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

    // Reads the dictionary, then every library program into its slot (a program that does not
    // load leaves its slot null). False, with the library as it was, without a dictionary.
    bool LoadShaderLibrary();
    // The dictionary alone, which material passes need; false after a line when it is missing.
    bool LoadShaderDictionary();
    // One ".nsa" file with its dictionary macros replaced, made into a program; null when the
    // file does not read or the program does not build.
    nEGLProgram* LoadLibraryProgram(const char* path);
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
};
