#include "GLFixture.h"

#include "core/base/nMemory.h"
#include "core/base/nSharedPtr.h"
#include "core/picture/nPicture.h"
#include "render/gl/nEGLDisplayList.h"
#include "render/gl/nEGLFBO.h"
#include "render/gl/nEGLGeometry.h"
#include "render/gl/nEGLProgram.h"
#include "render/gl/nEGLRBO.h"
#include "render/gl/nEGLShader.h"
#include "render/gl/nEGLTexture.h"
#include "render/gl/nEGLVBO.h"
#include "render/gl/nGPUGeometryStreams.h"

#include <memory>

namespace
{
constexpr uint32_t Red = 0xFF0000FF;
constexpr uint32_t Green = 0x00FF00FF;

// A 64x64 RGBA8 colour texture with a depth renderbuffer.
struct Target
{
    explicit Target(nEGLRenderer& renderer)
        : texture(renderer.NewTexture()), depth(renderer.NewRBO()), fbo(renderer.NewFBO())
    {
        texture->Create(64, 64, 0, true);
        depth->Create(64, 64, 2, 0);
        fbo->Create();
        fbo->Bind();
        fbo->SetColorTarget(texture.Get());
        fbo->SetDepthRBO(depth.get());
    }
    nSharedPtr<nEGLTexture> texture;
    std::unique_ptr<nEGLRBO> depth;
    std::unique_ptr<nEGLFBO> fbo;
};
} // namespace

using FramebufferTest = GLFixture;

TEST_F(FramebufferTest, QuadFromADisplayListWithAMovedProgram)
{
    Target target(renderer);
    ASSERT_TRUE(target.fbo->Validate());
    renderer.SetViewport(0, 0, 64, 64);
    renderer.ClearFrame(1, 0, 0, 1, 1.0f, nRenderer::ClearColour | nRenderer::ClearDepth);

    // Counter-clockwise, so that the initial culling of front (clockwise) faces keeps it.
    const float positions[] = {-0.25f, -0.25f, 0, 0.25f, -0.25f, 0, 0.25f, 0.25f, 0, -0.25f, 0.25f, 0};
    const uint32_t indices[] = {0, 1, 2, 0, 2, 3};
    nGPUGeometryStreams streams;
    streams.vertexCount = 4;
    streams.positions = positions;
    streams.indexCount = 6;
    streams.indices = indices;
    std::unique_ptr<nEGLDisplayList> list(renderer.NewDisplayList());
    ASSERT_TRUE(list->Build(streams, 7));
    EXPECT_EQ(list->GetUserWord(), 7u);
    EXPECT_EQ(list->GetMaximum().x, 0.25f);

    nSharedPtr<nEGLProgram> program(renderer.NewProgram());
    auto* vertex = renderer.NewShader();
    auto* fragment = renderer.NewShader();
    ASSERT_TRUE(vertex->Compile("#version 120\nattribute vec3 Position;\nuniform mat4 Move;\n"
                                "void main() { gl_Position = Move * vec4(Position, 1.0); }\n",
                                false));
    ASSERT_TRUE(
        fragment->Compile("#version 120\nvoid main() { gl_FragColor = vec4(0.0, 1.0, 0.0, 1.0); }\n", true));
    nGPUProgramInput position;
    position.name = "Position";
    position.kind = nGPUProgramInput::Attribute;
    position.semantic = 0;
    position.location.reset(program->NewInputLocation());
    program->GetInputs().push_back(std::move(position));
    ASSERT_TRUE(program->Link(vertex, fragment));
    nEGLShaderInputLocation* positionAt = program->GetInputs()[0].location.get();
    ASSERT_TRUE(program->ResolveInputLocation("Position", positionAt, nGPUProgramInput::Attribute));
    nEGLShaderInputLocation move;
    ASSERT_TRUE(program->ResolveInputLocation("Move", &move, nGPUProgramInput::Uniform));

    ASSERT_TRUE(program->Bind(nullptr));
    const float rowMajorMove[16] = {1, 0, 0, 0.5f, 0, 1, 0, 0.5f, 0, 0, 1, 0, 0, 0, 0, 1};
    program->SetUniformMatrix4(&move, rowMajorMove, 1);
    list->GetVertexBuffer()->Bind();
    list->GetIndexBuffer()->Bind();
    const auto offset = static_cast<uintptr_t>(list->GetLayout().offsets[nGPUVertexLayout::Position]);
    program->SetVertexAttribute(positionAt, 3, 4, false, list->GetLayout().stride,
                                reinterpret_cast<const void*>(offset));
    list->Draw();
    list->GetIndexBuffer()->Unbind();
    list->GetVertexBuffer()->Unbind();
    program->Unbind();

    EXPECT_EQ(PixelAt(48, 48), Green);
    EXPECT_EQ(PixelAt(32, 32), Red) << "the quad moved off the centre";
    EXPECT_EQ(PixelAt(0, 0), Red);
    EXPECT_EQ(PixelAt(63, 63), Red);

    Target copy(renderer);
    target.fbo->BlitTo(copy.fbo.get(), 64, 64, true, false);
    target.fbo->BlitTo(nullptr, 64, 64, true, false);
    copy.fbo->Bind();
    EXPECT_EQ(PixelAt(48, 48), Green);
    EXPECT_EQ(PixelAt(1, 62), Red);
    copy.fbo->Unbind();
}

TEST_F(FramebufferTest, ProblemsAreReported)
{
    nEGLFBO unready;
    EXPECT_FALSE(unready.Bind());
    EXPECT_EQ(log, "[!] Framebuffer object not ready.\n");
    log.clear();
    nEGLFBO empty;
    ASSERT_TRUE(empty.Create());
    ASSERT_TRUE(empty.Bind());
    EXPECT_FALSE(empty.Validate());
    EXPECT_EQ(log, "[!] FBO: Missing attachment.\n");
    empty.Unbind();
}

TEST_F(FramebufferTest, GrabOfATopHalfClear)
{
    Target target(renderer);
    renderer.Resize(64, 64);
    renderer.SetViewport(0, 0, 64, 64);
    renderer.ClearFrame(1, 0, 0, 1, 1.0f, nRenderer::ClearColour);
    renderer.SetScissor(true, 0, 32, 64, 32);
    renderer.ClearFrame(0, 0, 1, 1, 1.0f, nRenderer::ClearColour);
    renderer.SetScissor(false, 0, 0, 0, 0);
    nPicture picture;
    renderer.GrabDisplayToPicture(&picture);
    target.fbo->Unbind();
    ASSERT_TRUE(picture.GetFormat() == PixelFormatBGRA8);
    const auto* pixels = reinterpret_cast<const uint32_t*>(picture.GetPixels());
    EXPECT_EQ(pixels[0], 0xFF0000FFu);
    EXPECT_EQ(pixels[63], 0xFF0000FFu);
    EXPECT_EQ(pixels[64 * 63], 0xFFFF0000u);
}

TEST_F(FramebufferTest, ColorTargetsAndBuffers)
{
    Target target(renderer);
    nSharedPtr<nEGLTexture> extra(renderer.NewTexture());
    extra->Create(64, 64, 0, true);
    nEGLTexture* textures[6] = {target.texture.Get(), extra.Get(), nullptr, nullptr, nullptr, nullptr};
    target.fbo->SetColorTargets(textures, 6);
    EXPECT_EQ(Integer(GL_DRAW_BUFFER3_ARB), GL_COLOR_ATTACHMENT3_EXT) << "clamped to four";
    target.fbo->SetColorTargets(textures, 0);
    EXPECT_EQ(Integer(GL_DRAW_BUFFER0_ARB), GL_NONE);
    target.fbo->Unbind();

    const uint64_t accounted = MemGetCounters(MemCategoryVBO).liveBytes;
    std::unique_ptr<nEGLVBO> buffer(renderer.NewVBO());
    ASSERT_TRUE(buffer->Create(16, 1, 1));
    EXPECT_EQ(MemGetCounters(MemCategoryVBO).liveBytes, accounted + 16);
    const uint8_t bytes[16] = {1, 2, 3};
    buffer->Bind();
    EXPECT_TRUE(buffer->Upload(bytes, 0, 16));
    EXPECT_TRUE(buffer->Upload(bytes, 4, 8));
    buffer->Unbind();
    EXPECT_EQ(buffer->GetSize(), 16u);
    buffer->Free();
    EXPECT_EQ(MemGetCounters(MemCategoryVBO).liveBytes, accounted);

    std::unique_ptr<nEGLGeometry> geometry(renderer.NewGeometry());
    EXPECT_TRUE(geometry->SetVBOCount(3));
    EXPECT_EQ(geometry->GetVBOCount(), 3u);
    EXPECT_NE(geometry->GetVBO(2), nullptr);
    EXPECT_EQ(geometry->GetVBO(3), nullptr);
}

TEST_F(FramebufferTest, BuildRefusesIndicesBeyondSixteenBits)
{
    const float positions[] = {0, 0, 0};
    const uint32_t indices[] = {0, 65536};
    nGPUGeometryStreams streams;
    streams.vertexCount = 1;
    streams.positions = positions;
    streams.indexCount = 2;
    streams.indices = indices;
    std::unique_ptr<nEGLDisplayList> list(renderer.NewDisplayList());
    EXPECT_FALSE(list->Build(streams, 0));
}
