#include "core/picture/nPicture.h"
#include "script/SquirrelObject.h"
#include "squirrel/squirrel.h"
#include "support/CapturedLog.h"
#include "ui/CoreFonts.h"
#include "ui/nTextAttributesScript.h"
#include "ui/nTextLayout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

class TextLayout : public ::testing::Test
{
protected:
    TextLayout() { attributes.font = fonts.font; }

    // The text of each laid-out line.
    std::vector<std::string> Lines(const std::string& text, int32_t width)
    {
        uint32_t count = 0;
        const nTextLine* lines = LayoutText(text.c_str(), attributes, width, count);
        std::vector<std::string> result;
        for (uint32_t i = 0; i < count; ++i)
            result.push_back(text.substr(lines[i].start, lines[i].end - lines[i].start));
        return result;
    }
    int32_t Width(const std::string& text)
    {
        nTextAttributes line = attributes;
        line.format = TextFormatLine;
        return ComputeTextRect(text.c_str(), line, nRect{0, 0, 10000, 10000}).Width();
    }
    // A transparent picture with the text drawn from its top-left corner.
    void Render(nPicture& picture, const std::string& text, int32_t width)
    {
        ASSERT_TRUE(picture.Allocate(uint32_t(width), 64, PixelFormatBGRA8));
        picture.Fill(0.0f, 0.0f, 0.0f, 0.0f);
        const nRect rect{0, 0, width, 64};
        RenderTextToPicture(picture, text.c_str(), attributes, rect, rect);
    }
    static uint32_t Pixel(const nPicture& picture, int32_t x, int32_t y)
    {
        return *reinterpret_cast<const uint32_t*>(picture.GetPixelAddress(uint32_t(x), uint32_t(y)));
    }
    // The lowest and rightmost rows and columns with any coverage, -1 when none.
    static int32_t LowestCoveredRow(const nPicture& picture)
    {
        for (int32_t y = int32_t(picture.GetHeight()) - 1; y >= 0; --y)
            for (int32_t x = 0; x < int32_t(picture.GetWidth()); ++x)
                if (Pixel(picture, x, y) >> 24)
                    return y;
        return -1;
    }
    static int32_t RightmostCoveredColumn(const nPicture& picture, int32_t y0, int32_t y1)
    {
        for (int32_t x = int32_t(picture.GetWidth()) - 1; x >= 0; --x)
            for (int32_t y = y0; y < y1; ++y)
                if (Pixel(picture, x, y) >> 24)
                    return x;
        return -1;
    }

    CapturedLog log;
    CoreFonts fonts;
    nTextAttributes attributes;
};

TEST_F(TextLayout, FontsAreFoundByFileNameAndLoadedOnce)
{
    ASSERT_NE(fonts.font, nullptr);
    EXPECT_NE(log.text.find("Font '@core/default.ttf' loaded as 'default.ttf'."), std::string::npos);
    EXPECT_EQ(FontSystemLoadFont("@core/default.ttf"), nullptr);
    EXPECT_EQ(FontSystemGetFont("default.ttf"), fonts.font);
    EXPECT_EQ(FontSystemGetFont("no-such-font.ttf"), fonts.font);
    EXPECT_EQ(FontSystemFindFont("no-such-font.ttf"), nullptr);
    EXPECT_EQ(FontSystemLoadFont("@core/missing.ttf"), nullptr);
    EXPECT_NE(log.text.find("[!] Failed to open font file '@core/missing.ttf'."), std::string::npos);
    EXPECT_EQ(FontSystemLoadFont("@core/scriptlib/nad.nut"), nullptr); // not a face
    EXPECT_TRUE(FontSystemStartup("ignored.ttf"));                     // already open
}

TEST_F(TextLayout, AFailedDefaultFontClosesTheSystemAgain)
{
    FontSystemShutdown();
    EXPECT_FALSE(FontSystemStartup("@core/missing.ttf"));
    EXPECT_NE(log.text.find("[!] Failed to open default system font."), std::string::npos);
    EXPECT_FALSE(FontSystemIsOpen());
    EXPECT_EQ(FontSystemGetFont("default.ttf"), nullptr);
    EXPECT_EQ(FontSystemLoadFont("@core/default.ttf"), nullptr);
}

TEST_F(TextLayout, TheExtentSumsAdvancesAndSkipsNewlines)
{
    int32_t width = 0, height = 0, oneWidth = 0;
    fonts.font->GetTextExtent("ab\ncd", 16, width, height);
    EXPECT_EQ(width, Width("abcd"));
    EXPECT_GT(height, 8);
    fonts.font->GetTextExtent("\xC3\xA9", 16, oneWidth, height); // one character, "é"
    int32_t eWidth = 0;
    fonts.font->GetTextExtent("e", 16, eWidth, height);
    EXPECT_EQ(oneWidth, eWidth);
}

TEST_F(TextLayout, AParagraphBreaksAfterTheLastSpaceThatFits)
{
    attributes.format = TextFormatParagraph;
    const std::vector<std::string> words = {"The",  "quick", "brown", "fox", "jumps",
                                            "over", "the",   "lazy",  "dog"};
    std::string text;
    for (const std::string& word : words)
        text += (text.empty() ? "" : " ") + word;
    std::string expected = words[0];
    for (size_t i = 1; i < words.size() && Width(expected + " " + words[i]) < 100; ++i)
        expected += " " + words[i];
    const std::vector<std::string> lines = Lines(text, 100);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], expected);
    for (const std::string& line : lines)
        EXPECT_LT(Width(line), 100) << line;
}

TEST_F(TextLayout, LinesBreakInsideWideWordsAtNewlinesAndByColumns)
{
    attributes.format = TextFormatParagraph;
    const std::vector<std::string> wide = Lines("Incomprehensibilities", 60);
    ASSERT_GE(wide.size(), 2u);
    EXPECT_LT(Width(wide[0]), 60);
    EXPECT_GE(Width(wide[0] + wide[1].substr(0, 1)), 60);

    const std::vector<std::string> narrow = Lines("abc", 1); // every glyph is wider than the width
    EXPECT_EQ(narrow, (std::vector<std::string>{"a", "b", "c"}));

    attributes.format = TextFormatLine;
    EXPECT_EQ(Lines("a\\nb", 100), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Lines("a\nb", 100), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Lines("a b c d e f", 1).size(), 1u); // no wrapping in the line format

    attributes.format = TextFormatColumn;
    attributes.charactersPerLine = 3;
    EXPECT_EQ(Lines("abcdefg", 1000), (std::vector<std::string>{"abc", "def", "g"}));
    attributes.charactersPerLine = 0;
    EXPECT_EQ(Lines("abc", 1000), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(TextLayout, LinesOfSpacesAreEmptyAndTheTableHasNoLimit)
{
    uint32_t count = 0;
    const nTextLine* lines = LayoutText("a\n   \nb", attributes, 100, count);
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(lines[1].count, 0);
    EXPECT_EQ(lines[1].height, 0);

    std::string many;
    for (int i = 0; i < 3000; ++i)
        many += "x\n";
    LayoutText(many.c_str(), attributes, 100, count);
    EXPECT_EQ(count, 3000u);
}

TEST_F(TextLayout, SizeCommandsRaiseTheLineAndBadCommandsStopTheText)
{
    const nRect rect{0, 0, 1000, 1000};
    const nRect plain = ComputeTextRect("ab cd", attributes, rect);
    const nRect larger = ComputeTextRect("ab ~~Size(32)cd", attributes, rect);
    EXPECT_GT(larger.Height(), plain.Height());
    EXPECT_GT(larger.Width(), plain.Width());
    EXPECT_EQ(ComputeTextRect("ab ~~SIZE(16)c~~COLOR(1,2,3,4)d", attributes, rect).Width(), plain.Width());
    EXPECT_EQ(ComputeTextRect("~~Other(1)", attributes, rect).Width(), Width("~~Other(1)"));
    EXPECT_EQ(ComputeTextRect("ab~~Size(9999)", attributes, rect).Width(), Width("ab")); // clamped, not huge

    EXPECT_EQ(ComputeTextRect("ab~~Color(1,2", attributes, rect).Width(), Width("ab"));
    EXPECT_NE(log.text.find("[!] Error parsing text command components."), std::string::npos);
    for (const char* bad : {"~~Size(3", "~~Size()", "~~Color(1;2,3,4)", "~~Color(1,2,3,4"})
        EXPECT_EQ(ParseTextCommand(bad).kind, TextCommandError) << bad;
    const nTextCommand colour = ParseTextCommand("~~Color(300,-5,7,255)x");
    EXPECT_EQ(colour.kind, TextCommandColor);
    EXPECT_EQ(colour.values[0], 255);
    EXPECT_EQ(colour.values[1], 0);
    EXPECT_EQ(colour.length, std::strlen("~~Color(300,-5,7,255)"));
}

TEST_F(TextLayout, AColourCommandDrawsTheFollowingWordInItsColour)
{
    nPicture coloured, reference;
    Render(coloured, "HH ~~Color(255,0,0,255)HH", 200);
    Render(reference, "HH HH", 200);
    const int32_t split = Width("HH ");
    int32_t first = 0, second = 0;
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 200; ++x)
        {
            if ((Pixel(reference, x, y) >> 24) != 254) // fully covered: weight 255 x 255 / 256
                continue;
            const uint32_t pixel = Pixel(coloured, x, y);
            const uint32_t red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
            if (x < split)
            {
                ++first;
                EXPECT_EQ(pixel & 0xFFFFFFu, 0u) << x << "," << y;
            }
            else
            {
                ++second;
                EXPECT_GE(red, 250u);
                EXPECT_LE(green, 5u);
                EXPECT_LE(blue, 5u);
            }
        }
    EXPECT_GT(first, 10);
    EXPECT_GT(second, 10);
}

TEST_F(TextLayout, JustifiedLinesButTheLastEndAtTheRightEdge)
{
    attributes.format = TextFormatParagraph;
    attributes.align = TextAlignJustify;
    const std::string text = "lll lll ll lll l lll ll lll lll l ll lll l llll ll lll l ll lll llll l ll lll";
    const int32_t width = 70;
    uint32_t count = 0;
    LayoutText(text.c_str(), attributes, width, count);
    std::vector<nTextLine> lines(count);
    const nTextLine* laid = LayoutText(text.c_str(), attributes, width, count);
    std::copy(laid, laid + count, lines.begin());
    ASSERT_GE(count, 3u);
    nPicture picture;
    ASSERT_TRUE(picture.Allocate(120, 200, PixelFormatBGRA8));
    picture.Fill(0.0f, 0.0f, 0.0f, 0.0f);
    RenderTextToPicture(picture, text.c_str(), attributes, nRect{0, 0, width, 200}, nRect{0, 0, 120, 200});
    // What "l" leaves free right of its coverage.
    fonts.font->SetPixelSize(16);
    const nGlyphMetrics* l = fonts.font->GetGlyphMetrics('l');
    const nGlyphBitmap* bitmap = fonts.font->GetGlyphBitmap(l->index);
    const int32_t gap = (l->advance >> 6) - (bitmap->left + int32_t(bitmap->width));
    int32_t top = 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        const int32_t bottom = top + (lines[i].height >> 6);
        const int32_t right = RightmostCoveredColumn(picture, top, bottom) + 1 + gap;
        if (i + 1 < count)
            EXPECT_NEAR(right, width, 1) << "line " << i;
        else
            EXPECT_LT(right, width - 5);
        top = bottom;
    }
}

TEST_F(TextLayout, TrackingHeadingAndTheBaseline)
{
    const nRect rect{0, 0, 1000, 1000};
    const nRect plain = ComputeTextRect("abc", attributes, rect);
    attributes.tracking = 4; // 4 x 16 / 64: one pixel per glyph
    EXPECT_EQ(ComputeTextRect("abc", attributes, rect).Width(), plain.Width() + 3);
    attributes.tracking = 0;
    const nRect two = ComputeTextRect("ab\ncd", attributes, rect);
    attributes.heading = 4; // one pixel per line
    EXPECT_EQ(ComputeTextRect("ab\ncd", attributes, rect).Height(), two.Height() + 2);
    attributes.heading = 0;

    nPicture picture;
    Render(picture, "x", 64);
    const int32_t lineHeight = ComputeTextRect("x", attributes, rect).Height();
    const int32_t lowest = LowestCoveredRow(picture);
    EXPECT_NEAR(lineHeight - (lowest + 1), lineHeight / 4, 1);
}

TEST_F(TextLayout, DrawingKeepsInsideTheClipAndThePicture)
{
    nPicture picture;
    ASSERT_TRUE(picture.Allocate(40, 40, PixelFormatBGRA8));
    picture.Fill(0.0f, 0.0f, 0.0f, 0.0f);
    attributes.size = 64;
    const nRect drawn = RenderTextToPicture(picture, "WWW", attributes, nRect{-20, -20, 500, 500},
                                            nRect{-100, -100, 1000, 1000});
    EXPECT_GT(drawn.Width(), 40);
    picture.Fill(0.0f, 0.0f, 0.0f, 0.0f);
    RenderTextToPicture(picture, "WWW", attributes, nRect{0, 0, 500, 500}, nRect{10, 10, 20, 20});
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 40; ++x)
            if (x < 10 || x >= 20 || y < 10 || y >= 20)
            {
                ASSERT_EQ(Pixel(picture, x, y), 0u) << x << "," << y;
            }

    nPicture grey;
    ASSERT_TRUE(grey.Allocate(8, 8, PixelFormatBGR8));
    EXPECT_TRUE(RenderTextToPicture(grey, "a", attributes, nRect{0, 0, 8, 8}, nRect{0, 0, 8, 8}).IsEmpty());
    attributes.font = nullptr;
    EXPECT_TRUE(
        RenderTextToPicture(picture, "a", attributes, nRect{0, 0, 8, 8}, nRect{0, 0, 8, 8}).IsEmpty());
    EXPECT_TRUE(ComputeTextRect("a", attributes, nRect{0, 0, 8, 8}).IsEmpty());
}

// Script tables reach the record through the same reader as the natives.
TEST_F(TextLayout, AScriptTableSetsTheAttributesItNames)
{
    HSQUIRRELVM vm = sq_open(1024);
    const auto table = [vm](const char* source)
    {
        const std::string text = std::string("return ") + source;
        EXPECT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(vm, text.c_str(), SQInteger(text.size()), "t", SQFalse)));
        sq_pushroottable(vm);
        EXPECT_TRUE(SQ_SUCCEEDED(sq_call(vm, 1, SQTrue, SQFalse)));
        SquirrelObject result(vm);
        result.AttachToStackObject(-1);
        sq_pop(vm, 2);
        return result;
    };
    nTextAttributes parsed;
    ASSERT_TRUE(
        ParseTextAttributes(table("{size=20, color=0xFF0000FF, align=\"justify\", format=\"paragraph\", "
                                  "tracking=3, heading=5}"),
                            parsed));
    EXPECT_EQ(parsed.size, 20);
    EXPECT_EQ(parsed.color[0], 255);
    EXPECT_EQ(parsed.color[1], 0);
    EXPECT_EQ(parsed.color[2], 0);
    EXPECT_EQ(parsed.color[3], 255);
    EXPECT_EQ(parsed.align, TextAlignJustify);
    EXPECT_EQ(parsed.format, TextFormatParagraph);
    EXPECT_EQ(parsed.tracking, 3);
    EXPECT_EQ(parsed.heading, 5);

    ASSERT_TRUE(
        ParseTextAttributes(table("{align=\"diagonal\", format=\"wavy\", weight=1, size=12}"), parsed));
    EXPECT_NE(log.text.find("[*] unknown text alignment command 'diagonal'."), std::string::npos);
    EXPECT_NE(log.text.find("[*] unknown text format command 'wavy'."), std::string::npos);
    EXPECT_NE(log.text.find("[*] unknown text attribute 'weight'."), std::string::npos);
    EXPECT_EQ(parsed.align, TextAlignJustify);
    EXPECT_EQ(parsed.format, TextFormatParagraph);
    EXPECT_EQ(parsed.size, 12);
    EXPECT_FALSE(ParseTextAttributes(table("[1, 2]"), parsed));
    sq_close(vm);
}

} // namespace
