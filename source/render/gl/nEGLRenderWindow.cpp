#include "render/gl/nEGLRenderWindow.h"

#include <SDL2/SDL.h>

nEGLRenderWindow::~nEGLRenderWindow()
{
    if (m_context != nullptr)
    {
        SDL_GL_MakeCurrent(m_window, nullptr);
        SDL_GL_DeleteContext(m_context);
    }
    if (m_ownsWindow && m_window != nullptr)
        SDL_DestroyWindow(m_window);
}

void nEGLRenderWindow::GetClientSize(uint32_t& width, uint32_t& height) const
{
    int w = 0;
    int h = 0;
    SDL_GL_GetDrawableSize(m_window, &w, &h);
    width = static_cast<uint32_t>(w);
    height = static_cast<uint32_t>(h);
}
