#include "render/gl/nEGLRenderer.h"

#include "core/base/nLog.h"
#include "render/gl/nEGLRenderWindow.h"
#include "render/nEngineServices.h"

#include <GL/gl.h>
#include <SDL2/SDL.h>

namespace
{
constexpr const char* WindowCaption = "Vornicade - GPU(EGL)";
constexpr uint32_t FallbackWidth = 1280;
constexpr uint32_t FallbackHeight = 720;
constexpr int32_t WindowPosition = 32;
constexpr int32_t ModeWithoutPresent = 1;
} // namespace

void* nEGLRenderer::CreateWindow(uint32_t width, uint32_t height, uint32_t colourBits, uint32_t windowMode)
{
    SDL_GL_SetAttribute(SDL_GL_BUFFER_SIZE, static_cast<int>(colourBits));
    uint32_t flags = SDL_WINDOW_OPENGL | (windowMode == WindowHidden ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN);
    int position = WindowPosition;
    if (windowMode == WindowFullScreen)
    {
        flags |= SDL_WINDOW_FULLSCREEN;
        position = 0;
    }
    SDL_Window* window = SDL_CreateWindow(WindowCaption, position, position, static_cast<int>(width),
                                          static_cast<int>(height), flags);
    if (window == nullptr && windowMode == WindowFullScreen)
    {
        nLogHolder::Get() << "[!] failed to switch to fullscreen.\n";
        return nullptr;
    }
    if (window != nullptr && windowMode == WindowFullScreen)
        SDL_ShowCursor(SDL_DISABLE);
    return window;
}

nEGLRenderWindow* nEGLRenderer::WrapWindow(void* window, bool ownsWindow)
{
    if (window == nullptr)
    {
        window = CreateWindow(FallbackWidth, FallbackHeight, 32, WindowShown);
        ownsWindow = true;
    }
    if (window == nullptr)
    {
        nLogHolder::Get() << "[!] no compatible display mode found.\n";
        return nullptr;
    }
    auto* renderWindow = new nEGLRenderWindow(static_cast<SDL_Window*>(window), ownsWindow);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, m_mainWindow != nullptr ? 1 : 0);
    if (m_mainWindow != nullptr)
        SDL_GL_MakeCurrent(m_mainWindow->GetWindow(), m_mainWindow->GetContext());
    SDL_GLContext context = SDL_GL_CreateContext(static_cast<SDL_Window*>(window));
    if (context == nullptr)
    {
        nLogHolder::Get() << "[!] could not create rendering context.\n";
        delete renderWindow;
        return nullptr;
    }
    renderWindow->SetContext(context);
    SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window), context);
    SetInitialState();
    return renderWindow;
}

void nEGLRenderer::SetInitialState()
{
    EnableDepthTest(true);
    SetDepthFunc(1);
    EnableFaceCulling(true);
    SetCullFace(0);
    EnableBlending(false);
    SetBlendFunc(2, 3);
    glFrontFace(GL_CW);
}

void* nEGLRenderer::NewRenderWindow(const void* window)
{
    return WrapWindow(const_cast<void*>(window), false);
}

void nEGLRenderer::MakeCurrent(void* window)
{
    m_currentWindow = window != nullptr ? static_cast<nEGLRenderWindow*>(window) : m_mainWindow;
    if (m_currentWindow != nullptr)
        SDL_GL_MakeCurrent(m_currentWindow->GetWindow(), m_currentWindow->GetContext());
}

void nEGLRenderer::DeleteRenderWindow(void* window)
{
    auto* renderWindow = static_cast<nEGLRenderWindow*>(window);
    if (renderWindow == m_currentWindow)
        m_currentWindow = nullptr;
    delete renderWindow;
}

void nEGLRenderer::PresentFrame()
{
    if (m_currentWindow == nullptr || (m_engine != nullptr && m_engine->GetMode() == ModeWithoutPresent))
        return;
    SDL_GL_SwapWindow(m_currentWindow->GetWindow());
}

bool nEGLRenderer::OpenDisplay(uint32_t width, uint32_t height, uint32_t colourBits, uint32_t windowMode,
                               void* window)
{
    if (!m_videoStarted)
    {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        {
            nLogHolder::Get() << "[!] Could not open the display: " << SDL_GetError() << "\n";
            return false;
        }
        m_videoStarted = true;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (windowMode != WindowNone)
    {
        const bool ownsWindow = window == nullptr;
        if (window == nullptr)
            window = CreateWindow(width, height, colourBits, windowMode);
        m_mainWindow = WrapWindow(window, ownsWindow);
        m_currentWindow = m_mainWindow;
        MakeCurrent(nullptr);
    }
    if (SDL_GL_GetCurrentContext() == nullptr)
    {
        nLogHolder::Get() << "[!] Could not open the display: no window or GL context could be made.\n";
        CloseDisplay();
        return false;
    }
    if (m_glRendererName.IsEmpty())
    {
        m_glRendererName = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
        m_glVendorName = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
    }
    m_adapterText = m_glRendererName;
    return true;
}

void nEGLRenderer::CloseDisplay()
{
    if (m_mainWindow != nullptr)
    {
        MakeCurrent(nullptr);
        DeleteRenderWindow(m_mainWindow);
    }
    m_mainWindow = nullptr;
    m_currentWindow = nullptr;
    if (m_videoStarted)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    m_videoStarted = false;
}
