#pragma once

#include <cstddef>
#include <cstdint>

// A GL buffer object holding indices (kind 0) or vertices (kind 1), static (usage 0) or streamed (1).
// The size of every live buffer is accounted as VBO memory.
class nEGLVBO
{
public:
    nEGLVBO() = default;
    nEGLVBO(const nEGLVBO&) = delete;
    nEGLVBO& operator=(const nEGLVBO&) = delete;
    virtual ~nEGLVBO();

    virtual bool Bind();
    virtual void Unbind();
    virtual void* Map();
    virtual void Unmap();
    // A count of 0 or of the whole size re-specifies the whole buffer with its usage.
    virtual bool Upload(const void* data, size_t offset, size_t count);
    virtual bool Create(size_t size, uint32_t kind, uint32_t usage);
    virtual void Free();

    uint32_t GetName() const { return m_name; }
    size_t GetSize() const { return m_size; }

private:
    uint32_t m_name = 0;
    uint32_t m_target = 0x8892; // GL_ARRAY_BUFFER
    uint32_t m_usage = 0x88E4;  // GL_STATIC_DRAW
    size_t m_size = 0;
    bool m_accounted = false; // m_size is counted: a buffer never created frees nothing
};
