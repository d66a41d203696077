#include "GLFixture.h"

#include "core/base/nSharedPtr.h"
#include "core/nml/nMetaTagValue.h"
#include "geometry/nTexture.h"
#include "render/gl/DDSTestFiles.h"
#include "render/gl/nEGLTexture.h"
#include "support/TemporaryFiles.h"

#include <cstring>
#include <string>
#include <vector>

using namespace DDSTestFiles;

namespace
{
GLint LevelParameter(GLint level, GLenum name)
{
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    return value;
}

GLint Parameter(GLenum name)
{
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

std::vector<uint32_t> Level0RGBA(uint32_t count)
{
    std::vector<uint32_t> pixels(count);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

std::string Text(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}
} // namespace

class TextureTest : public GLFixture
{
protected:
    // A texture of the engine with BGRA8 pixels, released with the test.
    nTexture* MakeTexture(uint32_t width, uint32_t height, uint32_t gpuFormat,
                          const std::vector<uint32_t>& pixels)
    {
        auto* texture = new nTexture(&engine, 0, gpuFormat);
        held.emplace_back(texture);
        texture->Allocate(width, height, PixelFormatBGRA8);
        memcpy(texture->GetPixels(), pixels.data(), pixels.size() * 4);
        return texture;
    }
    nEGLTexture* Setup(nTexture* texture)
    {
        auto* object = static_cast<nEGLTexture*>(renderer.SetupTexture(texture));
        texture->SetRenderData(object);
        return object;
    }
    std::vector<nSharedPtr<nTexture>> held;
};

TEST_F(TextureTest, CreateWithoutSizeGivesANameWithoutStorage)
{
    nSharedPtr<nEGLTexture> texture(renderer.NewTexture());
    ASSERT_TRUE(texture->Create(0, 16, 0, false));
    EXPECT_NE(texture->GetName(), 0u);
    EXPECT_EQ(LevelParameter(0, GL_TEXTURE_WIDTH), 0);
    EXPECT_EQ(Parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
}

TEST_F(TextureTest, RenderTargetsHaveLinearFiltersAndNoMipmaps)
{
    nTexture* target = MakeTexture(4, 4, 0, std::vector<uint32_t>(16, 0xFF00FF00));
    target->SetGPURenderTarget(true);
    nEGLTexture* object = Setup(target);
    EXPECT_EQ(Parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(LevelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
    EXPECT_EQ(LevelParameter(1, GL_TEXTURE_WIDTH), 0);
    EXPECT_TRUE(object->IsRenderTarget());

    nTexture* ordinary = MakeTexture(4, 4, 0, std::vector<uint32_t>(16, 0xFF00FF00));
    Setup(ordinary);
    EXPECT_EQ(Parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(Parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(LevelParameter(2, GL_TEXTURE_WIDTH), 1);
}

TEST_F(TextureTest, HalfFloatTexturesGetStorageOnly)
{
    nTexture* texture = MakeTexture(2, 2, 2, std::vector<uint32_t>(4, 0xFFFFFFFF));
    nEGLTexture* object = Setup(texture);
    EXPECT_EQ(LevelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA16F_ARB);
    EXPECT_EQ(object->GetInternalFormat(), static_cast<uint32_t>(GL_RGBA16F_ARB));
    EXPECT_TRUE(texture->GetFormat() == PixelFormatBGRA8) << "no pixels were converted for upload";

    const uint16_t one = 0x3C00;
    const uint16_t half[8] = {one, 0, one, one, 0, one, 0, one};
    renderer.UpdateTexture(object, half, 1, 2, 1, 0, 2);
    float texels[16] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels);
    EXPECT_EQ(texels[4], 1.0f);
    EXPECT_EQ(texels[5], 0.0f);
    EXPECT_EQ(texels[13], 1.0f);
    EXPECT_EQ(texels[0], 0.0f);
}

TEST_F(TextureTest, BGRAPicturesArriveAsRGBA)
{
    nTexture* texture = MakeTexture(2, 1, 0, {0xFFFF0000, 0xFF00FF00});
    Setup(texture);
    const auto pixels = Level0RGBA(2);
    EXPECT_EQ(pixels[0], 0xFF0000FFu);
    EXPECT_EQ(pixels[1], 0xFF00FF00u);
}

TEST_F(TextureTest, CompressionOffGivesRGBA8)
{
    nMetaTagValue off;
    off.SetBool(false);
    renderer.GetRegistry().SetKey("Texture:Compression:Enable", &off);
    Setup(MakeTexture(2, 1, 0, {0xFFFF0000, 0xFF00FF00}));
    EXPECT_EQ(LevelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
    renderer.GetRegistry().RemoveKey("Texture:Compression:Enable");
}

TEST_F(TextureTest, ResizeKeepsTheTexturesOwnFormat)
{
    nSharedPtr<nEGLTexture> texture(renderer.NewTexture());
    ASSERT_TRUE(texture->Create(4, 4, 4, true));
    renderer.ResizeTexture(texture.Get(), 8, 2);
    EXPECT_EQ(LevelParameter(0, GL_TEXTURE_WIDTH), 8);
    EXPECT_EQ(LevelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), GL_DEPTH_COMPONENT24);
    renderer.ResizeTexture(nullptr, 8, 2);
}

TEST_F(TextureTest, DDSLevels)
{
    TemporaryFiles files;
    files.Write("one.dds", Text(WithPixels(Header(8, 8, 4, false, 4, Code("DXT1"), 0), 56)));
    files.Write("four.dds", Text(WithPixels(Header(8, 8, 4, true, 4, Code("DXT1"), 0), 56)));

    nSharedPtr<nRenderTexture> one(renderer.LoadTexture("one.dds"));
    ASSERT_NE(one.Get(), nullptr);
    EXPECT_EQ(Parameter(GL_TEXTURE_MAX_LEVEL), 0);
    EXPECT_EQ(LevelParameter(0, GL_TEXTURE_COMPRESSED_IMAGE_SIZE), 32);

    log.clear();
    nSharedPtr<nRenderTexture> four(renderer.LoadTexture("four.dds"));
    ASSERT_NE(four.Get(), nullptr);
    EXPECT_EQ(log, "DDS 'four.dds' has 4 level(s).\n");
    const GLint sizes[] = {32, 8, 8, 8};
    for (GLint level = 0; level < 4; ++level)
        EXPECT_EQ(LevelParameter(level, GL_TEXTURE_COMPRESSED_IMAGE_SIZE), sizes[level]) << level;
}

TEST_F(TextureTest, DDSUncompressedPixelsAndNames)
{
    TemporaryFiles files;
    auto argb = Header(2, 1, 1, false, 4, 21, 0);
    for (uint8_t byte : {0x00, 0x00, 0xFF, 0x80, 0x00, 0xFF, 0x00, 0xFF}) // B, G, R, A
        argb.push_back(byte);
    files.Write("T.DDS", Text(argb));
    auto xrgb = Header(1, 1, 1, false, 4, 22, 0);
    for (uint8_t byte : {0x10, 0x20, 0x30, 0x00})
        xrgb.push_back(byte);
    files.Write("x.dds", Text(xrgb));

    nSharedPtr<nRenderTexture> loaded(renderer.LoadTexture("T.DDS"));
    ASSERT_NE(loaded.Get(), nullptr);
    auto pixels = Level0RGBA(2);
    EXPECT_EQ(pixels[0], 0x800000FFu);
    EXPECT_EQ(pixels[1], 0xFF00FF00u);

    nSharedPtr<nRenderTexture> opaque(renderer.LoadTexture("x.dds"));
    ASSERT_NE(opaque.Get(), nullptr);
    pixels = Level0RGBA(1);
    EXPECT_EQ(pixels[0], 0xFF102030u) << "alpha forced to 1";
}

TEST_F(TextureTest, BadDDSFilesGiveNull)
{
    TemporaryFiles files;
    files.Write("short.dds", "DD");
    files.Write("cut.dds", Text(WithPixels(Header(8, 8, 1, false, 4, Code("DXT1"), 0), 20)));
    files.Write("other.dds", std::string(200, 'x'));
    files.Write("a.png", Text(WithPixels(Header(8, 8, 1, false, 4, Code("DXT1"), 0), 32)));

    EXPECT_EQ(renderer.LoadTexture("short.dds"), nullptr);
    EXPECT_EQ(log.rfind("[!] DDS 'short.dds'", 0), 0u) << log;
    log.clear();
    EXPECT_EQ(renderer.LoadTexture("cut.dds"), nullptr);
    EXPECT_EQ(log.rfind("[!] DDS 'cut.dds'", 0), 0u) << log;
    log.clear();
    EXPECT_EQ(renderer.LoadTexture("other.dds"), nullptr);
    EXPECT_EQ(renderer.LoadTexture("a.png"), nullptr);
    EXPECT_EQ(log, "") << "other files and extensions are not DDS files";
    EXPECT_EQ(renderer.LoadTexture("missing.dds"), nullptr);
}
