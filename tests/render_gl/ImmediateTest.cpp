#include "GLFixture.h"
#include "ShaderLibrarySupport.h"

#include "core/math/nRect.h"
#include "core/math/nVector.h"
#include "geometry/nTexture.h"
#include "render/nRasterFont.h"
#include "support/TemporaryFiles.h"
#include "support/TextureLoadingEngine.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace
{
// The back end with the immediate operations, remembering every draw it hands to GL.
class ImmediateRenderer : public GLTestRenderer
{
public:
    struct Draw
    {
        uint32_t primitive;
        uint32_t count;
        uint32_t indexType;
        std::vector<uint16_t> indices; // empty for a draw without indices
    };

    using GLTestRenderer::GLTestRenderer;

    void DrawPrimitives(uint32_t primitive, uint32_t count, uint32_t indexType, const void* indices) override
    {
        Draw draw{primitive, count, indexType, {}};
        if (indices && indexType == 3)
        {
            const auto* words = static_cast<const uint16_t*>(indices);
            draw.indices.assign(words, words + count);
        }
        draws.push_back(std::move(draw));
        GLTestRenderer::DrawPrimitives(primitive, count, indexType, indices);
    }

    std::vector<Draw> draws;
};

// The immediate operations on the shared window's context, through a renderer of their own that
// loads the shader library once; identity matrices, so positions are clip coordinates.
class ImmediateTest : public GLFixture
{
public:
    static void TearDownTestSuite() { s_recorder.reset(); }

protected:
    void SetUp() override
    {
        GLFixture::SetUp();
        if (!s_recorder)
        {
            CoreDataMount core;
            s_recorder = std::make_unique<ImmediateRenderer>(&SharedEngine());
            ASSERT_TRUE(s_recorder->LoadShaderLibrary());
        }
        recorder = s_recorder.get();
        recorder->Resize(320, 240);
        recorder->draws.clear();
        recorder->ResetStatistics();
        renderer.ClearFrame(0.0f, 0.0f, 0.0f, 1.0f, 1.0f, nRenderer::ClearColour | nRenderer::ClearDepth);
        log.clear();
    }

    // A font of white, opaque pages of 64 texels whose glyphs 'a' to 'd' are a page's top-left
    // 8 x 8 texels with steps of 8 texels (0.125 of the page); lines 16 texels apart. With two
    // pages 'd' is on the second.
    std::unique_ptr<nRasterFont> WhiteFont(uint32_t pageCount = 1)
    {
        std::string glyphs;
        for (char code = 'a'; code <= 'd'; ++code)
            glyphs += "<Char=<Id=" + std::to_string(int(code)) +
                      "><U=0.0><V=0.0><W=0.125><H=0.125><OffsetU=0.0><OffsetV=0.0><Step=0.125><Page=" +
                      (code == 'd' && pageCount > 1 ? "1" : "0") + ">>";
        files.Write("w.nml", "<NML=1.0>\n<Font=<Common=<Height=0.25><BaseLine=0.2><PageCount=" +
                                 std::to_string(pageCount) + ">>" + glyphs + ">");
        nPicture page(64, 64, PixelFormatBGRA8);
        page.Fill(1.0f, 1.0f, 1.0f, 1.0f);
        EXPECT_TRUE(nPicture::SaveTGA(page, nString("w_00.tga")));
        EXPECT_TRUE(nPicture::SaveTGA(page, nString("w_01.tga")));
        auto font = std::make_unique<nRasterFont>(&fontEngine);
        EXPECT_TRUE(font->Load("w.nml"));
        for (uint32_t index = 0; index < pageCount; ++index)
            if (nTexture* texture = font->GetPageTexture(index))
                if (!texture->GetRenderData())
                    texture->SetRenderData(recorder->SetupTexture(texture));
        return font;
    }

    static uint32_t Red(uint32_t pixel) { return pixel >> 24; }

    static inline std::unique_ptr<ImmediateRenderer> s_recorder;
    ImmediateRenderer* recorder = nullptr;
    TemporaryFiles files;
    // Page textures hold GL textures: they go with the test, while the context lives.
    TextureLoadingEngine fontEngine;
};

const nVector Red4(1.0f, 0.0f, 0.0f, 1.0f);

TEST_F(ImmediateTest, LinesDrawTwoVerticesEachWithoutIndices)
{
    // Through pixel centres: row 121 across, column 160 up.
    const float row = 121.5f / 120.0f - 1.0f, column = 160.5f / 160.0f - 1.0f;
    const nVector vertices[6] = {{-1, row, 0},   {1, row, 0}, {column, -1, 0},
                                 {column, 1, 0}, {-1, -1, 0}, {1, 1, 0}};
    const nVector colours[6] = {Red4, Red4, Red4, Red4, Red4, Red4};
    recorder->DrawLines(3, vertices, colours, nRenderer::BlendOpaque, 0);
    ASSERT_EQ(recorder->draws.size(), 1u);
    EXPECT_EQ(recorder->draws[0].primitive, 0u);
    EXPECT_EQ(recorder->draws[0].count, 6u);
    EXPECT_EQ(recorder->draws[0].indexType, nGPURenderer::NoIndices);
    EXPECT_EQ(PixelAt(40, 121), 0xFF0000FFu) << "the horizontal line, in its colour";
    EXPECT_EQ(PixelAt(40, 60), 0x000000FFu);

    recorder->DrawLines(1, vertices + 2, nullptr, nRenderer::BlendOpaque, 0x400);
    EXPECT_EQ(PixelAt(160, 40), 0xFFFFFFFFu) << "without colours the line is white";
}

TEST_F(ImmediateTest, StateFollowsBlendModeAndFlagsAndIsRestored)
{
    const nVector vertices[3] = {{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}};
    const nVector colours[3] = {Red4, Red4, Red4};
    for (bool blendBefore : {false, true})
    {
        recorder->EnableBlending(blendBefore);
        recorder->SetBlendFunc(1, 1);
        recorder->DrawTriangles(1, vertices, colours, nullptr, nullptr, nRenderer::BlendOpaque, 0x610);
        EXPECT_EQ(glIsEnabled(GL_BLEND) == GL_TRUE, blendBefore) << "blend mode 0 leaves blending alone";
        EXPECT_EQ(Integer(GL_BLEND_SRC), GL_ONE);
        EXPECT_EQ(Integer(GL_BLEND_DST), GL_ONE);
    }
    for (int32_t mode : {nRenderer::BlendAlpha, nRenderer::BlendAdditive})
    {
        recorder->DrawTriangles(1, vertices, colours, nullptr, nullptr, mode, 0x610);
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_EQ(Integer(GL_BLEND_SRC), GL_SRC_ALPHA);
        EXPECT_EQ(Integer(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    }
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(Integer(GL_DEPTH_WRITEMASK), GL_TRUE);

    // During the draw: additive blending, and the flags' bits switch culling, test and writes off.
    recorder->SetupImmediateState(nRenderer::BlendAdditive, 0x610);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(Integer(GL_BLEND_DST), GL_ONE);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(Integer(GL_DEPTH_WRITEMASK), GL_FALSE);
    recorder->RestoreImmediateState(nRenderer::BlendAdditive);
}

TEST_F(ImmediateTest, TrianglesIndexTheirVerticesAndCountInTheStatistics)
{
    // The screen's lower half in red (counter-clockwise: culling keeps it), then nothing without
    // colours or a texture.
    const nVector vertices[6] = {{-1, -1, 0}, {1, -1, 0}, {1, 0, 0}, {-1, -1, 0}, {1, 0, 0}, {-1, 0, 0}};
    const nVector colours[6] = {Red4, Red4, Red4, Red4, Red4, Red4};
    recorder->DrawTriangles(2, vertices, colours, nullptr, nullptr, nRenderer::BlendOpaque, 0);
    recorder->DrawTriangles(2, vertices, nullptr, nullptr, nullptr, nRenderer::BlendOpaque, 0);
    ASSERT_EQ(recorder->draws.size(), 1u);
    EXPECT_EQ(recorder->draws[0].indices, (std::vector<uint16_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(recorder->GetStatistics().trianglesDrawn, 2u);
    EXPECT_EQ(PixelAt(160, 60), 0xFF0000FFu);
    EXPECT_EQ(PixelAt(160, 180), 0x000000FFu);
}

TEST_F(ImmediateTest, TexturedTrianglesTakeTheirUVs)
{
    // Four texels across: two red, two green; u runs 0 to 1 across the screen.
    nSharedPtr<nTexture> held(new nTexture(&engine, 0, 0));
    nTexture& texture = *held;
    ASSERT_TRUE(texture.Allocate(4, 1, PixelFormatRGBA8));
    const nRect left{0, 0, 2, 1};
    texture.Fill(0.0f, 1.0f, 0.0f, 1.0f);
    texture.Fill(1.0f, 0.0f, 0.0f, 1.0f, &left);
    texture.SetRenderData(recorder->SetupTexture(&texture));
    const nVector vertices[6] = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
    const float uvs[12] = {0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 1};
    recorder->DrawTriangles(2, vertices, nullptr, uvs, &texture, nRenderer::BlendOpaque, 0);
    ASSERT_EQ(recorder->draws.size(), 1u);
    // Filtering (and compression, where the driver has it) blur the texels a little.
    EXPECT_GT(Red(PixelAt(40, 120)), 200u);
    EXPECT_LT(PixelAt(40, 120) >> 16 & 0xFF, 60u);
    EXPECT_LT(Red(PixelAt(280, 120)), 60u);
    EXPECT_GT(PixelAt(280, 120) >> 16 & 0xFF, 200u);
}

// Drawn at an eighth of its size the texture samples its smaller levels: they follow an update.
TEST_F(ImmediateTest, AnUpdatedTextureShowsItsNewContentWhenDrawnSmaller)
{
    nSharedPtr<nTexture> held(new nTexture(&engine, 0, 0));
    nTexture& texture = *held;
    ASSERT_TRUE(texture.Allocate(256, 256, PixelFormatRGBA8));
    texture.Fill(0.0f, 0.0f, 0.0f, 1.0f);
    texture.SetRenderData(recorder->SetupTexture(&texture));
    texture.Fill(1.0f, 0.0f, 0.0f, 1.0f);
    recorder->UpdateTexture(texture.GetRenderData(), texture.GetPixels(), 256, 256, 0, 0, 0);
    // 32 x 32 pixels at the centre of the 320 x 240 window.
    const float x = 32.0f / 320.0f;
    const float y = 32.0f / 240.0f;
    const nVector vertices[6] = {{-x, -y, 0}, {x, -y, 0}, {x, y, 0}, {-x, -y, 0}, {x, y, 0}, {-x, y, 0}};
    const float uvs[12] = {0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 1};
    recorder->DrawTriangles(2, vertices, nullptr, uvs, &texture, nRenderer::BlendOpaque, 0);
    EXPECT_GT(Red(PixelAt(160, 120)), 200u);
}

TEST_F(ImmediateTest, TrianglesPastSixteenBitIndicesGoInChunks)
{
    // 30000 small triangles along the bottom edge: 90000 vertices, more than 16-bit indices reach.
    const uint32_t count = 30000;
    std::vector<nVector> vertices;
    for (uint32_t i = 0; i < count; ++i)
    {
        const float x = -1.0f + 2.0f * float(i) / float(count);
        vertices.insert(vertices.end(), {{x, -1, 0}, {x + 0.01f, -1, 0}, {x, -0.9f, 0}});
    }
    std::vector<nVector> colours(vertices.size(), Red4);
    recorder->DrawTriangles(count, vertices.data(), colours.data(), nullptr, nullptr, nRenderer::BlendOpaque,
                            16);
    ASSERT_EQ(recorder->draws.size(), 2u);
    EXPECT_EQ(recorder->draws[0].count, 65535u);
    EXPECT_EQ(recorder->draws[1].count, 3 * count - 65535u);
    for (const auto& draw : recorder->draws)
        EXPECT_EQ(*std::max_element(draw.indices.begin(), draw.indices.end()), draw.count - 1);
    EXPECT_EQ(recorder->GetStatistics().trianglesDrawn, count);
    EXPECT_EQ(Red(PixelAt(2, 3)), 0xFFu) << "the first chunk drew";
    EXPECT_EQ(Red(PixelAt(317, 3)), 0xFFu) << "the last chunk drew from its own vertices";
}

TEST_F(ImmediateTest, BillboardsFaceTheCameraAndGoInChunks)
{
    // Identity view: right is x and up is y, so a billboard of size 0.5 spans -0.5..0.5.
    const nVector position(0.0f, 0.0f, 0.0f);
    const float size = 0.5f;
    recorder->DrawBillboards(1, &position, nullptr, &size, nullptr, 1.0f, nRenderer::BlendOpaque, 0);
    ASSERT_EQ(recorder->draws.size(), 1u);
    EXPECT_EQ(recorder->draws[0].indices, (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(PixelAt(160, 120), 0xFFFFFFFFu) << "white without colours";
    EXPECT_EQ(PixelAt(90, 120), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(70, 120), 0x000000FFu);
    EXPECT_EQ(PixelAt(160, 40), 0x000000FFu);

    recorder->draws.clear();
    std::vector<nVector> many(20000, nVector(0.0f, 0.0f, 0.0f));
    std::vector<nVector> colours(many.size(), Red4);
    recorder->DrawBillboards(uint32_t(many.size()), many.data(), colours.data(), nullptr, nullptr, 0.1f,
                             nRenderer::BlendOpaque, 0x400);
    ASSERT_EQ(recorder->draws.size(), 2u);
    EXPECT_EQ(recorder->draws[0].count, 6u * 16383u);
    EXPECT_EQ(recorder->draws[1].count, 6u * (20000u - 16383u));
    EXPECT_EQ(*std::max_element(recorder->draws[0].indices.begin(), recorder->draws[0].indices.end()),
              65531u);
    EXPECT_EQ(PixelAt(160, 120), 0xFF0000FFu);
}

TEST_F(ImmediateTest, WriteLinesStartAtTheStartOrEndThereWhenRightAligned)
{
    std::unique_ptr<nRasterFont> font = WhiteFont();
    // Pixel mode with the aspect corrected: one page texel is one pixel, so each glyph is 8 x 8
    // pixels, each line 16 pixels lower.
    float x = 100.0f, y = 50.0f;
    recorder->Write(font.get(), "ab\nabc", x, y, nTextFlags{true, false}, 1.0f, nullptr, 0);
    EXPECT_FLOAT_EQ(x, 124.0f);
    EXPECT_FLOAT_EQ(y, 66.0f);
    ASSERT_EQ(recorder->draws.size(), 1u) << "one page: one draw";
    EXPECT_EQ(recorder->draws[0].count, 5u * 6u);
    // Rows count from the bottom in GL: text row r is window row 239 - r.
    EXPECT_EQ(PixelAt(100, 239 - 50), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(115, 239 - 57), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(116, 239 - 50), 0x000000FFu) << "the first line has two glyphs";
    EXPECT_EQ(PixelAt(123, 239 - 66), 0xFFFFFFFFu) << "the second line, one line lower";
    EXPECT_EQ(PixelAt(100, 239 - 58), 0x000000FFu);

    renderer.ClearFrame(0.0f, 0.0f, 0.0f, 1.0f, 1.0f, nRenderer::ClearColour);
    x = 200.0f;
    y = 100.0f;
    const nColor green(0.0f, 1.0f, 0.0f, 1.0f);
    recorder->Write(font.get(), "ab\nabc", x, y, nTextFlags{true, false}, 1.0f, &green, 2);
    EXPECT_FLOAT_EQ(x, 200.0f) << "right-aligned lines end at the start x";
    EXPECT_EQ(PixelAt(199, 239 - 100), 0x00FF00FFu) << "the first line ends at x";
    EXPECT_EQ(PixelAt(183, 239 - 100), 0x000000FFu) << "and starts two glyphs before it";
    EXPECT_EQ(PixelAt(176, 239 - 116), 0x00FF00FFu) << "the second starts three glyphs before it";
    EXPECT_EQ(PixelAt(200, 239 - 116), 0x000000FFu);

    // Centred, at scale 2: the line of 16 texels spans 32 pixels around x.
    renderer.ClearFrame(0.0f, 0.0f, 0.0f, 1.0f, 1.0f, nRenderer::ClearColour);
    x = 160.0f;
    y = 10.0f;
    recorder->Write(font.get(), "ab", x, y, nTextFlags{true, false}, 2.0f, nullptr, 1);
    EXPECT_FLOAT_EQ(x, 176.0f);
    EXPECT_EQ(PixelAt(144, 239 - 10), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(143, 239 - 10), 0x000000FFu);
    EXPECT_EQ(PixelAt(175, 239 - 25), 0xFFFFFFFFu);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(log.find("[!]"), std::string::npos) << log;
}

TEST_F(ImmediateTest, NormalisedWriteSpansTheWindowWithThePage)
{
    std::unique_ptr<nRasterFont> font = WhiteFont();
    // Normalised, aspect not corrected: a glyph is 0.125 of the window each way.
    float x = 0.5f, y = 0.5f;
    recorder->Write(font.get(), "a\n", x, y, nTextFlags{false, true}, 1.0f, nullptr, 0);
    EXPECT_FLOAT_EQ(x, 0.5f);
    EXPECT_FLOAT_EQ(y, 0.75f);
    EXPECT_EQ(PixelAt(160, 119), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(199, 90), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(201, 119), 0x000000FFu);
    EXPECT_EQ(PixelAt(160, 89), 0x000000FFu);
}

TEST_F(ImmediateTest, WriteDrawsAtEachPageChangeAndInChunks)
{
    std::unique_ptr<nRasterFont> font = WhiteFont(2);
    float x = 0.0f, y = 0.0f;
    recorder->Write(font.get(), "abdda", x, y, nTextFlags{}, 1.0f, nullptr, 0);
    ASSERT_EQ(recorder->draws.size(), 3u);
    EXPECT_EQ(recorder->draws[0].count, 2u * 6u);
    EXPECT_EQ(recorder->draws[1].count, 2u * 6u);
    EXPECT_EQ(recorder->draws[2].count, 1u * 6u);
    EXPECT_FLOAT_EQ(x, 40.0f);

    recorder->draws.clear();
    const std::string text(1500, 'a');
    recorder->Write(font.get(), text.c_str(), x, y, nTextFlags{}, 1.0f, nullptr, 0);
    ASSERT_EQ(recorder->draws.size(), 2u);
    EXPECT_EQ(recorder->draws[0].count, 1024u * 6u);
    EXPECT_EQ(recorder->draws[1].count, 476u * 6u);
}

TEST_F(ImmediateTest, WriteRefusesFontsWithoutPagesAndMissingPrograms)
{
    std::unique_ptr<nRasterFont> font = WhiteFont(0);
    float x = 10.0f, y = 10.0f;
    recorder->Write(font.get(), "ab", x, y, nTextFlags{}, 1.0f, nullptr, 0);
    EXPECT_NE(log.find("[!] No glyph page in raster font 'w.nml'.\n"), std::string::npos) << log;
    EXPECT_TRUE(recorder->draws.empty());
    EXPECT_FLOAT_EQ(x, 10.0f);

    log.clear();
    std::unique_ptr<nRasterFont> paged = WhiteFont();
    ImmediateRenderer withoutLibrary(&SharedEngine());
    withoutLibrary.Write(paged.get(), "ab", x, y, nTextFlags{}, 1.0f, nullptr, 0);
    EXPECT_NE(log.find("[!] Invalid program.\n"), std::string::npos) << log;
    EXPECT_TRUE(withoutLibrary.draws.empty());
    recorder->Write(nullptr, "ab", x, y, nTextFlags{}, 1.0f, nullptr, 0);
    recorder->Write(paged.get(), nullptr, x, y, nTextFlags{}, 1.0f, nullptr, 0);
    EXPECT_TRUE(recorder->draws.empty());
}
} // namespace
