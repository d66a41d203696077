#include "GLFixture.h"

#include "core/base/nSharedPtr.h"
#include "core/nml/nMetaTagValue.h"
#include "render/gl/nEGLRenderWindow.h"
#include "render/gl/nEGLTexture.h"

#include <SDL2/SDL.h>

#include <string>

// The display paths of the back end beyond its one hidden test window: the VSync key, the four
// window modes (with the full-screen fallback a virtual X server gives) and the depth-compare
// state of shadow-map textures.

namespace
{
using WindowModeTest = GLFixture;

void SetVSync(nRenderer& renderer, bool on)
{
    nMetaTagValue value;
    value.SetBool(on);
    renderer.GetRegistry().SetKey("VSync:Enable", &value);
}
} // namespace

TEST_F(WindowModeTest, TheVSyncKeySetsTheSwapIntervalAndSaysHowItWent)
{
    for (const bool on : {true, false})
    {
        SCOPED_TRACE(on ? "on" : "off");
        log.clear();
        SetVSync(renderer, on);
        const std::string done = on ? "VSync on.\n" : "VSync off.\n";
        if (log == done)
            EXPECT_EQ(SDL_GL_GetSwapInterval(), on ? 1 : 0);
        else // a driver may refuse: the refusal is one warning with the reason
            EXPECT_EQ(log.rfind(std::string("[*] VSync ") +
                                    (on ? "could not be switched on" : "could not be switched off"),
                                0),
                      0u)
                << log;
        EXPECT_EQ(log.find('\n'), log.size() - 1) << log;
    }
}

TEST_F(WindowModeTest, EachWindowModeOpensItsWindowOrNone)
{
    struct ModeCase
    {
        uint32_t mode;
        uint32_t side;
        const char* description;
    };
    // The virtual X server takes a full-screen window at its own size, and refuses one larger than
    // any X window may be: the fallback then opens a window of its own.
    for (const ModeCase& mode : {ModeCase{nGPURenderer::WindowShown, 320, "shown"},
                                 ModeCase{nGPURenderer::WindowFullScreen, 320, "full screen"},
                                 ModeCase{nGPURenderer::WindowFullScreen, 40000, "full screen refused"},
                                 ModeCase{nGPURenderer::WindowHidden, 320, "hidden"},
                                 ModeCase{nGPURenderer::WindowNone, 320, "none"}})
    {
        SCOPED_TRACE(mode.description);
        log.clear();
        GLTestRenderer other(&engine);
        const bool opened = other.OpenDisplay(mode.side, mode.side * 3 / 4, 32, mode.mode, nullptr);
        // With no window of its own the display borrows the context that is current (the test's).
        EXPECT_TRUE(opened) << log;
        nEGLRenderWindow* window = other.GetMainWindow();
        if (mode.mode == nGPURenderer::WindowNone)
        {
            EXPECT_EQ(window, nullptr);
        }
        else
        {
            ASSERT_NE(window, nullptr) << log;
            const uint32_t flags = SDL_GetWindowFlags(window->GetWindow());
            uint32_t width = 0;
            uint32_t height = 0;
            window->GetClientSize(width, height);
            if (mode.mode == nGPURenderer::WindowHidden)
                EXPECT_TRUE(flags & SDL_WINDOW_HIDDEN);
            else
                EXPECT_TRUE(flags & SDL_WINDOW_SHOWN);
            if (mode.mode != nGPURenderer::WindowFullScreen)
            {
                EXPECT_EQ(width, 320u);
                EXPECT_EQ(height, 240u);
                EXPECT_EQ(log, "");
            }
            else if (mode.side == 320)
            {
                EXPECT_EQ(log, "");
                EXPECT_TRUE(flags & SDL_WINDOW_FULLSCREEN);
            }
            else // the display mode could not be changed: a shown 1280 x 720 window instead
            {
                EXPECT_EQ(log, "[!] failed to switch to fullscreen.\n");
                EXPECT_FALSE(flags & SDL_WINDOW_FULLSCREEN);
                EXPECT_EQ(width, 1280u);
                EXPECT_EQ(height, 720u);
            }
            EXPECT_NE(SDL_GL_GetCurrentContext(), nullptr);
        }
        other.CloseDisplay();
        SDL_ShowCursor(SDL_ENABLE);
        renderer.MakeCurrent(nullptr);
    }
}

TEST_F(WindowModeTest, DepthCompareModeComparesTheBoundTextureWithLessOrEqual)
{
    nSharedPtr<nEGLTexture> texture(renderer.NewTexture());
    ASSERT_TRUE(texture);
    ASSERT_TRUE(texture->Create(4, 4, 0, true));
    glBindTexture(GL_TEXTURE_2D, texture->GetName());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    texture->SetDepthCompareMode();
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, &value);
    EXPECT_EQ(value, GL_COMPARE_R_TO_TEXTURE);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glBindTexture(GL_TEXTURE_2D, 0);
}
