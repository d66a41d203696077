#include "render/gl/nGPURenderer.h"

#include "render/gl/nEGLFBO.h"

namespace
{
constexpr uint32_t FactorSourceAlpha = 2;
constexpr uint32_t FactorOneMinusSourceAlpha = 3;
} // namespace

// The forward fog reads the frame's depth texture, which cannot stay attached while it is
// sampled: it comes off for the quad and goes back for what is drawn after the queue.
void nGPURenderer::DrawFog()
{
    if (!IsFogEnabled() || m_fogSuppressed)
        return;
    const bool deferred = m_technique == TechniqueDeferred;
    const bool detachDepth = !deferred && m_frameFBO && m_frameDepthTexture;
    if (m_frameFBO)
    {
        m_frameFBO->Bind();
        m_frameFBO->SetColorTarget(m_frameTextures[0].get());
        if (detachDepth)
            m_frameFBO->SetDepthTexture(nullptr);
    }
    SetBlendFunc(FactorSourceAlpha, FactorOneMinusSourceAlpha);
    EnableBlending(true);
    DrawFullscreenQuad(GetLibraryProgram(deferred ? LibraryDeferredFog : LibraryForwardFog), nullptr, nullptr);
    EnableBlending(false);
    if (detachDepth)
        m_frameFBO->SetDepthTexture(m_frameDepthTexture.get());
}
