#include "GLFixture.h"

#include <SDL2/SDL.h>
#include <dlfcn.h>

namespace
{
bool g_opened = false;

class CloseAtEnd : public ::testing::Environment
{
public:
    void TearDown() override
    {
        if (g_opened)
            GLFixture::Shared().CloseDisplay();
        // What SDL keeps beyond its video subsystem (its session-bus connection) goes with SDL_Quit.
        SDL_Quit();
    }
};

const auto* const g_closeAtEnd = ::testing::AddGlobalTestEnvironment(new CloseAtEnd());

// Mesa unloads its driver when the display closes, and what the driver keeps until exit would then
// be reported from an unknown module that no suppression can name: keep it loaded.
void* const g_driver = dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_LAZY | RTLD_NODELETE);
} // namespace

ModeEngine& GLFixture::SharedEngine()
{
    static ModeEngine engine;
    return engine;
}

GLTestRenderer& GLFixture::Shared()
{
    static GLTestRenderer renderer(&SharedEngine());
    return renderer;
}

void GLFixture::SetUp()
{
    nLogHolder::Set(this);
    if (!g_opened)
    {
        ASSERT_TRUE(renderer.OpenDisplay(320, 240, 32, nGPURenderer::WindowHidden, nullptr));
        ASSERT_TRUE(renderer.LoadExtensions());
        g_opened = true;
    }
    renderer.MakeCurrent(nullptr);
    // The state each test starts from is the initial one, whatever the previous test set.
    renderer.SetPolygonMode(0);
    renderer.SetAlphaTest(false, 0.0f);
    renderer.EnableDepthTest(true);
    renderer.EnableDepthWrite(true);
    renderer.SetDepthFunc(1);
    renderer.EnableFaceCulling(true);
    renderer.SetCullFace(0);
    renderer.EnableBlending(false);
    renderer.SetBlendFunc(2, 3);
    renderer.SetScissor(false, 0, 0, 0, 0);
    renderer.Resize(320, 240);
    renderer.SetViewport(0, 0, 320, 240);
    engine.mode = 0;
    log.clear();
}

void GLFixture::TearDown()
{
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    nLogHolder::Set(nullptr);
}
