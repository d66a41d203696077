#pragma once

#include "audio/nSMixMixer.h"
#include "audio/nSound.h"
#include "support/StubEngineServices.h"

#include <cstring>
#include <memory>
#include <vector>

// A software mixer current in a stub engine, with sounds made from given 16-bit samples.
struct SMixFixture
{
    explicit SMixFixture(std::unique_ptr<nWaveOut> device = nullptr) : mixer(&engine, std::move(device))
    {
        engine.mixer = &mixer;
    }

    nSound* MakeSound(const std::vector<int16_t>& samples, uint32_t channels = 1, uint32_t rate = 48000)
    {
        nSampleFormat format;
        format.channels = channels;
        format.rate = rate;
        auto sound = std::make_unique<nSound>(&engine);
        sound->SetName("tone");
        uint8_t* buffer = sound->Alloc(uint32_t(samples.size() / channels), format);
        std::memcpy(buffer, samples.data(), samples.size() * sizeof(int16_t));
        sound->Setup();
        sounds.push_back(std::move(sound));
        return sounds.back().get();
    }

    // Interleaved left/right samples of the next frames.
    std::vector<int16_t> Mix(uint32_t frames)
    {
        std::vector<int16_t> out(frames * 2);
        mixer.MixChannels(reinterpret_cast<uint8_t*>(out.data()), frames * 4);
        return out;
    }

    StubEngineServices engine;
    nSMixMixer mixer;
    std::vector<std::unique_ptr<nSound>> sounds;
};
