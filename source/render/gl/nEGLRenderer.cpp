#include "render/gl/nEGLRenderer.h"

#include "core/base/nLog.h"
#include "render/gl/nEGLDisplayList.h"
#include "render/gl/nEGLEntryPoints.h"
#include "render/gl/nEGLFBO.h"
#include "render/gl/nEGLGeometry.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nEGLRenderWindow.h"
#include "render/gl/nEGLRBO.h"
#include "render/gl/nEGLShader.h"
#include "render/gl/nEGLTables.h"
#include "render/gl/nEGLTexture.h"
#include "render/gl/nEGLVBO.h"

#include <SDL2/SDL.h>

nEGLRenderer::nEGLRenderer(nEngineServices* engine) : nGPURenderer(engine) {}

nEGLRenderer::~nEGLRenderer()
{
    // Programs are GL objects: they go while the context still exists.
    DetachMaterials();
    FreeShaderLibrary();
    CloseDisplay();
}

bool nEGLRenderer::QueryCapability(uint32_t capability, bool& value)
{
    if (capability != CapabilityMultisampledTargets)
        return false;
    value = EGL().BlitFramebuffer != nullptr && EGL().RenderbufferStorageMultisample != nullptr;
    return true;
}

uint32_t nEGLRenderer::GetMaxTextureSize() const
{
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    return largest > 0 ? static_cast<uint32_t>(largest) : 0;
}

nEGLGeometry* nEGLRenderer::NewGeometry()
{
    return new nEGLGeometry(this);
}
nEGLTexture* nEGLRenderer::NewTexture()
{
    return new nEGLTexture(this);
}
nEGLFBO* nEGLRenderer::NewFBO()
{
    return new nEGLFBO();
}
nEGLRBO* nEGLRenderer::NewRBO()
{
    return new nEGLRBO();
}
nEGLVBO* nEGLRenderer::NewVBO()
{
    return new nEGLVBO();
}
nEGLDisplayList* nEGLRenderer::NewDisplayList()
{
    return new nEGLDisplayList();
}
nEGLShader* nEGLRenderer::NewShader()
{
    return new nEGLShader();
}
nEGLProgram* nEGLRenderer::NewProgram()
{
    return new nEGLProgram(this);
}

void nEGLRenderer::SetPolygonMode(uint32_t mode)
{
    GLenum value = 0;
    if (nEGLTables::PolygonMode(mode, value))
        glPolygonMode(GL_FRONT_AND_BACK, value);
}

void nEGLRenderer::SetCullFace(uint32_t face)
{
    GLenum value = 0;
    if (nEGLTables::CullFace(face, value))
        glCullFace(value);
}

void nEGLRenderer::EnableFaceCulling(bool enable)
{
    enable ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
}

void nEGLRenderer::SetDepthFunc(uint32_t func)
{
    GLenum value = 0;
    if (nEGLTables::DepthFunc(func, value))
        glDepthFunc(value);
}

void nEGLRenderer::EnableDepthTest(bool enable)
{
    enable ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
}

void nEGLRenderer::EnableDepthWrite(bool enable)
{
    glDepthMask(enable ? GL_TRUE : GL_FALSE);
}

void nEGLRenderer::SetBlendFunc(uint32_t source, uint32_t destination)
{
    GLenum sourceFactor = 0;
    GLenum destinationFactor = 0;
    if (nEGLTables::BlendFactor(source, sourceFactor) &&
        nEGLTables::BlendFactor(destination, destinationFactor))
        glBlendFunc(sourceFactor, destinationFactor);
}

void nEGLRenderer::EnableBlending(bool enable)
{
    enable ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
}

void nEGLRenderer::EnableMultisample(bool enable)
{
    enable ? glEnable(GL_MULTISAMPLE) : glDisable(GL_MULTISAMPLE);
}

void nEGLRenderer::SetAlphaTest(bool enable, float reference)
{
    if (!enable)
    {
        glDisable(GL_ALPHA_TEST);
        return;
    }
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, reference);
}

void nEGLRenderer::DrawPrimitives(uint32_t primitive, uint32_t count, uint32_t indexType, const void* indices)
{
    GLenum mode = 0;
    if (!nEGLTables::Primitive(primitive, mode))
    {
        nLogHolder::Get() << "[!] Unsupported primitive type '" << primitive << "'.\n";
        return;
    }
    if (indices == nullptr || indexType == NoIndices)
    {
        glDrawArrays(mode, 0, static_cast<GLsizei>(count));
        return;
    }
    GLenum type = 0;
    if (!nEGLTables::DrawIndexType(indexType, type))
    {
        nLogHolder::Get() << "[!] Unsupported index type '" << indexType << "'.\n";
        return;
    }
    glDrawElements(mode, static_cast<GLsizei>(count), type, indices);
}

bool nEGLRenderer::LoadExtensions()
{
    if (EGL().IsLoaded())
        return true;
    nList<nString> missing;
    if (EGL().Load(missing))
        return true;
    m_infoText = "Insufficient OpenGL support, the following entry points could not be found:\n\n";
    for (const auto* node = missing.GetHead(); node != nullptr; node = node->next)
    {
        m_infoText += "- ";
        m_infoText += node->value;
        m_infoText += "\n";
    }
    return false;
}

// Whether the driver honoured the request decides how frames are paced, so the answer is told.
void nEGLRenderer::ApplyVSync(bool on)
{
    if (!EGL().swapControl)
    {
        nLogHolder::Get() << "[*] VSync cannot be switched " << (on ? "on" : "off")
                          << ": the display has no swap control.\n";
        return;
    }
    if (SDL_GL_SetSwapInterval(on ? 1 : 0) == 0)
        nLogHolder::Get() << (on ? "VSync on.\n" : "VSync off.\n");
    else
        nLogHolder::Get() << "[*] VSync could not be switched " << (on ? "on" : "off") << ": "
                          << SDL_GetError() << "\n";
}

int32_t nEGLRenderer::OnRegistryMessage(nRegistryMessage message, const char* keyPath)
{
    if (message == RegistryKeyChanged && keyPath != nullptr && nString(keyPath) == "VSync:Enable")
        ApplyVSync(m_registry.GetBool("VSync:Enable", false));
    return nGPURenderer::OnRegistryMessage(message, keyPath);
}

void nEGLRenderer::ClearFrame(float red, float green, float blue, float alpha, float, uint32_t flags)
{
    if (!IsInFrame() && (flags & ClearColour))
        RememberClearColour(red, green, blue, alpha);
    GLbitfield mask = 0;
    if (flags & ClearColour)
    {
        glClearColor(red, green, blue, alpha);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & ClearDepth)
        mask |= GL_DEPTH_BUFFER_BIT;
    glClear(mask);
}

void nEGLRenderer::SetScissor(bool enable, int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (!enable)
    {
        glDisable(GL_SCISSOR_TEST);
        return;
    }
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, width, height);
}

void nEGLRenderer::SetViewport(int32_t x, int32_t y, int32_t width, int32_t height)
{
    m_viewport[0] = static_cast<float>(x);
    m_viewport[1] = static_cast<float>(y);
    m_viewport[2] = static_cast<float>(width);
    m_viewport[3] = static_cast<float>(height);
    glViewport(x, y, width, height);
}

void nEGLRenderer::GetViewport(int32_t& x, int32_t& y, int32_t& width, int32_t& height) const
{
    x = static_cast<int32_t>(m_viewport[0]);
    y = static_cast<int32_t>(m_viewport[1]);
    width = static_cast<int32_t>(m_viewport[2]);
    height = static_cast<int32_t>(m_viewport[3]);
}

void nEGLRenderer::ReleaseBufferBindings()
{
    EGL().BindBuffer(GL_ARRAY_BUFFER_ARB, 0);
    EGL().BindBuffer(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
}

void nEGLRenderer::GetWindowSize(uint32_t& width, uint32_t& height) const
{
    if (m_mainWindow)
        m_mainWindow->GetClientSize(width, height);
    else
        GetOutputSize(width, height);
    width = width ? width : 1;
    height = height ? height : 1;
}

void* nEGLRenderer::GetWindowHandle() const
{
    return m_mainWindow != nullptr ? m_mainWindow->GetWindow() : nullptr;
}
