#include "render/nStatisticValue.h"
#include "support/RecordingRenderer.h"
#include "support/StubEngineServices.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace
{
std::string AllText(const RecordingRenderer& renderer)
{
    std::string text;
    for (const RecordingRenderer::Text& piece : renderer.texts)
        text += piece.text;
    return text;
}
} // namespace

TEST(StatisticValue, FormatsCountsAndBytesBySteps)
{
    const std::tuple<float, int32_t, const char*> cases[] = {
        {999.0f, StatisticBytes, "999B"},
        {1000.0f, StatisticBytes, "1.0KB"},
        {1500000.0f, StatisticBytes, "1.5MB"},
        {999999.0f, StatisticCount, "1000.0K"},
        {999.7f, StatisticCount, "999"},
        {2500000.0f, StatisticCount, "2.5M"},
        {12.34f, 2, "12.3"},
        {1234.5f, 2, "1234.5"},
    };
    for (const auto& [value, mode, expected] : cases)
    {
        nString text;
        EXPECT_STREQ(FormatStatisticValue(text, value, mode).GetText(), expected)
            << value << " mode " << mode;
    }
}

TEST(RendererStatistics, WithoutPassesPrintsZeroAveragesAndFullEfficiency)
{
    StubEngineServices engine;
    RecordingRenderer renderer(&engine);
    float x = 0.0f, y = 0.0f;
    renderer.DrawStatistics({}, x, y);
    EXPECT_EQ(AllText(renderer), "Renderer\n\n"
                                 "Render queue = 0.00 ms\n"
                                 "Queue pass = 0\n"
                                 "Culling = 0.00 ms\n"
                                 "Light processed = 0\n"
                                 "Object drawn = 0 (pass avg. = 0)\n"
                                 "Triangle drawn = 0 (pass avg. = 0) (0 tri/s)\n"
                                 "List drawn = 0 (avg. tri/list = 0, efficiency = 1.00)\n\n");
}

TEST(RendererStatistics, AveragesPerPassAndPerList)
{
    StubEngineServices engine;
    engine.frameRate = 60.0f;
    engine.renderQueueTime = 1.5f;
    engine.cullingTime = 0.25f;
    nFontPair fonts;
    fonts.regular = reinterpret_cast<nRasterFont*>(1);
    fonts.bold = reinterpret_cast<nRasterFont*>(2);
    RecordingRenderer renderer(&engine);
    nRenderer::Statistics& statistics = renderer.GetStatistics();
    statistics.queuePasses = 2;
    statistics.lightsProcessed = 3;
    statistics.objectsDrawn = 5;
    statistics.listsDrawn = 4;
    statistics.trianglesDrawn = 30000;
    float x = 0.0f, y = 0.0f;
    renderer.DrawStatistics(fonts, x, y);
    EXPECT_EQ(AllText(renderer), "Renderer\n\n"
                                 "Render queue = 1.50 ms\n"
                                 "Queue pass = 2\n"
                                 "Culling = 0.25 ms\n"
                                 "Light processed = 3\n"
                                 "Object drawn = 5 (pass avg. = 2)\n"
                                 "Triangle drawn = 30.0K (pass avg. = 15.0K) (1.8M tri/s)\n"
                                 "List drawn = 4 (avg. tri/list = 7.5K, efficiency = 50.00)\n\n");
    ASSERT_EQ(renderer.texts.size(), 8u);
    EXPECT_EQ(renderer.texts[0].font, fonts.bold);
    ASSERT_TRUE(renderer.texts[0].colour.has_value());
    EXPECT_FLOAT_EQ(renderer.texts[0].colour->g, 0.9f);
    EXPECT_EQ(renderer.texts[1].font, fonts.regular);
    EXPECT_FALSE(renderer.texts[1].colour.has_value());
    EXPECT_FLOAT_EQ(y, 8 * 16.0f);

    renderer.ResetStatistics();
    EXPECT_EQ(renderer.GetStatistics().trianglesDrawn, 0u);
}

TEST(RendererStatistics, ListsWithoutPassesKeepFullEfficiency)
{
    StubEngineServices engine;
    RecordingRenderer renderer(&engine);
    renderer.GetStatistics().listsDrawn = 3;
    renderer.GetStatistics().trianglesDrawn = 9;
    float x = 0.0f, y = 0.0f;
    renderer.DrawStatistics({}, x, y);
    EXPECT_EQ(renderer.texts.back().text, "List drawn = 3 (avg. tri/list = 3, efficiency = 1.00)\n\n");
}
