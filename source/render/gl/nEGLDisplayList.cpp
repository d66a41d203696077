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
    const uint32_t boneMapCount = streams.boneMap != nullptr ? streams.boneMapCount : 0;
    if (!m_boneMap.Resize(boneMapCount))
        return false;
    if (boneMapCount > 0)
        memcpy(m_boneMap.GetData(), streams.boneMap, boneMapCount * sizeof(uint16_t));
    if (!BuildIndices(streams) || !BuildVertices(streams))
        return false;

    for (uint32_t i = 0; i < streams.vertexCount; ++i)
    {
        const float* at = nGPUGeometryStreams::At(streams.positions, streams.positionStride, i);
        const nVector position(at[0], at[1], at[2]);
        m_minimum = i == 0 ? position
                           : nVector(std::min(m_minimum.x, position.x), std::min(m_minimum.y, position.y),
                                     std::min(m_minimum.z, position.z));
        m_maximum = i == 0 ? position
                           : nVector(std::max(m_maximum.x, position.x), std::max(m_maximum.y, position.y),
                                     std::max(m_maximum.z, position.z));
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
