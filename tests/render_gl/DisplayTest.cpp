#include "GLFixture.h"

#include "core/picture/nPicture.h"
#include "render/gl/nEGLEntryPoints.h"
#include "render/gl/nEGLRenderWindow.h"
#include "render/gl/nEGLTexture.h"

#include <SDL2/SDL.h>

#include <cstdlib>
#include <string>

using DisplayTest = GLFixture;

TEST_F(DisplayTest, HiddenWindowWithInitialState)
{
    ASSERT_NE(renderer.GetMainWindow(), nullptr);
    EXPECT_EQ(renderer.GetCurrentWindow(), renderer.GetMainWindow());
    uint32_t width = 0;
    uint32_t height = 0;
    renderer.GetMainWindow()->GetClientSize(width, height);
    EXPECT_EQ(width, 320u);
    EXPECT_EQ(height, 240u);
    EXPECT_TRUE(SDL_GetWindowFlags(renderer.GetMainWindow()->GetWindow()) & SDL_WINDOW_HIDDEN);
    EXPECT_STREQ(SDL_GetWindowTitle(renderer.GetMainWindow()->GetWindow()), "Vornicade - GPU(EGL)");
    EXPECT_FALSE(renderer.GetGLRendererName().IsEmpty());
    EXPECT_GE(Integer(GL_DEPTH_BITS), 24);

    EXPECT_EQ(Integer(GL_FRONT_FACE), GL_CW);
    EXPECT_EQ(Integer(GL_CULL_FACE_MODE), GL_FRONT);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(Integer(GL_DEPTH_FUNC), GL_LESS);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(Integer(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(Integer(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
}

TEST_F(DisplayTest, ValuesOutsideTheTablesChangeNoState)
{
    renderer.SetDepthFunc(4);
    renderer.SetCullFace(2);
    renderer.SetPolygonMode(2);
    renderer.SetBlendFunc(9, 1);
    EXPECT_EQ(Integer(GL_DEPTH_FUNC), GL_LESS);
    EXPECT_EQ(Integer(GL_CULL_FACE_MODE), GL_FRONT);
    GLint modes[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_FILL);
    EXPECT_EQ(Integer(GL_BLEND_SRC), GL_SRC_ALPHA);

    renderer.SetDepthFunc(3);
    renderer.SetPolygonMode(1);
    renderer.SetAlphaTest(true, 0.5f);
    EXPECT_EQ(Integer(GL_DEPTH_FUNC), GL_GREATER);
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[1], GL_LINE);
    EXPECT_EQ(Integer(GL_ALPHA_TEST_FUNC), GL_GREATER);
}

TEST_F(DisplayTest, LoadExtensionsOnceAndReportsMissingEntryPoints)
{
    nEGLEntryPoints::HideExtension("GL_ARB_draw_buffers");
    EXPECT_TRUE(renderer.LoadExtensions()) << "a loaded table answers at once";

    nEGLEntryPoints::Reset();
    EXPECT_FALSE(renderer.LoadExtensions());
    EXPECT_STREQ(renderer.GetInfoText().GetText(),
                 "Insufficient OpenGL support, the following entry points could not be found:\n\n"
                 "- glDrawBuffersARB\n");

    nEGLEntryPoints::HideExtension("");
    nEGLEntryPoints::Reset();
    EXPECT_TRUE(renderer.LoadExtensions());
    bool multisampled = false;
    EXPECT_TRUE(renderer.QueryCapability(nGPURenderer::CapabilityMultisampledTargets, multisampled));
    EXPECT_TRUE(multisampled);
    bool untouched = true;
    EXPECT_FALSE(renderer.QueryCapability(1, untouched));
    EXPECT_TRUE(untouched);
}

TEST_F(DisplayTest, ClearFrameClearsOnlyTheFlaggedBuffers)
{
    glClearDepth(0.5);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    renderer.ClearFrame(1, 0, 0, 1, 1.0f, 0);
    EXPECT_EQ(PixelAt(5, 5), 0x0000FFFFu);

    renderer.ClearFrame(1, 0, 0, 1, 1.0f, nRenderer::ClearColour);
    EXPECT_EQ(PixelAt(5, 5), 0xFF0000FFu);
    float depth = 0;
    glReadPixels(5, 5, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_NEAR(depth, 0.5f, 1e-4f);

    renderer.ClearFrame(0, 0, 0, 0, 0.0f, nRenderer::ClearDepth);
    glReadPixels(5, 5, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_NEAR(depth, 0.5f, 1e-4f) << "the clear depth is GL's, not the argument";
    glClearDepth(1.0);
}

TEST_F(DisplayTest, ViewportAndScissor)
{
    renderer.SetViewport(3, 4, 100, 50);
    int32_t x = 0, y = 0, w = 0, h = 0;
    renderer.GetViewport(x, y, w, h);
    EXPECT_EQ(x, 3);
    EXPECT_EQ(h, 50);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 100);
    renderer.SetScissor(true, 1, 2, 3, 4);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    renderer.SetScissor(false, 0, 0, 0, 0);
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}

TEST_F(DisplayTest, DrawPrimitivesRefusesIndexTypesGLRejects)
{
    const uint8_t indices[] = {0, 1, 2};
    for (uint32_t type : {0u, 2u, 4u, 5u})
    {
        log.clear();
        renderer.DrawPrimitives(1, 3, type, indices);
        EXPECT_EQ(log.rfind("[!] ", 0), 0u) << type;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DisplayTest, PresentFrameKeepsTheFrameInModeOne)
{
    renderer.ClearFrame(0, 1, 0, 1, 1.0f, nRenderer::ClearColour);
    engine.mode = 1;
    renderer.PresentFrame();
    EXPECT_EQ(PixelAt(5, 5), 0x00FF00FFu);
    engine.mode = 0;
    renderer.PresentFrame();
}

TEST_F(DisplayTest, GrabDisplayToPictureIsTopRowFirst)
{
    renderer.Resize(16, 8);
    renderer.ClearFrame(1, 0, 0, 1, 1.0f, nRenderer::ClearColour);
    renderer.SetScissor(true, 0, 4, 16, 4);
    renderer.ClearFrame(0, 0, 1, 1, 1.0f, nRenderer::ClearColour);
    renderer.SetScissor(false, 0, 0, 0, 0);
    nPicture picture;
    renderer.GrabDisplayToPicture(&picture);
    ASSERT_EQ(picture.GetWidth(), 16u);
    ASSERT_TRUE(picture.GetFormat() == PixelFormatBGRA8);
    const auto* pixels = reinterpret_cast<const uint32_t*>(picture.GetPixels());
    EXPECT_EQ(pixels[0], 0xFF0000FFu);
    EXPECT_EQ(pixels[16 * 7], 0xFFFF0000u);
}

TEST_F(DisplayTest, SecondWindowSharesObjects)
{
    nEGLTexture* texture = renderer.NewTexture();
    texture->AddRef();
    ASSERT_TRUE(texture->Create(4, 4, 0, false));
    void* second = renderer.NewRenderWindow(nullptr);
    ASSERT_NE(second, nullptr);
    renderer.MakeCurrent(second);
    EXPECT_TRUE(glIsTexture(texture->GetName()));
    renderer.DeleteRenderWindow(second);
    renderer.MakeCurrent(nullptr);
    texture->Release();
}

// In a process of its own, which has opened no display yet.
TEST(DisplayWithoutServerTest, OpenDisplayFailsCleanly)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("DISPLAY", ":9999", 1);
            ModeEngine engine;
            GLTestRenderer renderer(&engine);
            const bool opened = renderer.OpenDisplay(320, 240, 32, nGPURenderer::WindowHidden, nullptr);
            const bool clean = !opened && renderer.GetMainWindow() == nullptr;
            SDL_Quit();
            exit(clean ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
