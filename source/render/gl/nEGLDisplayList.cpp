#include "render/gl/nEGLDisplayList.h"

#include "core/base/nMemory.h"
#include "render/gl/nEGLEntryPoints.h"
#include "render/gl/nEGLVBO.h"
#include "render/gl/nGPUGeometryStreams.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr uint32_t IndexBufferKind = 0;
constexpr uint32_t VertexBufferKind = 1;
constexpr uint32_t StaticUsage = 0;
constexpr uint32_t LargestIndex = 0xFFFF;

} // namespace

nEGLDisplayList::nEGLDisplayList() : m_boneMap(MemCategoryGeometry) {}

nEGLDisplayList::~nEGLDisplayList() = default;

bool nEGLDisplayList::Build(const nGPUGeometryStreams& streams, uintptr_t userWord)
{
    if (streams.boneMap != nullptr && m_boneMap.Resize(streams.boneMapCount) && streams.boneMapCount > 0)
        memcpy(m_boneMap.GetData(), streams.boneMap, streams.boneMapCount * sizeof(uint16_t));
    if (!BuildIndices(streams) || !BuildVertices(streams))
        return false;

    if (streams.vertexCount > 0)
    {
        m_minimum = nVector(streams.positions[0], streams.positions[1], streams.positions[2]);
        m_maximum = m_minimum;
        for (uint32_t i = 1; i < streams.vertexCount; ++i)
        {
            const float* at = streams.positions + i * 3;
            m_minimum = nVector(std::min(m_minimum.x, at[0]), std::min(m_minimum.y, at[1]),
                                std::min(m_minimum.z, at[2]));
            m_maximum = nVector(std::max(m_maximum.x, at[0]), std::max(m_maximum.y, at[1]),
                                std::max(m_maximum.z, at[2]));
        }
    }
    m_userWord = userWord;
    return true;
}

bool nEGLDisplayList::BuildIndices(const nGPUGeometryStreams& streams)
{
    for (uint32_t i = 0; i < streams.indexCount; ++i)
    {
        if (streams.indices[i] > LargestIndex)
            return false;
    }
    m_indexCount = streams.indexCount;
    if (!m_indexBuffer)
        m_indexBuffer = std::make_unique<nEGLVBO>();
    if (!m_indexBuffer->Create(size_t{m_indexCount} * 2, IndexBufferKind, StaticUsage) ||
        !m_indexBuffer->Bind())
        return false;
    auto* out = static_cast<uint16_t*>(m_indexCount > 0 ? m_indexBuffer->Map() : nullptr);
    if (m_indexCount > 0 && out == nullptr)
    {
        m_indexBuffer->Unbind();
        return false;
    }
    for (uint32_t i = 0; i < m_indexCount; ++i)
        out[i] = static_cast<uint16_t>(streams.indices[i]);
    if (out != nullptr)
        m_indexBuffer->Unmap();
    m_indexBuffer->Unbind();
    return true;
}

bool nEGLDisplayList::BuildVertices(const nGPUGeometryStreams& streams)
{
    m_layout.Compute(streams);
    if (!m_vertexBuffer)
        m_vertexBuffer = std::make_unique<nEGLVBO>();
    const size_t size = size_t{m_layout.stride} * streams.vertexCount;
    if (!m_vertexBuffer->Create(size, VertexBufferKind, StaticUsage) || !m_vertexBuffer->Bind())
        return false;
    auto* out = static_cast<uint8_t*>(size > 0 ? m_vertexBuffer->Map() : nullptr);
    if (size > 0 && out == nullptr)
    {
        m_vertexBuffer->Unbind();
        return false;
    }
    for (uint32_t i = 0; i < streams.vertexCount; ++i)
        m_layout.Pack(streams, i, out + size_t{i} * m_layout.stride);
    if (out != nullptr)
        m_vertexBuffer->Unmap();
    m_vertexBuffer->Unbind();
    return true;
}

void nEGLDisplayList::Draw()
{
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(m_indexCount), GL_UNSIGNED_SHORT, nullptr);
}
