#include "render/gl/nGPURenderer.h"

#include "core/base/nLog.h"
#include "render/gl/nEGLFBO.h"
#include "render/gl/nEGLRBO.h"
#include "render/gl/nEGLTexture.h"

namespace
{
// Texture and renderbuffer formats of the back end.
constexpr uint32_t TextureRGBA8 = 0;
constexpr uint32_t TextureHalfFloat = 3;
constexpr uint32_t TextureDepth24 = 4;
constexpr uint32_t RenderbufferRGBA8 = 0;
constexpr uint32_t RenderbufferHalfFloat = 1;
constexpr uint32_t RenderbufferDepth24 = 2;

std::unique_ptr<nEGLTexture> MakeTexture(nGPURenderer& renderer, uint32_t width, uint32_t height, uint32_t format,
                                         bool filtering)
{
    std::unique_ptr<nEGLTexture> texture(renderer.NewTexture());
    if (!texture)
        return nullptr;
    texture->Create(width, height, format, true);
    texture->SetFiltering(filtering);
    return texture;
}

std::unique_ptr<nEGLRBO> MakeRenderbuffer(nGPURenderer& renderer, uint32_t width, uint32_t height,
                                          uint32_t format, uint32_t sampleLevel)
{
    std::unique_ptr<nEGLRBO> renderbuffer(renderer.NewRBO());
    if (renderbuffer)
        renderbuffer->Create(width, height, format, sampleLevel);
    return renderbuffer;
}

uint32_t SampleLevel(float samples)
{
    if (samples > 8.0f)
        return 4;
    if (samples > 4.0f)
        return 3;
    if (samples > 2.0f)
        return 2;
    if (samples > 1.0f)
        return 1;
    return 0;
}
} // namespace

void nGPURenderer::ReleaseTechniqueTargets()
{
    for (std::unique_ptr<nEGLTexture>& texture : m_gBuffer)
        texture.reset();
    m_msaaColorRBO.reset();
    m_depthRBO.reset();
    m_frameDepthTexture.reset();
}

void nGPURenderer::SetRenderTechnique(uint32_t technique, bool force)
{
    nLogHolder::Get() << "[H] Switching rendering technique.\n";
    if (technique == TechniqueNone)
        technique = m_registry.GetString("Technique", "Fixed") == "Deferred" ? TechniqueDeferred : TechniqueForward;
    if (!m_renderToTexture && technique == TechniqueDeferred)
        technique = TechniqueForward;
    if (technique == m_technique && !force)
        return;
    ReleaseTechniqueTargets();
    m_technique = technique;
    const bool forward = technique == TechniqueForward;
    m_sampleLevel = forward && m_hardwareMultisample && m_registry.GetBool("Antialiasing:Enable", false)
                        ? SampleLevel(m_registry.GetFloat("Antialiasing:Sample", 4.0f))
                        : 0;
    m_alphaToCoverage = m_sampleLevel != 0;
    const uint32_t width = m_outputWidth;
    const uint32_t height = m_outputHeight;
    nLogHolder::Get() << "SetRenderTechnique(): " << width << "x" << height << "\n";
    const bool floatTextures = m_registry.GetBool("Texture:Float:Enable", false);
    for (std::unique_ptr<nEGLTexture>& texture : m_frameTextures)
        texture = MakeTexture(*this, width, height, floatTextures ? TextureHalfFloat : TextureRGBA8, true);
    if (!m_msaaFBO || !m_frameFBO)
        return;
    if (forward)
    {
        if (UsesMultisampleTarget())
        {
            m_msaaColorRBO = MakeRenderbuffer(*this, width, height,
                                              floatTextures ? RenderbufferHalfFloat : RenderbufferRGBA8,
                                              m_sampleLevel);
            m_depthRBO = MakeRenderbuffer(*this, width, height, RenderbufferDepth24, m_sampleLevel);
            m_msaaFBO->Bind();
            m_msaaFBO->SetColorTargetRBO(m_msaaColorRBO.get());
            m_msaaFBO->SetDepthRBO(m_depthRBO.get());
            m_msaaFBO->Unbind();
        }
        m_frameDepthTexture = MakeTexture(*this, width, height, TextureDepth24, false);
        m_frameFBO->Bind();
        m_frameFBO->SetColorTarget(m_frameTextures[0].get());
        m_frameFBO->SetDepthTexture(m_frameDepthTexture.get());
        m_frameFBO->Unbind();
        return;
    }
    nEGLTexture* targets[4] = {};
    for (uint32_t index = 0; index < 4; ++index)
    {
        m_gBuffer[index] = MakeTexture(*this, width, height, TextureHalfFloat, false);
        targets[index] = m_gBuffer[index].get();
    }
    m_depthRBO = MakeRenderbuffer(*this, width, height, RenderbufferDepth24, 0);
    m_msaaFBO->Bind();
    m_msaaFBO->SetColorTargets(targets, 4);
    m_msaaFBO->SetDepthRBO(m_depthRBO.get());
    m_msaaFBO->Unbind();
    m_frameFBO->Bind();
    m_frameFBO->SetColorTarget(m_frameTextures[0].get());
    m_frameFBO->SetDepthRBO(m_depthRBO.get());
    m_frameFBO->Unbind();
}

// A scale of 0 or less would divide by zero: it is taken as 1.
void nGPURenderer::SetupFXTargets(int32_t scale)
{
    if (scale == 0)
        scale = m_registry.GetInt("PostProcess:FX:Scale", 4);
    if (scale < 1)
    {
        nLogHolder::Get() << "[*] PostProcess:FX:Scale " << scale << " taken as 1.\n";
        scale = 1;
    }
    const uint32_t divisor = static_cast<uint32_t>(scale);
    const uint32_t width = m_outputWidth / divisor ? m_outputWidth / divisor : 1;
    const uint32_t height = m_outputHeight / divisor ? m_outputHeight / divisor : 1;
    for (std::unique_ptr<nEGLTexture>& texture : m_fxTextures)
        texture = MakeTexture(*this, width, height, TextureHalfFloat, true);
    m_fxScale = divisor;
}

void nGPURenderer::CreateShadowMaps()
{
    m_shadowMapping = m_registry.GetBool("ShadowMapping:Enable", true);
    m_shadowMapSize = ClampShadowMapSize(m_registry.GetInt("ShadowMapping:Size", 1024));
    nLogHolder::Get() << "Creating shadow maps (" << m_shadowMapSize << "x" << m_shadowMapSize << ").\n";
    FreeShadowMaps();
    if (!m_shadowMapping)
        return;
    m_shadowMaps[0] = MakeTexture(*this, m_shadowMapSize, m_shadowMapSize, TextureDepth24, false);
    if (m_shadowMaps[0])
        m_shadowMaps[0]->SetDepthCompareMode();
}

void nGPURenderer::FreeShadowMaps()
{
    for (std::unique_ptr<nEGLTexture>& texture : m_shadowMaps)
        texture.reset();
}
