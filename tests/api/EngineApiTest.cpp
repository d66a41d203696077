#include "ScriptApiFixture.h"

#include "audio/WavFile.h"
#include "engine/Quenvar.h"
#include "platform/nstring/nString.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"
#include "support/TemporaryFiles.h"

#include <string>

namespace
{
class EngineApiTest : public ScriptApiFixture
{
protected:
    void SetUp() override
    {
        ScriptApiFixture::SetUp();
        files.Write("tone.wav",
                    WavFile().Format(1, 1, 8000, 8).Chunk("data", std::string(8000, '\x80')).Build());
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
        machine.SetSlot("g_engine", nScriptValue(ObjectTypeEngine, &engine), nullptr);
        machine.SetSlot("g_mixer", nScriptValue(ObjectTypeMixer, engine.GetMixer()), nullptr);
    }
    bool IsCached(const char* path) const { return engine.GetResourceCache()->FindSound(nString(path)); }

    // The one sound there is, "tone.wav": a second of silence.
    TemporaryFiles files;
    Quenvar engine;
};
} // namespace

TEST_F(EngineApiTest, NativesReachTheEngine)
{
    Quenvar reference;
    reference.SetFixedDeltaFrame(0.02f);
    EXPECT_EQ(Evaluate("EngineSetFixedDeltaFrame(g_engine, 0.02); print(\"set\")"), "set");
    EXPECT_EQ(engine.GetFixedStep(), reference.GetFixedStep());
    EXPECT_GT(engine.GetFixedStep(), 0);
    EXPECT_EQ(Evaluate("EngineSetFixedDeltaFrame(g_engine, -1); print(\"off\")"), "off");
    EXPECT_EQ(engine.GetFixedStep(), -1);

    // A sound the engine has starts on the engine's mixer; one it cannot load is a null handle.
    EXPECT_EQ(
        Evaluate("print(MixerSoundStart(EngineGetMixer(g_engine), EngineLoadSound(g_engine, \"tone.wav\")))"),
        "0");
    EXPECT_EQ(
        Evaluate("print(MixerSoundStart(EngineGetMixer(g_engine), EngineLoadSound(g_engine, \"no.wav\")))"),
        "-1");
    EXPECT_TRUE(IsCached("tone.wav"));
    EXPECT_FALSE(IsCached("no.wav"));
}

TEST_F(EngineApiTest, OtherHandlesAreRefused)
{
    for (const char* script : {"EngineLoadSound(g_mixer, \"tone.wav\")", "EngineGetMixer(g_mixer)",
                               "EngineSetFixedDeltaFrame(g_mixer, 0.5)"})
        EXPECT_EQ(EvaluateWithGlobals(script), "error: Expected 'Engine' got 'Mixer'") << script;
    EXPECT_FALSE(IsCached("tone.wav"));
    EXPECT_EQ(engine.GetFixedStep(), -1);
}
