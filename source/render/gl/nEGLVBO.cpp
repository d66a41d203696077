#include "render/gl/nEGLVBO.h"

#include "core/base/nMemory.h"
#include "render/gl/nEGLEntryPoints.h"

nEGLVBO::~nEGLVBO()
{
    Free();
}

bool nEGLVBO::Bind()
{
    EGL().BindBuffer(m_target, m_name);
    return true;
}

void nEGLVBO::Unbind()
{
    EGL().BindBuffer(m_target, 0);
}

void* nEGLVBO::Map()
{
    return EGL().MapBuffer(m_target, GL_WRITE_ONLY_ARB);
}

void nEGLVBO::Unmap()
{
    EGL().UnmapBuffer(m_target);
}

bool nEGLVBO::Upload(const void* data, size_t offset, size_t count)
{
    if (count != 0 && count != m_size)
        EGL().BufferSubData(m_target, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(count), data);
    else
        EGL().BufferData(m_target, static_cast<GLsizeiptr>(m_size), data, m_usage);
    return true;
}

bool nEGLVBO::Create(size_t size, uint32_t kind, uint32_t usage)
{
    if (m_name == 0)
    {
        GLuint name = 0;
        EGL().GenBuffers(1, &name);
        m_name = name;
    }
    if (m_name == 0)
        return false;
    if (kind <= 1)
        m_target = kind == 0 ? GL_ELEMENT_ARRAY_BUFFER_ARB : GL_ARRAY_BUFFER_ARB;
    if (usage <= 1)
        m_usage = usage == 0 ? GL_STATIC_DRAW_ARB : GL_STREAM_DRAW_ARB;
    if (!Bind())
        return false;
    MemTrackFree(m_size, MemCategoryVBO);
    m_size = size;
    MemTrackAlloc(m_size, MemCategoryVBO);
    EGL().BufferData(m_target, static_cast<GLsizeiptr>(size), nullptr, m_usage);
    Unbind();
    return true;
}

void nEGLVBO::Free()
{
    if (m_name != 0)
    {
        GLuint name = m_name;
        EGL().DeleteBuffers(1, &name);
    }
    MemTrackFree(m_size, MemCategoryVBO);
    m_name = 0;
    m_size = 0;
}
