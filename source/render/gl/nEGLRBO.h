#pragma once

#include <cstdint>

// A GL renderbuffer: formats 0 RGBA, 1 RGBA16F, 2 depth 24, 3 depth; sample indices 1-4 give 2-16
// samples where multisampled storage exists.
class nEGLRBO
{
public:
    nEGLRBO() = default;
    nEGLRBO(const nEGLRBO&) = delete;
    nEGLRBO& operator=(const nEGLRBO&) = delete;
    virtual ~nEGLRBO();

    virtual bool Create(uint32_t width, uint32_t height, uint32_t format, uint32_t sampleIndex);
    virtual void Free();

    uint32_t GetName() const { return m_name; }

private:
    uint32_t m_name = 0;
};
