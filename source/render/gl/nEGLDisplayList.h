#pragma once

#include "core/base/nAutoArray.h"
#include "core/math/nVector.h"
#include "render/gl/nGPUVertexLayout.h"

#include <cstdint>
#include <memory>

class nEGLVBO;
struct nGPUGeometryStreams;

// One geometry's vertices and 16-bit indices packed into two buffer objects, kept across rebuilds.
class nEGLDisplayList
{
public:
    nEGLDisplayList();
    nEGLDisplayList(const nEGLDisplayList&) = delete;
    nEGLDisplayList& operator=(const nEGLDisplayList&) = delete;
    virtual ~nEGLDisplayList();

    // Fails on an index above 65535 (the caller splits such geometries) and when a buffer cannot
    // be made or mapped. Streams without a bone map leave the list without one.
    virtual bool Build(const nGPUGeometryStreams& streams, uintptr_t userWord);
    // Draws from the bound buffers; binding them and the attributes is the caller's.
    virtual void Draw();

    nEGLVBO* GetIndexBuffer() const { return m_indexBuffer.get(); }
    nEGLVBO* GetVertexBuffer() const { return m_vertexBuffer.get(); }
    uint32_t GetIndexCount() const { return m_indexCount; }
    const nGPUVertexLayout& GetLayout() const { return m_layout; }
    const nAutoArray<uint16_t>& GetBoneMap() const { return m_boneMap; }
    uintptr_t GetUserWord() const { return m_userWord; }
    // For lists whose content changes hands without a rebuild (terrain cache pages).
    void SetUserWord(uintptr_t userWord) { m_userWord = userWord; }
    const nVector& GetMinimum() const { return m_minimum; }
    const nVector& GetMaximum() const { return m_maximum; }

private:
    bool BuildIndices(const nGPUGeometryStreams& streams);
    bool BuildVertices(const nGPUGeometryStreams& streams);

    std::unique_ptr<nEGLVBO> m_indexBuffer;
    std::unique_ptr<nEGLVBO> m_vertexBuffer;
    uint32_t m_indexCount = 0;
    nGPUVertexLayout m_layout;
    nAutoArray<uint16_t> m_boneMap;
    uintptr_t m_userWord = 0;
    nVector m_minimum{0.0f, 0.0f, 0.0f, 1.0f};
    nVector m_maximum{0.0f, 0.0f, 0.0f, 1.0f};
};
