#pragma once

#include "core/base/nLog.h"
#include "render/gl/nEGLRenderer.h"
#include "support/StubEngineServices.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <string>

// The engine as the back end sees it, with a mode word.
class ModeEngine : public StubEngineServices
{
public:
    int32_t GetMode() const override { return mode; }
    int32_t mode = 0;
};

// The back end with the frame operations, which are not its own, doing nothing.
class GLTestRenderer : public nEGLRenderer
{
public:
    using nEGLRenderer::nEGLRenderer;
    bool BeginFrame() override { return true; }
    void EndFrame() override {}
    const char* GetName() const override { return "egl2"; }
    const char* GetDescription() const override { return "test"; }
    const char* GetVersion() const override { return "0"; }
    bool Open(uint32_t, uint32_t, uint32_t, bool, void*) override { return true; }
    void Close() override {}
    bool Resize(uint32_t width, uint32_t height) override
    {
        m_outputWidth = width;
        m_outputHeight = height;
        return true;
    }
    void NoOp18(uintptr_t) override {}
    void EndPresent() override {}
    void* GetWindowHandle() const override { return nullptr; }
    void RenderQueue() override {}
    void NoOp29(uintptr_t) override {}
    nRenderGeometry* SetupGeometry(nGeometry*) override { return nullptr; }
    void NoOp35(uintptr_t, uintptr_t, uintptr_t, uintptr_t) override {}
    void NoOp40(uintptr_t, uintptr_t) override {}
    nRenderLight* SetupLight(nLight*) override { return nullptr; }
    void UpdateLight(nLight*, nRenderLight*) override {}
    void SetViewMatrix(const nMatrix4&, const nMatrix4*) override {}
    void SetProjectionMatrix(const nMatrix4&) override {}
    void SetModelMatrix(const nMatrix4&, const nMatrix4*) override {}
    void ClearClippingPlane() override {}
    void SetClippingPlane(const nVector&, const nVector&) override {}
};

// One hidden 320x240 window with its context current and the entry points loaded, opened by the
// first test that needs it and kept to the end of the run (a window costs a second under the
// sanitizers); the log of each test is kept.
class GLFixture : public ::testing::Test, public nLog
{
public:
    static GLTestRenderer& Shared();
    static ModeEngine& SharedEngine();

protected:
    void SetUp() override;
    void TearDown() override;
    void Output(const char* line, uint8_t) override { log += line; }

    static uint32_t PixelAt(int x, int y)
    {
        uint8_t rgba[4] = {};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return static_cast<uint32_t>(rgba[0]) << 24 | rgba[1] << 16 | rgba[2] << 8 | rgba[3];
    }
    static GLint Integer(GLenum name)
    {
        GLint value = 0;
        glGetIntegerv(name, &value);
        return value;
    }

    ModeEngine& engine = SharedEngine();
    GLTestRenderer& renderer = Shared();
    std::string log;
};
