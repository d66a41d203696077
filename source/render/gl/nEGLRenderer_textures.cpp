#include "render/gl/nEGLRenderer.h"

#include "core/base/nLog.h"
#include "geometry/nTexture.h"
#include "render/gl/nEGLEntryPoints.h"
#include "render/gl/nEGLTables.h"
#include "render/gl/nEGLTexture.h"

#include <strings.h>

namespace
{
GLenum DataFormatFor(uint32_t internalFormat, GLenum& dataType)
{
    switch (internalFormat)
    {
    case GL_DEPTH_COMPONENT24:
    case GL_DEPTH_COMPONENT:
        dataType = GL_UNSIGNED_INT;
        return GL_DEPTH_COMPONENT;
    default:
        dataType = GL_UNSIGNED_BYTE;
        return GL_RGBA;
    }
}

} // namespace

nRenderTexture* nEGLRenderer::SetupTexture(nTexture* texture)
{
    auto* object = new nEGLTexture(this);
    if (!texture->GetName().IsEmpty())
        nLogHolder::Get() << "[H] Setup texture '" << texture->GetName() << "'.\n";
    const bool renderTarget = (texture->GetTextureFlags() &
                               (nTexture::TextureCPURenderTarget | nTexture::TextureGPURenderTarget)) != 0;
    const uint32_t format = texture->GetGPUPixelFormat();
    if (!object->Create(texture->GetWidth(), texture->GetHeight(), format, renderTarget) ||
        format != nEGLTables::PixelRGBA8 || texture->GetPixels() == nullptr)
        return object;

    texture->Convert(PixelFormatRGBA8);
    GLint internalFormat = GL_COMPRESSED_RGBA_ARB;
    if (renderTarget || !m_registry.GetBool("Texture:Compression:Enable", true))
        internalFormat = GL_RGBA8;
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, static_cast<GLsizei>(texture->GetWidth()),
                 static_cast<GLsizei>(texture->GetHeight()), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 texture->GetPixels());
    object->SetInternalFormat(static_cast<uint32_t>(internalFormat));
    nEGLTexture::SetAnisotropy(static_cast<float>(m_registry.GetInt("Texture:Filtering:Sample", 2)));
    if (!renderTarget)
        EGL().GenerateMipmap(GL_TEXTURE_2D);
    return object;
}

void nEGLRenderer::UpdateTexture(nRenderTexture* texture, const void* pixels, uint32_t width, uint32_t height,
                                 uint32_t x, uint32_t y, uint32_t pixelFormat)
{
    GLenum dataFormat = 0;
    GLenum dataType = 0;
    if (texture == nullptr || width == 0 || height == 0 ||
        !nEGLTables::PixelTransfer(pixelFormat, dataFormat, dataType))
        return;
    auto* object = static_cast<nEGLTexture*>(texture);
    glBindTexture(GL_TEXTURE_2D, object->GetName());
    glTexSubImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(x), static_cast<GLint>(y),
                    static_cast<GLsizei>(width), static_cast<GLsizei>(height), dataFormat, dataType, pixels);
    // A texture drawn smaller than its size samples the smaller levels, which still held the old
    // content: a window cache composed after its creation showed black.
    if (!object->IsRenderTarget())
        EGL().GenerateMipmap(GL_TEXTURE_2D);
}

nRenderTexture* nEGLRenderer::LoadTexture(const nString& path)
{
    const nString extension = path.GetExtension();
    if (strcasecmp(extension.GetText() != nullptr ? extension.GetText() : "", "dds") != 0)
        return nullptr;
    return LoadDDS(path);
}

void nEGLRenderer::ResizeTexture(nEGLTexture* texture, uint32_t width, uint32_t height)
{
    if (texture == nullptr)
        return;
    glBindTexture(GL_TEXTURE_2D, texture->GetName());
    GLenum dataType = 0;
    const GLenum dataFormat = DataFormatFor(texture->GetInternalFormat(), dataType);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(texture->GetInternalFormat()),
                 static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0, dataFormat, dataType, nullptr);
}

void nEGLRenderer::GrabDisplayToTexture(nTexture* texture)
{
    if (texture == nullptr || texture->GetRenderData() == nullptr)
        return;
    glBindTexture(GL_TEXTURE_2D, static_cast<nEGLTexture*>(texture->GetRenderData())->GetName());
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, static_cast<GLsizei>(m_outputWidth),
                        static_cast<GLsizei>(m_outputHeight));
}

void nEGLRenderer::GrabDisplayToPicture(nPicture* picture)
{
    if (picture == nullptr || !picture->Allocate(m_outputWidth, m_outputHeight, PixelFormatRGBA8))
        return;
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, static_cast<GLsizei>(m_outputWidth), static_cast<GLsizei>(m_outputHeight), GL_RGBA,
                 GL_UNSIGNED_BYTE, picture->GetPixels());
    picture->Convert(PixelFormatBGRA8);
    picture->Flip(false, true);
}
