#include "core/math/nRandom.h"
#include "engine/Quenvar.h"
#include "render/nCoreEventData.h"
#include "support/CapturedLog.h"
#include "support/RecordingRenderer.h"

#include <gtest/gtest.h>

#include <string>

TEST(Quenvar, StartsWithItsOwnRendererMixerCacheAndSink)
{
    Quenvar engine;
    EXPECT_EQ(engine.GetRenderer(), &engine.GetNullRenderer());
    EXPECT_EQ(engine.GetMixer(), &engine.GetNullMixer());
    EXPECT_EQ(engine.GetResourceCache(), engine.GetDefaultResourceCache());
    EXPECT_NE(engine.GetEventSink(), nullptr);
    EXPECT_STREQ(Quenvar::GetVersion(), "1.2.2");
    EXPECT_EQ(engine.GetMode(), Quenvar::ModeNormal);
    EXPECT_TRUE(engine.GetSetupOnLoad());
    EXPECT_EQ(engine.GetFixedStep(), -1);
    EXPECT_EQ(engine.GetClockScaleRaw(), 1000);

    nNullRenderer other(&engine);
    engine.SetRenderer(&other);
    EXPECT_EQ(engine.GetRenderer(), &other);
    engine.SetRenderer(nullptr);
    EXPECT_EQ(engine.GetRenderer(), &engine.GetNullRenderer());
    nNullMixer otherMixer(&engine);
    engine.SetMixer(&otherMixer);
    EXPECT_EQ(engine.GetMixer(), &otherMixer);
    engine.SetMixer(nullptr);
    EXPECT_EQ(engine.GetMixer(), &engine.GetNullMixer());
}

TEST(Quenvar, LayoutReportListsThisBuildsSizes)
{
    CapturedLog log;
    Quenvar::WriteLayoutReport(true);
    EXPECT_EQ(log.text.rfind("Machine memory layout:\n\n    sizeof(bool) = 1\n", 0), 0u);
    EXPECT_NE(log.text.find("    sizeof(void *) = " + std::to_string(sizeof(void*)) + "\n"),
              std::string::npos);
    EXPECT_NE(log.text.find("Core memory layout:\n\n"), std::string::npos);
    EXPECT_NE(log.text.find("    sizeof(Quenvar) = " + std::to_string(sizeof(Quenvar)) + "\n"),
              std::string::npos);
    EXPECT_NE(log.text.find("\nCompiled with 6 logical texture stage(s), 3 UV set(s).\n\n"),
              std::string::npos);

    log.text.clear();
    Quenvar::WriteLayoutReport(false);
    EXPECT_EQ(log.text.find("Core memory layout"), std::string::npos);
}

TEST(Quenvar, SeedsTheRandomGeneratorWith77)
{
    RandomSeed(77);
    const float expected[3] = {RandomFloat(1.0f), RandomFloat(1.0f), RandomFloat(1.0f)};
    RandomSeed(1);
    Quenvar engine;
    for (float value : expected)
        EXPECT_FLOAT_EQ(RandomFloat(1.0f), value);
}

TEST(Quenvar, ProfileShowsTheRendererAndTheCurrentCache)
{
    Quenvar engine;
    RecordingRenderer renderer(&engine);
    engine.SetRenderer(&renderer);
    nFontPair fonts;
    fonts.regular = reinterpret_cast<nRasterFont*>(1);
    fonts.bold = reinterpret_cast<nRasterFont*>(2);
    float x = 0.0f, y = 0.0f;
    engine.DrawProfile(fonts, x, y);
    std::string text;
    for (const RecordingRenderer::Text& piece : renderer.texts)
        text += piece.text;
    EXPECT_EQ(text, "Perf. = 0.00 fps (0.00 ms)\n\n"
                    "A null renderer that renders nothing.\n"
                    "Running on \n\n"
                    "Resources:\n\n"
                    "Texture cache = 0 GPU, 0 CPU\n"
                    "Geometry cache = 0 GPU, 0 CPU\n"
                    "Sound cache = 0\n\n");
    ASSERT_EQ(renderer.texts.size(), 7u);
    EXPECT_EQ(renderer.texts[0].font, fonts.bold);
    EXPECT_EQ(renderer.texts[3].font, fonts.bold);
    EXPECT_EQ(renderer.texts[1].font, fonts.regular);
    EXPECT_FLOAT_EQ(renderer.texts[1].colour->r, 0.8f);
    EXPECT_FALSE(renderer.texts[2].colour.has_value());
    engine.SetRenderer(nullptr);
}
