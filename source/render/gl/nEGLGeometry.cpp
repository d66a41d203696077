#include "render/gl/nEGLGeometry.h"

#include "geometry/nMaterial.h"
#include "render/gl/nEGLDisplayList.h"
#include "render/gl/nEGLVBO.h"

nEGLGeometry::~nEGLGeometry() = default;

bool nEGLGeometry::SetVBOCount(uint32_t count)
{
    if (count == m_buffers.size())
        return true;
    m_buffers.clear();
    m_buffers.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        m_buffers.push_back(std::make_unique<nEGLVBO>());
    return true;
}

uint32_t nEGLGeometry::GetVBOCount() const
{
    return static_cast<uint32_t>(m_buffers.size());
}

nEGLVBO* nEGLGeometry::GetVBO(uint32_t index) const
{
    return index < m_buffers.size() ? m_buffers[index].get() : nullptr;
}
