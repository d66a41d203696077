#include "ScriptApiFixture.h"

#include "audio/nNullMixer.h"
#include "audio/nSound.h"
#include "script/api/EngineScriptFace.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"

#include <string>
#include <vector>

namespace
{
// Knows one sound, "tone.wav"; remembers what it was asked.
class FakeEngine : public nEngineScriptFace
{
public:
    nMixer* GetMixer() const override { return const_cast<nNullMixer*>(&mixer); }
    void SetFixedDeltaFrame(float seconds) override { fixedDelta = seconds; }
    nSound* LoadSound(const char* path) override
    {
        paths.push_back(path);
        return paths.back() == "tone.wav" ? &sound : nullptr;
    }

    nNullMixer mixer{nullptr};
    nSound sound{nullptr};
    float fixedDelta = 0.0f;
    std::vector<std::string> paths;
};

class EngineApiTest : public ScriptApiFixture
{
protected:
    void SetUp() override
    {
        ScriptApiFixture::SetUp();
        SetGlobals();
    }
    // A case that raised an error stopped the machine: the next one gets a new machine.
    std::string EvaluateWithGlobals(const std::string& text)
    {
        if (machine.GetState() != ScriptVMRunning)
        {
            Reopen();
            SetGlobals();
        }
        return Evaluate(text);
    }
    void SetGlobals()
    {
        machine.SetSlot("g_engine", nScriptValue(ObjectTypeEngine, static_cast<nEngineScriptFace*>(&engine)),
                        nullptr);
        machine.SetSlot("g_mixer", nScriptValue(ObjectTypeMixer, &engine.mixer), nullptr);
    }
    FakeEngine engine;
};
} // namespace

TEST_F(EngineApiTest, NativesReachTheEngine)
{
    EXPECT_EQ(Evaluate("EngineSetFixedDeltaFrame(g_engine, 0.02); print(\"set\")"), "set");
    EXPECT_FLOAT_EQ(engine.fixedDelta, 0.02f);
    EXPECT_EQ(Evaluate("EngineSetFixedDeltaFrame(g_engine, -1); print(\"off\")"), "off");
    EXPECT_FLOAT_EQ(engine.fixedDelta, -1.0f);

    // A sound the engine has starts on the engine's mixer; one it cannot load is a null handle.
    EXPECT_EQ(
        Evaluate("print(MixerSoundStart(EngineGetMixer(g_engine), EngineLoadSound(g_engine, \"tone.wav\")))"),
        "0");
    EXPECT_EQ(
        Evaluate("print(MixerSoundStart(EngineGetMixer(g_engine), EngineLoadSound(g_engine, \"no.wav\")))"),
        "-1");
    EXPECT_EQ(engine.paths, (std::vector<std::string>{"tone.wav", "no.wav"}));
}

TEST_F(EngineApiTest, OtherHandlesAreRefused)
{
    for (const char* script : {"EngineLoadSound(g_mixer, \"tone.wav\")", "EngineGetMixer(g_mixer)",
                               "EngineSetFixedDeltaFrame(g_mixer, 0.5)"})
        EXPECT_EQ(EvaluateWithGlobals(script), "error: Expected 'Engine' got 'Mixer'") << script;
    EXPECT_TRUE(engine.paths.empty());
    EXPECT_EQ(engine.fixedDelta, 0.0f);
}
