#include "render/gl/nGPURenderer.h"

#include "core/base/nLog.h"
#include "geometry/nTexture.h"
#include "render/gl/nEGLFBO.h"
#include "render/gl/nEGLMaterial.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nEGLRBO.h"
#include "render/gl/nEGLTexture.h"
#include "render/nEngineServices.h"

namespace
{
constexpr uint32_t ClearEverything = nRenderer::ClearColour | nRenderer::ClearDepth;
// Faces of the device's cull-face table.
constexpr uint32_t CullFrontFaces = 0;
constexpr uint32_t CullBackFaces = 1;
} // namespace

const char* nGPURenderer::GetName() const
{
    return "egl2";
}

const char* nGPURenderer::GetDescription() const
{
    return "OpenGL ES 2.0 based hardware renderer.";
}

const char* nGPURenderer::GetVersion() const
{
    return "2.0";
}

void nGPURenderer::GetWindowSize(uint32_t& width, uint32_t& height) const
{
    GetOutputSize(width, height);
}

nEGLTexture* nGPURenderer::GetNoiseTexture() const
{
    return m_noiseTexture ? static_cast<nEGLTexture*>(m_noiseTexture->GetRenderData()) : nullptr;
}

bool nGPURenderer::Open(uint32_t width, uint32_t height, uint32_t bitsPerPixel, bool windowed, void* window)
{
    if (!OpenDisplay(width, height, bitsPerPixel, windowed ? WindowShown : WindowFullScreen, window) ||
        !LoadExtensions())
        return false;
    nLogHolder::Get() << "[H] GPU-based (" << GetName() << ") on adapter " << GetAdapterText() << "\n";
    bool multisample = m_hardwareMultisample;
    if (QueryCapability(CapabilityMultisampledTargets, multisample))
        m_hardwareMultisample = multisample;
    if (!m_hardwareMultisample)
        nLogHolder::Get() << "[*] Insufficient RBO support, falling back to RTT: No hardware MSAA.\n";
    m_outputWidth = width ? width : 1;
    m_outputHeight = height ? height : 1;
    SetViewport(0, 0, static_cast<int32_t>(m_outputWidth), static_cast<int32_t>(m_outputHeight));
    LoadShaderLibrary();
    for (std::unique_ptr<nEGLFBO>* fbo : {&m_msaaFBO, &m_fxFBO, &m_frameFBO, &m_shadowFBO})
    {
        fbo->reset(NewFBO());
        (*fbo)->Create();
    }
    m_shadowFBO->Bind();
    m_shadowFBO->SetColorTarget(nullptr);
    m_shadowFBO->Unbind();
    CreateShadowMaps();
    SetRenderTechnique(TechniqueNone, false);
    SetupFXTargets(0);
    if (!SetupTerrainCache())
        return false;
    if (nEngineServices* engine = GetEngine())
        m_noiseTexture = engine->LoadTexture("@core/noise.tga", false, false);
    m_open = true;
    m_closed = false;
    return true;
}

void nGPURenderer::Close()
{
    ReleaseTechniqueTargets();
    ReleaseTargets();
    FreeShadowMaps();
    m_shadowFBO.reset();
    FreeTerrainCache();
    ReleaseLeakedMaterials();
    FreeShaderLibrary();
    CloseDisplay();
    m_open = false;
    m_closed = true;
}

void nGPURenderer::ReleaseTargets()
{
    m_msaaFBO.reset();
    m_frameFBO.reset();
    m_fxFBO.reset();
    for (uint32_t index = 0; index < 2; ++index)
    {
        m_frameTextures[index].reset();
        m_fxTextures[index].reset();
    }
    m_noiseTexture = nullptr;
    m_fxScale = 0;
    m_currentTarget = nullptr;
    m_finalTexture = nullptr;
}

void nGPURenderer::ReleaseLeakedMaterials()
{
    if (m_materials.IsEmpty())
        return;
    nLogHolder::Get() << "[!] Cleaning leaked resources:\n";
    nLogHolder::Get() << "[!]   - " << m_materials.GetCount() << " materials.\n";
    DetachMaterials();
}

bool nGPURenderer::Resize(uint32_t width, uint32_t height)
{
    m_outputWidth = width ? width : 1;
    m_outputHeight = height ? height : 1;
    SetRenderTechnique(m_technique, true);
    return true;
}

void nGPURenderer::RememberClearColour(float red, float green, float blue, float alpha)
{
    m_clearPending = true;
    m_clearColour[0] = red;
    m_clearColour[1] = green;
    m_clearColour[2] = blue;
    m_clearColour[3] = alpha;
}

// A scene clears to its background before the frame begins: that colour is the frame's. The
// deferred technique clears its frame target too, since its lights draw only where the G-buffer
// fill drew and the background shows everywhere else; later passes draw straight into that target.
// The forward frame draws into the multisampled target only when it is antialiased: without
// samples to resolve, the copy into the frame texture would be a full-screen blit for nothing.
bool nGPURenderer::BeginFrame()
{
    ApplyView();
    m_currentTarget = UsesMultisampleTarget() ? m_msaaFBO.get() : m_frameFBO.get();
    m_finalTexture = m_frameTextures[0].get();
    if (m_renderToTexture && (!m_currentTarget || !m_currentTarget->Bind()))
        return false;
    m_inFrame = true;
    const float* colour = m_clearColour;
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    ClearFrame(m_clearPending ? colour[0] : black[0], m_clearPending ? colour[1] : black[1],
               m_clearPending ? colour[2] : black[2], m_clearPending ? colour[3] : black[3], 1.0f,
               ClearEverything);
    m_clearPending = false;
    return true;
}

void nGPURenderer::EndFrame()
{
    m_inFrame = false;
    if (!m_renderToTexture || !m_frameFBO)
        return;
    m_frameFBO->Bind();
    m_frameFBO->SetColorTarget(m_frameTextures[0].get());
    m_frameFBO->Unbind();
    DrawFullscreenQuad(GetLibraryProgram(LibrarySingleTexture), m_finalTexture, nullptr);
}

void nGPURenderer::RenderQueue()
{
    if (m_engine)
        m_engine->BeginRenderQueueTimer();
    DrawQueue();
    if (m_engine)
        m_engine->EndRenderQueueTimer();
}

void nGPURenderer::DrawQueue()
{
    nAutoList<nRenderablePrimitive*> collected;
    CollectRenderPrimitives(0, collected);
    m_statistics.objectsDrawn += collected.GetCount();
    nGPURenderPrimitiveList opaque(MemCategoryRenderer);
    nGPURenderPrimitiveList transparent(MemCategoryRenderer);
    SplitPrimitives(collected, opaque, transparent);
    // Scene faces wound clockwise on screen face the viewer (their normals point at it), and the
    // device's initial culling would take exactly those: the passes cull the faces turned away.
    SetCullFace(CullBackFaces);
    if (m_technique == TechniqueDeferred)
        DeferredPass(opaque);
    else
        ForwardLightPass(opaque, nGPUPass::BlendOpaque);
    ForwardLightPass(transparent, nGPUPass::BlendTransparent);
    SetCullFace(CullFrontFaces);
    DrawParticles(collected);
    if (!m_renderToTexture)
        return;
    if (m_currentTarget == m_msaaFBO.get() && m_msaaFBO)
        m_msaaFBO->BlitTo(m_frameFBO.get(), m_outputWidth, m_outputHeight, true, true);
    DrawFog();
    m_finalTexture = PostProcess();
    if (m_frameFBO)
    {
        m_frameFBO->Bind();
        m_frameFBO->SetColorTarget(m_finalTexture);
    }
}

void nGPURenderer::SetViewMatrix(const nMatrix4& matrix, const nMatrix4* inverse)
{
    m_view = matrix;
    m_inverseView = inverse ? *inverse : matrix.InverseAffine();
}

void nGPURenderer::SetProjectionMatrix(const nMatrix4& matrix)
{
    m_projection = matrix;
}

void nGPURenderer::SetModelMatrix(const nMatrix4& matrix, const nMatrix4* inverse)
{
    m_model = matrix;
    m_inverseModel = inverse ? *inverse : matrix.InverseAffine();
}

int32_t nGPURenderer::ResetStatistics()
{
    m_counters = BatchCounters();
    return nRenderer::ResetStatistics();
}
