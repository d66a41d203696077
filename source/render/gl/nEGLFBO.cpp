#include "render/gl/nEGLFBO.h"

#include "core/base/nLog.h"
#include "render/gl/nEGLEntryPoints.h"
#include "render/gl/nEGLRBO.h"
#include "render/gl/nEGLTexture.h"

#include <algorithm>

namespace
{
void SelectDrawBuffers(uint32_t count)
{
    static const GLenum Attachments[nEGLFBO::MaxColorTargets] = {
        GL_COLOR_ATTACHMENT0_EXT, GL_COLOR_ATTACHMENT1_EXT, GL_COLOR_ATTACHMENT2_EXT,
        GL_COLOR_ATTACHMENT3_EXT};
    EGL().DrawBuffers(static_cast<GLsizei>(count), Attachments);
}

void AttachColor(uint32_t index, const nEGLTexture* texture)
{
    EGL().FramebufferTexture2D(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT + index, GL_TEXTURE_2D,
                               texture != nullptr ? texture->GetName() : 0, 0);
}
} // namespace

nEGLFBO::~nEGLFBO()
{
    Free();
}

bool nEGLFBO::Bind()
{
    if (m_name == 0)
    {
        nLogHolder::Get() << "[!] Framebuffer object not ready.\n";
        return false;
    }
    EGL().BindFramebuffer(GL_FRAMEBUFFER_EXT, m_name);
    return true;
}

void nEGLFBO::Unbind()
{
    EGL().BindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
}

bool nEGLFBO::Validate()
{
    if (m_name == 0)
    {
        nLogHolder::Get() << "[!] Framebuffer object not ready.\n";
        return false;
    }
    const GLenum status = EGL().CheckFramebufferStatus(GL_FRAMEBUFFER_EXT);
    nLog& log = nLogHolder::Get();
    switch (status)
    {
    case GL_FRAMEBUFFER_COMPLETE_EXT:
        return true;
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT:
        log << "[!] FBO: Incomplete attachment.\n";
        break;
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT:
        log << "[!] FBO: Missing attachment.\n";
        break;
    case GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT:
        log << "[!] FBO: Dimensions mismatch.\n";
        break;
    case GL_FRAMEBUFFER_UNSUPPORTED_EXT:
        log << "[!] FBO: Unsupported combination.\n";
        break;
    default:
        log << "[!] FBO: Framebuffer status: " << static_cast<unsigned int>(status) << ".\n";
        break;
    }
    return false;
}

void nEGLFBO::SetColorTargets(nEGLTexture* const* textures, uint32_t count)
{
    count = std::min(count, MaxColorTargets);
    if (count == 0)
    {
        glDrawBuffer(GL_NONE);
        return;
    }
    for (uint32_t i = 0; i < count; ++i)
        AttachColor(i, textures[i]);
    SelectDrawBuffers(count);
}

void nEGLFBO::SetColorTarget(nEGLTexture* texture)
{
    if (texture == nullptr)
    {
        glDrawBuffer(GL_NONE);
        return;
    }
    AttachColor(0, texture);
    SelectDrawBuffers(1);
}

void nEGLFBO::SetColorTargetRBO(nEGLRBO* renderbuffer)
{
    if (renderbuffer == nullptr)
    {
        glDrawBuffer(GL_NONE);
        return;
    }
    for (uint32_t i = 1; i < MaxColorTargets; ++i)
        AttachColor(i, nullptr);
    EGL().FramebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT,
                                  renderbuffer->GetName());
    SelectDrawBuffers(1);
}

void nEGLFBO::SetDepthTexture(nEGLTexture* texture)
{
    EGL().FramebufferTexture2D(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_TEXTURE_2D,
                               texture != nullptr ? texture->GetName() : 0, 0);
}

void nEGLFBO::SetDepthRBO(nEGLRBO* renderbuffer)
{
    EGL().FramebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                  renderbuffer != nullptr ? renderbuffer->GetName() : 0);
}

void nEGLFBO::BlitTo(nEGLFBO* target, uint32_t width, uint32_t height, bool colour, bool depth)
{
    if (target == nullptr || EGL().BlitFramebuffer == nullptr)
        return;
    EGL().BindFramebuffer(GL_READ_FRAMEBUFFER_EXT, m_name);
    EGL().BindFramebuffer(GL_DRAW_FRAMEBUFFER_EXT, target->m_name);
    const GLbitfield mask = (colour ? GL_COLOR_BUFFER_BIT : 0u) | (depth ? GL_DEPTH_BUFFER_BIT : 0u);
    const auto w = static_cast<GLint>(width);
    const auto h = static_cast<GLint>(height);
    EGL().BlitFramebuffer(0, 0, w, h, 0, 0, w, h, mask, GL_NEAREST);
}

bool nEGLFBO::Create()
{
    if (m_name == 0)
    {
        GLuint name = 0;
        EGL().GenFramebuffers(1, &name);
        m_name = name;
    }
    return true;
}

void nEGLFBO::Free()
{
    if (m_name == 0)
        return;
    GLuint name = m_name;
    EGL().DeleteFramebuffers(1, &name);
    m_name = 0;
}
