#pragma once

#include <cstdint>

// One compiled GLSL stage; owned by the program that links it.
class nEGLShader
{
public:
    nEGLShader() = default;
    nEGLShader(const nEGLShader&) = delete;
    nEGLShader& operator=(const nEGLShader&) = delete;
    virtual ~nEGLShader();

    // A failure logs the stage and GL's log and leaves no GL object.
    virtual bool Compile(const char* source, bool fragment);
    virtual void Free();

    uint32_t GetName() const { return m_name; }

private:
    uint32_t m_name = 0;
};
