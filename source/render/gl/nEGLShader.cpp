#include "render/gl/nEGLShader.h"

#include "core/base/nLog.h"
#include "render/gl/nEGLEntryPoints.h"
#include "render/gl/nEGLInfoLog.h"

nEGLShader::~nEGLShader()
{
    Free();
}

bool nEGLShader::Compile(const char* source, bool fragment)
{
    Free();
    m_name = EGL().CreateShaderObject(fragment ? GL_FRAGMENT_SHADER_ARB : GL_VERTEX_SHADER_ARB);
    if (m_name == 0)
        return false;
    EGL().ShaderSource(m_name, 1, &source, nullptr);
    EGL().CompileShader(m_name);
    GLint status = 0;
    EGL().GetShaderiv(m_name, GL_COMPILE_STATUS, &status);
    if (status == 1)
        return true;
    nLogHolder::Get() << "[!] Shader compilation error (" << (fragment ? "Fragment" : "Vertex") << ").\n";
    LogInfoLog(EGL().GetInfoLog, m_name);
    Free();
    return false;
}

void nEGLShader::Free()
{
    if (m_name == 0)
        return;
    EGL().DeleteShaderObject(m_name);
    m_name = 0;
}
