#pragma once

class nMixer;
class nSound;

// What the Engine natives may ask of the engine. The engine object implements it; the natives
// reach the engine only through it, so the script library needs no link to the engine. An
// "Engine" handle holds a pointer to this face.
class nEngineScriptFace
{
public:
    // Never null: the engine falls back on its own null mixer.
    virtual nMixer* GetMixer() const = 0;
    // Negative turns the fixed step off.
    virtual void SetFixedDeltaFrame(float seconds) = 0;
    // Through the current resource cache, which owns the sound; null after the loader's line.
    virtual nSound* LoadSound(const char* path) = 0;

protected:
    ~nEngineScriptFace() = default;
};
