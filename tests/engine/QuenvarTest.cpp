#include "engine/CapturedLog.h"
#include "engine/Quenvar.h"
#include "render/nCoreEventData.h"

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
    EXPECT_NE(log.text.find("    sizeof(void *) = " + std::to_string(sizeof(void*)) + "\n"), std::string::npos);
    EXPECT_NE(log.text.find("Core memory layout:\n\n"), std::string::npos);
    EXPECT_NE(log.text.find("    sizeof(Quenvar) = " + std::to_string(sizeof(Quenvar)) + "\n"), std::string::npos);
    EXPECT_NE(log.text.find("\nCompiled with 6 logical texture stage(s), 3 UV set(s).\n\n"), std::string::npos);

    log.text.clear();
    Quenvar::WriteLayoutReport(false);
    EXPECT_EQ(log.text.find("Core memory layout"), std::string::npos);
}
