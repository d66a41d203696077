#include "audio/nSMixMixer.h"
#include "audio/nSound.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace
{
std::unique_ptr<nSound> MakeTone(uint32_t channels, uint32_t frames, int seed)
{
    nSampleFormat format;
    format.channels = channels;
    format.rate = 44100;
    auto sound = std::make_unique<nSound>(nullptr);
    auto* pcm = reinterpret_cast<int16_t*>(sound->Alloc(frames, format));
    for (uint32_t index = 0; index < frames * channels; ++index)
        pcm[index] = int16_t(20000.0 * std::sin(0.01 * double(index) * double(seed + 1)));
    return sound;
}
} // namespace

// 32 looping voices (16 mono, 16 stereo, 44.1 kHz, pitch 0.5 to 2) mixed into 10 s of output.
static void SMixMixTenSeconds(benchmark::State& state)
{
    nSMixMixer mixer(nullptr, nullptr);
    std::vector<std::unique_ptr<nSound>> sounds;
    for (int voice = 0; voice < 32; ++voice)
    {
        sounds.push_back(MakeTone(voice < 16 ? 1 : 2, 30000 + uint32_t(voice) * 997, voice));
        mixer.ChannelSetLoopMode(voice, LoopRepeat);
        mixer.ChannelSetPitch(voice, 0.5f + 1.5f * float(voice) / 31.0f);
        mixer.ChannelSetGain(voice, 0.1f + 0.02f * float(voice));
        mixer.ChannelSetPanning(voice, float(voice % 8) / 7.0f);
        mixer.ChannelStart(voice, sounds.back().get());
    }
    std::vector<uint8_t> output(nSMixMixer::BufferSize);
    const uint32_t total = nSMixMixer::OutputRate * nSMixMixer::BytesPerFrame * 10;
    for (auto _ : state)
    {
        for (uint32_t done = 0; done < total; done += nSMixMixer::BufferSize)
            mixer.MixChannels(output.data(), std::min(nSMixMixer::BufferSize, total - done));
        benchmark::DoNotOptimize(output.data());
    }
}
BENCHMARK(SMixMixTenSeconds)->Unit(benchmark::kMillisecond);
