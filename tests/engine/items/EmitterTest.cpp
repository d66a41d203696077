#include "core/math/nCurvePoint.h"
#include "core/math/nRandom.h"
#include "engine/Quenvar.h"
#include "engine/items/BlockFixture.h"
#include "engine/items/nCamera.h"
#include "engine/items/nEmitter.h"
#include "support/CapturedLog.h"
#include "support/TemporaryFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr float FrameTime = 0.01f;

// An emitter in front of the default camera (at the origin, looking along +z) with a model whose
// particles live ten seconds, seeded so that every run draws the same numbers.
class Emitter : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RandomSeed(77);
        model = new nParticleModel(nullptr);
        model->timeToLive = 10.0f;
        emitter.SetParticleModel(model.Get());
        emitter.SetPosition(nVector(0, 0, 5));
        camera.SetAspectRatio(1.0f);
        camera.ComputeViewFrustum();
    }

    bool Start(int32_t poolSize, float rate)
    {
        emitter.SetPoolSize(poolSize);
        emitter.SetBirthRate(rate);
        return emitter.AllocatePool();
    }

    // Queues the emitter, as a frame's draw does, then steps it.
    size_t Frame(bool cull = true)
    {
        nAutoList<nRenderablePrimitive*> list;
        emitter.Render(&camera, nullptr, &list, 0, cull);
        emitter.Update(FrameTime);
        return list.GetCount();
    }

    // A step as if the emitter had been drawn, whatever the camera sees.
    void Step(float dt)
    {
        emitter.Render(nullptr, nullptr, nullptr, 0, false);
        emitter.Update(dt);
    }

    const nParticle& Particle(uint32_t index) const { return *emitter.GetPool().At(index); }

    nSharedPtr<nParticleModel> model;
    nEmitter emitter{nullptr};
    nCamera camera{nullptr};
};

TEST_F(Emitter, OneBirthAFrameOnceAParticleIsOwed)
{
    ASSERT_TRUE(Start(500, 100.0f));
    Frame();
    EXPECT_EQ(emitter.GetLiveCount(), 0u); // exactly one owed is not above 1
    for (uint32_t frame = 2; frame <= 20; ++frame)
    {
        Frame();
        EXPECT_EQ(emitter.GetLiveCount(), frame - 1);
    }
    EXPECT_NEAR(emitter.GetClock(), 20 * FrameTime, 1e-5f);
}

// A newborn is at most one frame old, so a particle lives its whole lifetime however long the
// births waited (a low rate) or the pool was full: past the first lifetime the emitter holds
// on average as many particles as are born in one lifetime (less the frame a newborn may have
// aged before it is counted), or its whole pool (less the frame a freed slot waits).
TEST_F(Emitter, LowRatesAndFullPoolsKeepEveryParticlesWholeLifetime)
{
    struct Case
    {
        int32_t poolSize;
        float rate;
        float lifetime;
        float expectedLive;
    };
    const float dt = 1.0f / 60.0f;
    for (const Case& run :
         {Case{500, 2.0f, 0.4f, 0.72f}, Case{500, 1.0f, 4.0f, 3.9f}, Case{1, 1000.0f, 0.3f, 0.95f}})
    {
        SCOPED_TRACE("pool " + std::to_string(run.poolSize) + ", rate " + std::to_string(run.rate));
        model->timeToLive = run.lifetime;
        ASSERT_TRUE(Start(run.poolSize, run.rate));
        const int settled = int((run.lifetime + 2.0f / run.rate) / dt);
        const int frames = settled + int(8.0f * std::max(run.lifetime, 1.0f / run.rate) / dt);
        double live = 0.0;
        for (int frame = 0; frame < frames; ++frame)
        {
            Step(dt);
            if (frame >= settled)
                live += emitter.GetLiveCount();
        }
        EXPECT_NEAR(live / (frames - settled), run.expectedLive, run.expectedLive * 0.1);
    }
}

TEST_F(Emitter, AnEmitterOutsideTheViewIsNeitherQueuedNorUpdated)
{
    ASSERT_TRUE(Start(10, 100.0f));
    emitter.SetPosition(nVector(0, 0, -5));
    emitter.Update(FrameTime); // the pool starts as if drawn
    EXPECT_EQ(Frame(), 0u);
    EXPECT_EQ(Frame(), 0u);
    EXPECT_NEAR(emitter.GetClock(), FrameTime, 1e-6f);
    EXPECT_EQ(Frame(false), 1u);
    EXPECT_NEAR(emitter.GetClock(), 2 * FrameTime, 1e-6f);
    emitter.SetPosition(nVector(0, 0, 5));
    EXPECT_EQ(Frame(), 1u);
    EXPECT_NEAR(emitter.GetClock(), 3 * FrameTime, 1e-6f);
    // Without a model there is no pool, and no pool means no particles.
    emitter.SetParticleModel(nullptr);
    EXPECT_FALSE(emitter.AllocatePool());
    Frame();
    EXPECT_EQ(emitter.GetLiveCount(), 0u);
}

TEST_F(Emitter, DampingHalvesTheSpeedEverySecond)
{
    model->damping = 0.5f;
    emitter.SetSprayAngle(0.0f);
    emitter.SetSpeed(1.0f, 1.0f);
    ASSERT_TRUE(Start(1, 100.0f));
    Frame(); // owed 1
    Frame(); // born, then one step of damping
    for (int frame = 1; frame < 100; ++frame)
        Frame();
    EXPECT_NEAR(Particle(0).velocity.Length(), 0.5f, 1e-3f);
}

TEST_F(Emitter, BirthScalesStayWithTheParticleAndAnEmptyCurveGivesItsDefault)
{
    emitter.SetBirthSizeScale(0.5f);
    emitter.SetBirthOpacityScale(0.5f);
    model->curves[nParticleModel::CurveOpacity].AddKnot(new nCurvePoint(0.0f, 0.8f));
    model->curves[nParticleModel::CurveOpacity].AddKnot(new nCurvePoint(20.0f, 0.8f));
    ASSERT_TRUE(Start(4, 100.0f));
    Frame();
    Frame();
    emitter.SetBirthSizeScale(1.0f);
    emitter.SetBirthOpacityScale(1.0f);
    Frame();
    Frame();
    EXPECT_FLOAT_EQ(Particle(0).size, 0.5f); // the size curve has no knot: 1
    EXPECT_FLOAT_EQ(Particle(0).opacity, 0.4f);
    EXPECT_FLOAT_EQ(Particle(1).size, 1.0f);
    EXPECT_FLOAT_EQ(Particle(1).opacity, 0.8f);
    EXPECT_FLOAT_EQ(Particle(1).red, 1.0f);
    EXPECT_FLOAT_EQ(Particle(1).angle, 0.0f);
}

TEST_F(Emitter, BirthsLeaveFromTheEmitterInsideTheSprayCone)
{
    emitter.SetPosition(nVector(1, 2, 3));
    emitter.SetRotation(nVector(0.0f, 1.5707964f, 0.0f)); // its z axis along world +x
    emitter.SetSpeed(2.0f, 3.0f);
    emitter.SetBirthSpeedScale(2.0f);
    emitter.SetSprayAngle(0.0f);
    ASSERT_TRUE(Start(50, 1000.0f));
    Step(0.001f);
    Step(0.001f); // born, then moved for one step
    const nParticle& straight = Particle(0);
    const nVector velocity = straight.velocity;
    EXPECT_NEAR(velocity.y, 0.0f, 1e-4f);
    EXPECT_NEAR(velocity.z, 0.0f, 1e-4f);
    EXPECT_GE(velocity.x, 4.0f);
    EXPECT_LE(velocity.x, 6.0f);
    EXPECT_NEAR(straight.position.x, 1.0f + velocity.x * 0.001f, 1e-4f);
    EXPECT_NEAR(straight.position.y, 2.0f, 1e-5f);

    // Within the angle of the emitter's z axis, whichever way round it.
    const float angle = 0.3f;
    emitter.SetSprayAngle(angle);
    ASSERT_TRUE(emitter.AllocatePool());
    for (int frame = 0; frame < 5; ++frame)
        Step(0.01f);
    ASSERT_GE(emitter.GetLiveCount(), 40u);
    float widest = 0.0f;
    for (uint32_t index = 0; index < emitter.GetLiveCount(); ++index)
    {
        const nVector direction = Particle(index).velocity.Normalized();
        widest = std::max(widest, std::acos(std::min(direction.x, 1.0f)));
    }
    EXPECT_LE(widest, angle + 1e-3f);
    EXPECT_GT(widest, angle * 0.5f);

    emitter.SetType(1);
    ASSERT_TRUE(emitter.AllocatePool());
    Step(0.001f);
    Step(0.001f);
    EXPECT_FLOAT_EQ(Particle(0).velocity.Length(), 0.0f);
}

TEST_F(Emitter, PoolSizesOutsideTheRangeAreRefused)
{
    CapturedLog log;
    for (int32_t size : {0, -1, nEmitter::MaxPoolSize + 1})
    {
        EXPECT_FALSE(Start(size, 10.0f));
        EXPECT_FALSE(emitter.HasPool());
        EXPECT_NE(log.text.find("[!] Failed to allocate emitter particle pool (size " + std::to_string(size) +
                                ").\n"),
                  std::string::npos);
    }
    EXPECT_TRUE(Start(1000, 10.0f));
}

// The reader starts from its own defaults, which the writer leaves out.
TEST(EmitterBlock, ReadsBackWhatItWroteWithTheReadersDefaults)
{
    TemporaryFiles files;
    files.Write("fire.npm",
                "<NML=1.0>\n<ParticleModel=<TTL=1.5><Damping=0.25><Gravity=<X=0.0><Y=-2.0><Z=0.0>>>\n");
    CapturedLog log;
    Quenvar engine;
    nMetaFile file;
    nEmitter plain(&engine);
    std::unique_ptr<nMetaTag> defaults(plain.SerializeTag(file));
    ASSERT_TRUE(plain.ParseTag(file, *defaults));
    EXPECT_EQ(ChildNames(*defaults),
              (std::vector<std::string>{"Item", "SpeedMax", "BirthRate", "PoolSize", "SprayAngle"}));
    EXPECT_EQ(plain.GetPoolSize(), 500);
    std::unique_ptr<nMetaTag> read(plain.SerializeTag(file));
    EXPECT_EQ(ChildNames(*read),
              (std::vector<std::string>{"Item", "SpeedMax", "BirthRate", "PoolSize", "SprayAngle"}));

    nEmitter written(&engine), back(&engine);
    ASSERT_TRUE(
        written.ParseTag(file, *ParseBlock(file, "<Emitter=<SpeedMin=2.0><SpeedMax=3.0><BirthRate=1.0>"
                                                 "<PoolSize=100><SprayAngle=0.5><Type=\"Spray\">"
                                                 "<ParticleModel=\"fire.npm\">>")));
    ASSERT_TRUE(written.GetParticleModel());
    EXPECT_EQ(written.GetParticleModel()->name, "fire.npm");
    std::unique_ptr<nMetaTag> tag(written.SerializeTag(file));
    EXPECT_EQ(ChildNames(*tag),
              (std::vector<std::string>{"Item", "SpeedMin", "SpeedMax", "SprayAngle", "ParticleModel"}));
    ASSERT_TRUE(back.ParseTag(file, *tag));
    EXPECT_FLOAT_EQ(back.GetSpeedMin(), 2.0f);
    EXPECT_FLOAT_EQ(back.GetSpeedMax(), 3.0f);
    EXPECT_FLOAT_EQ(back.GetSprayAngle(), 0.5f);
    EXPECT_EQ(back.GetParticleModel(), written.GetParticleModel()); // one cached model

    // A model that does not load is written back by name.
    ASSERT_TRUE(back.ParseTag(file, *ParseBlock(file, "<Emitter=<ParticleModel=\"gone.npm\"><Colour=1>>")));
    EXPECT_FALSE(back.GetParticleModel());
    EXPECT_NE(log.text.find("[*] Unknown tag 'Colour' in <Emitter>.\n"), std::string::npos);
    std::unique_ptr<nMetaTag> kept(back.SerializeTag(file));
    nString name;
    ASSERT_TRUE(kept->GetTag("ParticleModel"));
    kept->GetTag("ParticleModel")->GetValue().GetString(name);
    EXPECT_EQ(name, "gone.npm");
    EXPECT_FALSE(back.ParseTag(file, *ParseBlock(file, "<Emiter=1>")));
    EXPECT_NE(log.text.find("[!] Could not parse emitter. Root tag id is incorrect (Emiter).\n"),
              std::string::npos);
    engine.FreeResourceCaches();
}

// Values under which no particle would live, or that would owe births without end, are warned
// about once each and the reader's default is kept.
TEST(EmitterBlock, ValuesThatWouldStopTheParticlesAreRefusedForTheDefault)
{
    struct Case
    {
        const char* block;
        const char* line;
        float (*read)(const char* block, nMetaFile& file);
        float expected;
    };
    auto emitterRate = [](const char* block, nMetaFile& file)
    {
        nEmitter emitter(nullptr);
        EXPECT_TRUE(emitter.ParseTag(file, *ParseBlock(file, block)));
        return emitter.GetBirthRate();
    };
    auto lifetime = [](const char* block, nMetaFile& file)
    {
        nParticleModel model(nullptr);
        EXPECT_TRUE(model.ParseTag(file, *ParseBlock(file, block)));
        return model.timeToLive;
    };
    auto damping = [](const char* block, nMetaFile& file)
    {
        nParticleModel model(nullptr);
        EXPECT_TRUE(model.ParseTag(file, *ParseBlock(file, block)));
        return model.damping;
    };
    const Case cases[] = {
        {"<Emitter=<BirthRate=-5.0>>", "[*] Tag 'BirthRate' in <Emitter> must not be below 0, ignored.\n",
         emitterRate, 1.0f},
        {"<Emitter=<BirthRate=0.0>>", "", emitterRate, 0.0f},
        {"<ParticleModel=<TTL=0.0>>", "[*] Tag 'TTL' in <ParticleModel> must be above 0, ignored.\n",
         lifetime, nParticleModel::DefaultTimeToLive},
        {"<ParticleModel=<TTL=-2.0>>", "[*] Tag 'TTL' in <ParticleModel> must be above 0, ignored.\n",
         lifetime, nParticleModel::DefaultTimeToLive},
        {"<ParticleModel=<Damping=-0.5>>",
         "[*] Tag 'Damping' in <ParticleModel> must not be below 0, ignored.\n", damping, 1.0f},
        {"<ParticleModel=<Damping=0.0>>", "", damping, 0.0f},
    };
    for (const Case& c : cases)
    {
        CapturedLog log;
        nMetaFile file;
        EXPECT_FLOAT_EQ(c.read(c.block, file), c.expected) << c.block;
        EXPECT_EQ(log.text, c.line) << c.block;
    }
}

TEST(ParticleModelBlock, ReadsBackWhatItWrote)
{
    CapturedLog log;
    nMetaFile file;
    nParticleModel written(nullptr), back(nullptr);
    written.timeToLive = 2.5f;
    written.damping = 0.75f;
    written.gravity = nVector(0, -9.8f, 0);
    written.AddColorKey(1.0f, 0.5f, 0.25f, 0.125f, 0.0f);
    written.material.glossiness = 0.9f;
    std::unique_ptr<nMetaTag> tag(written.SerializeTag(file));
    EXPECT_EQ(ChildNames(*tag),
              (std::vector<std::string>{"Material", "TTL", "Damping", "Gravity", "AngleCurve", "SizeCurve",
                                        "RedCurve", "GreenCurve", "BlueCurve", "OpacityCurve"}));
    ASSERT_TRUE(back.ParseTag(file, *tag));
    EXPECT_FLOAT_EQ(back.timeToLive, 2.5f);
    EXPECT_FLOAT_EQ(back.damping, 0.75f);
    EXPECT_FALSE(back.gravity.DiffersFrom(nVector(0, -9.8f, 0)));
    EXPECT_FLOAT_EQ(back.material.glossiness, 0.9f);
    EXPECT_TRUE(back.state & nParticleModel::StateChanged);
    float value = 0.0f;
    back.curves[nParticleModel::CurveGreen].Evaluate(1.0f, value, CurveConstant);
    EXPECT_FLOAT_EQ(value, 0.25f);
    back.curves[nParticleModel::CurveSize].Evaluate(1.0f, value, CurveConstant);
    EXPECT_FLOAT_EQ(value, 1.0f); // no knot: the size curve's default

    ASSERT_TRUE(back.ParseTag(file, *ParseBlock(file, "<ParticleModel=<SizeCurve=1><Spin=1.0>>")));
    EXPECT_NE(log.text.find("[*] Unknown tag 'SizeCurve' in <ParticleModel>.\n"), std::string::npos);
    EXPECT_NE(log.text.find("[*] Unknown tag 'Spin' in <ParticleModel>.\n"), std::string::npos);
    EXPECT_FALSE(back.ParseTag(file, *ParseBlock(file, "<Foo=1>")));
    EXPECT_NE(log.text.find("[!] Could not parse particle model. Root tag id is incorrect (Foo).\n"),
              std::string::npos);
}
} // namespace
