#include "render/nNullRenderer.h"
#include "render/nRasterFont.h"
#include "support/CapturedLog.h"
#include "support/TemporaryFiles.h"
#include "support/TextureLoadingEngine.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// Raster fonts written by the test: a description and pages of the given side.
class RasterFont : public ::testing::Test
{
protected:
    void WritePage(const std::string& name, uint32_t side)
    {
        nPicture page(side, side, PixelFormatBGRA8);
        page.Fill(1.0f, 1.0f, 1.0f, 0.0f);
        ASSERT_TRUE(nPicture::SaveTGA(page, nString(name.c_str())));
    }
    static std::string Glyph(int id, float step, int page = 0)
    {
        return "<Char=<Id=" + std::to_string(id) +
               "><U=0.0><V=0.0><W=0.1><H=0.1><OffsetU=0.0><OffsetV=0.0><Step=" + std::to_string(step) +
               "><Page=" + std::to_string(page) + ">>";
    }
    static std::string Font(const std::string& common, const std::string& glyphs)
    {
        return "<NML=1.0>\n<Font=<Common=" + common + ">" + glyphs + ">";
    }
    bool HasLine(const std::string& line) const { return log.text.find(line) != std::string::npos; }

    CapturedLog log;
    TemporaryFiles files;
    TextureLoadingEngine engine;
};

TEST_F(RasterFont, MetricsAreFractionsOfThePage)
{
    files.Write("f.nml", Font("<Height=0.1><BaseLine=0.08><PageCount=1>",
                              Glyph(32, 0.02f) + Glyph('a', 0.05f) + Glyph('b', 0.125f)));
    WritePage("f_00.tga", 256);
    nRasterFont font(&engine);
    ASSERT_TRUE(font.Load("f.nml"));
    EXPECT_EQ(font.GetName(), "f.nml");
    ASSERT_EQ(font.GetPageCount(), 1u);
    EXPECT_EQ(font.GetPageTexture(0)->GetName(), "f_00.tga");
    EXPECT_EQ(font.GetPageTexture(1), nullptr);
    EXPECT_FLOAT_EQ(font.GetLineHeight(false), 25.6f);
    EXPECT_FLOAT_EQ(font.GetLineHeight(true), 0.1f);
    EXPECT_FLOAT_EQ(font.GetBaseline(false), 0.08f * 256.0f);
    EXPECT_EQ(font.GetGlyph('c'), nullptr);
    EXPECT_EQ(font.GetGlyph(300), nullptr);

    float width = 0.0f, height = 0.0f;
    font.ComputeTextSize("ab a\nbbbb", true, width, height);
    EXPECT_FLOAT_EQ(width, 0.05f + 0.125f + 0.02f + 0.05f);
    EXPECT_FLOAT_EQ(height, 0.1f);
    font.ComputeTextSize("abc", false, width, height); // c has no glyph
    EXPECT_FLOAT_EQ(width, (0.05f + 0.125f) * 256.0f);
    EXPECT_FLOAT_EQ(height, 25.6f);
    font.ComputeTextBlockSize("a\nbbbb\n", true, width, height);
    EXPECT_FLOAT_EQ(width, 0.5f);
    EXPECT_FLOAT_EQ(height, 0.3f);
    EXPECT_FALSE(HasLine("[*]"));

    font.Clear();
    EXPECT_FLOAT_EQ(font.GetLineHeight(false), -1.0f);
    font.ComputeTextSize("a", false, width, height);
    EXPECT_FLOAT_EQ(width, -1.0f);
}

TEST_F(RasterFont, DescriptionProblemsAreLoggedAndSkipped)
{
    files.Write("dir.v2/g.nml", Font("<Height=0.1><BaseLine=0.08><PageCount=2><Colour=1>",
                                     Glyph(300, 0.1f) + Glyph(-1, 0.1f) + Glyph('a', 0.1f, 5) +
                                         Glyph('b', 0.1f, 1) + "<Char=<Step=0.1>>"));
    WritePage("dir.v2/g_00.tga", 64);
    WritePage("dir.v2/g_01.tga", 64);
    nRasterFont font(&engine);
    ASSERT_TRUE(font.Load("dir.v2/g.nml"));
    EXPECT_EQ(font.GetPageCount(), 2u); // the folder's dot is no extension
    ASSERT_NE(font.GetPageTexture(1), nullptr);
    EXPECT_TRUE(HasLine("[*] Unexpected tag in font description header ('Colour').\n"));
    EXPECT_TRUE(HasLine("[*] Glyph with no or invalid ID in font 'dir.v2/g.nml', skipping.\n"));
    EXPECT_TRUE(HasLine("[*] Invalid glyph page in font 'dir.v2/g.nml' (Glyph #97), skipping.\n"));
    EXPECT_TRUE(HasLine("[*] No space character in font 'dir.v2/g.nml'.\n"));
    EXPECT_EQ(log.text.find("300"), std::string::npos); // ids of 256 and above go without a word
    EXPECT_EQ(font.GetGlyph('a'), nullptr);
    ASSERT_NE(font.GetGlyph('b'), nullptr);
    EXPECT_EQ(font.GetGlyph('b')->page, 1);
}

TEST_F(RasterFont, LoadsThatFailLeaveAnEmptyFont)
{
    files.Write("nobase.nml", "<NML=1.0>\n<Font=<Char=<Id=32>>>");
    files.Write("pages.nml", Font("<PageCount=100000>", ""));
    nRasterFont font(&engine);
    EXPECT_FALSE(font.Load("nobase.nml"));
    EXPECT_TRUE(HasLine("[!] Missing base tag in font description ('nobase.nml').\n"));
    EXPECT_FALSE(font.Load("missing.nml"));
    EXPECT_TRUE(HasLine("[!] Failed to load raster font description file 'missing.nml'.\n"));
    EXPECT_FALSE(font.Load("pages.nml"));
    EXPECT_TRUE(HasLine("[!] Invalid page count 100000 in font description 'pages.nml'"));
    EXPECT_EQ(font.GetPageCount(), 0u);

    nNullRenderer renderer(&engine);
    EXPECT_EQ(renderer.LoadRasterFont("missing.nml", nullptr), nullptr);
    files.Write("h.nml", Font("<Height=0.5><PageCount=1>", Glyph(32, 0.1f)));
    WritePage("pages_00.tga", 32);
    nRasterFont* loaded = renderer.LoadRasterFont("h.nml", "pages");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetEngine(), &engine);
    EXPECT_FLOAT_EQ(loaded->GetLineHeight(false), 16.0f);
    delete loaded;
}

} // namespace
