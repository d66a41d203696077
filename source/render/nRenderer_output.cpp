#include "render/nRenderer.h"

void nRenderer::GetOutputSize(uint32_t& width, uint32_t& height) const
{
    width = m_outputWidth;
    height = m_outputHeight;
}
