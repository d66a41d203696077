#include "render/nNullRenderer.h"

nNullRenderer::~nNullRenderer()
{
    if (m_open)
        nNullRenderer::Close();
}

bool nNullRenderer::Open(uint32_t width, uint32_t height, uint32_t, bool, void*)
{
    m_outputWidth = width;
    m_outputHeight = height;
    m_open = true;
    m_closed = false;
    return true;
}

void nNullRenderer::Close()
{
    m_open = false;
    m_closed = true;
}

bool nNullRenderer::Resize(uint32_t width, uint32_t height)
{
    m_outputWidth = width;
    m_outputHeight = height;
    return true;
}

void nNullRenderer::GetViewport(int32_t& x, int32_t& y, int32_t& width, int32_t& height) const
{
    x = 0;
    y = 0;
    width = int32_t(m_outputWidth);
    height = int32_t(m_outputHeight);
}
