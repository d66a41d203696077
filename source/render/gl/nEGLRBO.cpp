#include "render/gl/nEGLRBO.h"

#include "render/gl/nEGLEntryPoints.h"
#include "render/gl/nEGLTables.h"

nEGLRBO::~nEGLRBO()
{
    Free();
}

bool nEGLRBO::Create(uint32_t width, uint32_t height, uint32_t format, uint32_t sampleIndex)
{
    Free();
    GLuint name = 0;
    EGL().GenRenderbuffers(1, &name);
    m_name = name;
    EGL().BindRenderbuffer(GL_RENDERBUFFER_EXT, m_name);
    GLenum storage = GL_RGBA;
    nEGLTables::RenderbufferFormat(format, storage);
    // More samples than the driver takes would leave the renderbuffer without storage.
    uint32_t samples = nEGLTables::SampleCount(sampleIndex);
    GLint maximum = 0;
    glGetIntegerv(GL_MAX_SAMPLES_EXT, &maximum);
    if (samples > static_cast<uint32_t>(maximum > 0 ? maximum : 0))
        samples = static_cast<uint32_t>(maximum > 0 ? maximum : 0);
    if (EGL().RenderbufferStorageMultisample != nullptr && samples != 0)
        EGL().RenderbufferStorageMultisample(GL_RENDERBUFFER_EXT, static_cast<GLsizei>(samples), storage,
                                             static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    else
        EGL().RenderbufferStorage(GL_RENDERBUFFER_EXT, storage, static_cast<GLsizei>(width),
                                  static_cast<GLsizei>(height));
    EGL().BindRenderbuffer(GL_RENDERBUFFER_EXT, 0);
    return true;
}

void nEGLRBO::Free()
{
    if (m_name == 0)
        return;
    GLuint name = m_name;
    EGL().DeleteRenderbuffers(1, &name);
    m_name = 0;
}
