#pragma once

#include <cstdint>

struct SDL_Window;

// A window the back end draws into, with its GL context. Windows the renderer made itself are
// destroyed with it; a window handed in by the caller stays the caller's.
class nEGLRenderWindow
{
public:
    nEGLRenderWindow(SDL_Window* window, bool ownsWindow) : m_window(window), m_ownsWindow(ownsWindow) {}
    nEGLRenderWindow(const nEGLRenderWindow&) = delete;
    nEGLRenderWindow& operator=(const nEGLRenderWindow&) = delete;
    virtual ~nEGLRenderWindow();

    virtual void GetClientSize(uint32_t& width, uint32_t& height) const;

    SDL_Window* GetWindow() const { return m_window; }
    void* GetContext() const { return m_context; }
    void SetContext(void* context) { m_context = context; }

private:
    SDL_Window* m_window;
    void* m_context = nullptr;
    bool m_ownsWindow;
};
