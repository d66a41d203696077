#include "render/nRenderer.h"

#include "geometry/nTexture.h"

void nRenderer::GetOutputSize(uint32_t& width, uint32_t& height) const
{
    width = m_outputTexture ? m_outputTexture->GetWidth() : m_outputWidth;
    height = m_outputTexture ? m_outputTexture->GetHeight() : m_outputHeight;
}
