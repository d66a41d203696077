#include "render/gl/nEGLTexture.h"

#include "core/base/nLog.h"
#include "render/gl/nEGLTables.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

nEGLTexture::~nEGLTexture()
{
    Free();
}

void nEGLTexture::SetDepthCompareMode()
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_R_TO_TEXTURE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

bool nEGLTexture::GenerateName()
{
    Free();
    GLuint name = 0;
    glGenTextures(1, &name);
    m_name = name;
    if (m_name == 0)
        return false;
    glBindTexture(GL_TEXTURE_2D, m_name);
    return true;
}

bool nEGLTexture::Create(uint32_t width, uint32_t height, uint32_t pixelFormat, bool renderTarget)
{
    if (!GenerateName())
        return false;
    m_renderTarget = renderTarget;
    SetFiltering(true);
    if (width == 0 || height == 0)
        return true;

    GLint internalFormat = GL_RGBA8;
    GLenum dataFormat = GL_RGBA;
    GLenum dataType = GL_UNSIGNED_BYTE;
    switch (pixelFormat)
    {
    case nEGLTables::PixelRGBA8:
    case nEGLTables::PixelBGRA8:
        break;
    case nEGLTables::PixelRGBAHalf:
    case nEGLTables::PixelRGBAFloat:
        internalFormat = GL_RGBA16F_ARB;
        break;
    case nEGLTables::PixelDepth24:
    case nEGLTables::PixelDepthFloat:
        internalFormat = pixelFormat == nEGLTables::PixelDepth24 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT;
        dataFormat = GL_DEPTH_COMPONENT;
        dataType = pixelFormat == nEGLTables::PixelDepth24 ? GL_UNSIGNED_INT : GL_FLOAT;
        glTexParameteri(GL_TEXTURE_2D, GL_DEPTH_TEXTURE_MODE, GL_LUMINANCE);
        break;
    default:
        nLogHolder::Get() << "[!] Unsupported texture format.\n";
        break;
    }
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, static_cast<GLsizei>(width), static_cast<GLsizei>(height),
                 0, dataFormat, dataType, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    m_internalFormat = static_cast<uint32_t>(internalFormat);
    return true;
}

void nEGLTexture::SetFiltering(bool on)
{
    GLint minFilter = on ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST;
    if (m_renderTarget)
        minFilter = on ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, on ? GL_LINEAR : GL_NEAREST);
}

void nEGLTexture::Free()
{
    if (m_name == 0)
        return;
    GLuint name = m_name;
    glDeleteTextures(1, &name);
    m_name = 0;
}

void nEGLTexture::SetAnisotropy(float samples)
{
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (extensions != nullptr && strstr(extensions, "GL_EXT_texture_filter_anisotropic") != nullptr)
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, samples);
}
