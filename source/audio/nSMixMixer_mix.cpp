#include "audio/nSMixMixer.h"

#include "audio/nSound.h"
#include "core/base/nLog.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace
{
// Gains beyond this only clip; the bound keeps 64 voices' sums inside 32 bits.
constexpr float VolumeLimit = 65536.0f;
// Pitch x 256 beyond this only skips whole sounds.
constexpr float StepLimit = 16777216.0f;

int64_t ToVolume(float value)
{
    if (!(value > -VolumeLimit))
        return value < 0.0f ? -int64_t(VolumeLimit) : 0;
    return int64_t(std::min(value, VolumeLimit));
}

// A full-scale interpolated sample is at most 32768 x 127; times a volume up to this it still fits
// 32 bits, so the usual gains (up to about 1.01) mix in 32-bit products.
constexpr int64_t NarrowVolumeLimit = 516;

struct VoiceMix
{
    const int16_t* pcm;
    int64_t frames;
    bool loops;
    int64_t left;
    int64_t right;
    int64_t step;
};

// Adds one output frame: frame i of the sound blended with its partner by the weight f (0..127).
template <int Channels, typename Product>
void MixFrame(const int16_t* pcm, int64_t i, int64_t next, int32_t f, Product left, Product right,
              int32_t* out)
{
    if constexpr (Channels == 1)
    {
        const Product s = pcm[next] * f + pcm[i] * (127 - f);
        out[0] += int32_t((s * left) >> 15);
        out[1] += int32_t((s * right) >> 15);
    }
    else
    {
        const Product l = pcm[2 * next] * f + pcm[2 * i] * (127 - f);
        const Product r = pcm[2 * next + 1] * f + pcm[2 * i + 1] * (127 - f);
        out[0] += int32_t((l * left) >> 15);
        out[1] += int32_t((r * right) >> 15);
    }
}

// Frames whose partner is the next frame of the buffer: no end can come inside the run.
template <int Channels, typename Product>
int64_t MixRun(const VoiceMix& mix, int64_t position, int32_t* sums, uint32_t count)
{
    const int16_t* pcm = mix.pcm;
    const int64_t step = mix.step;
    const Product left = Product(mix.left);
    const Product right = Product(mix.right);
    for (uint32_t n = 0; n < count; ++n, position += step)
    {
        const int64_t i = position >> 8;
        MixFrame<Channels, Product>(pcm, i, i + 1, int32_t(position & 255) >> 1, left, right, sums + 2 * n);
    }
    return position;
}

#if defined(__SSE2__)
using Lanes = int32_t __attribute__((vector_size(16)));

// The 32-bit products of four lanes (the narrow volumes keep them inside 32 bits): one instruction
// where the processor has SSE4.1, a few where it has only SSE2 (see MixNarrowMono and -Stereo).
__m128i MultiplyLanes(__m128i a, __m128i b)
{
    return __m128i(Lanes(a) * Lanes(b));
}

// The blend weights of one frame as two 16-bit lanes: the frame's own, then its partner's.
uint32_t BlendWeights(int64_t position)
{
    const uint32_t f = uint32_t(position & 255) >> 1;
    return (127 - f) | (f << 16);
}

// Adds (sample x volume) >> 15 for four lanes of 32-bit sums, left and right volumes alternating.
void AddScaled(int32_t* out, __m128i samples, __m128i volumes)
{
    const __m128i scaled = _mm_srai_epi32(MultiplyLanes(samples, volumes), 15);
    const __m128i sums = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_add_epi32(sums, scaled));
}

// MixRun in 32-bit products, several frames a step: each frame's sample pair and its partner's
// pair go through one multiply-add of 16-bit lanes against the blend weights, which gives the
// same sums as MixFrame. The frames a step leaves over are mixed one by one.
template <int Channels>
[[gnu::always_inline]] inline int64_t MixNarrowRun(const VoiceMix& mix, int64_t position, int32_t* sums,
                                                   uint32_t count)
{
    const int16_t* pcm = mix.pcm;
    const int64_t step = mix.step;
    const int32_t left = int32_t(mix.left);
    const int32_t right = int32_t(mix.right);
    const __m128i volumes = _mm_setr_epi32(left, right, left, right);
    constexpr uint32_t FramesPerStep = Channels == 1 ? 4 : 2;
    uint32_t n = 0;
    for (; n + FramesPerStep <= count; n += FramesPerStep)
    {
        if constexpr (Channels == 1)
        {
            uint32_t pairs[4];
            uint32_t weights[4];
            for (int k = 0; k < 4; ++k, position += step)
            {
                std::memcpy(&pairs[k], pcm + (position >> 8), sizeof(uint32_t));
                weights[k] = BlendWeights(position);
            }
            const __m128i blended =
                _mm_madd_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pairs)),
                               _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights)));
            AddScaled(sums + 2 * n, _mm_shuffle_epi32(blended, _MM_SHUFFLE(1, 1, 0, 0)), volumes);
            AddScaled(sums + 2 * n + 4, _mm_shuffle_epi32(blended, _MM_SHUFFLE(3, 3, 2, 2)), volumes);
        }
        else
        {
            // A frame and its partner as left, left', right, right'.
            __m128i frames[2];
            uint32_t weights[4];
            for (int k = 0; k < 2; ++k, position += step)
            {
                const __m128i quad =
                    _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pcm + 2 * (position >> 8)));
                frames[k] = _mm_shufflelo_epi16(quad, _MM_SHUFFLE(3, 1, 2, 0));
                weights[2 * k] = weights[2 * k + 1] = BlendWeights(position);
            }
            const __m128i blended =
                _mm_madd_epi16(_mm_unpacklo_epi64(frames[0], frames[1]),
                               _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights)));
            AddScaled(sums + 2 * n, blended, volumes);
        }
    }
    return MixRun<Channels, int32_t>(mix, position, sums + 2 * n, count - n);
}

// Each compiled twice, the processor choosing when the program loads: the SSE4.1 copy multiplies
// four lanes in one instruction.
__attribute__((target_clones("sse4.1", "default"))) int64_t
MixNarrowMono(const VoiceMix& mix, int64_t position, int32_t* sums, uint32_t count)
{
    return MixNarrowRun<1>(mix, position, sums, count);
}

__attribute__((target_clones("sse4.1", "default"))) int64_t
MixNarrowStereo(const VoiceMix& mix, int64_t position, int32_t* sums, uint32_t count)
{
    return MixNarrowRun<2>(mix, position, sums, count);
}
#endif

// Mixes until the frames are done or the voice stops; the partner of the last frame is the
// first when looping, else the last frame itself, so nothing past the buffer is read.
template <int Channels>
void MixFrames(nSMixMixer& mixer, int32_t channel, int64_t& position, const int32_t& state,
               const VoiceMix& mix, int32_t* sums, uint32_t frames)
{
    const int64_t lastFrameStart = (mix.frames - 1) * 256;
    const bool narrow = std::abs(mix.left) <= NarrowVolumeLimit && std::abs(mix.right) <= NarrowVolumeLimit;
    uint32_t n = 0;
    while (n < frames && state == ChannelStatePlaying)
    {
        if (position < lastFrameStart)
        {
            uint32_t count = frames - n;
            if (mix.step > 0)
                count =
                    uint32_t(std::min<int64_t>(count, (lastFrameStart - position + mix.step - 1) / mix.step));
#if defined(__SSE2__)
            if (!narrow)
                position = MixRun<Channels, int64_t>(mix, position, sums + 2 * n, count);
            else if constexpr (Channels == 1)
                position = MixNarrowMono(mix, position, sums + 2 * n, count);
            else
                position = MixNarrowStereo(mix, position, sums + 2 * n, count);
#else
            position = narrow ? MixRun<Channels, int32_t>(mix, position, sums + 2 * n, count)
                              : MixRun<Channels, int64_t>(mix, position, sums + 2 * n, count);
#endif
            n += count;
        }
        else
        {
            const int64_t i = position >> 8;
            MixFrame<Channels, int64_t>(mix.pcm, i, mix.loops ? 0 : i, int32_t(position & 255) >> 1, mix.left,
                                        mix.right, sums + 2 * n);
            position += mix.step;
            ++n;
        }
        if ((position >> 8) >= mix.frames)
            mixer.AdvanceVoice(channel);
    }
}

void StoreSample(uint8_t* destination, int32_t value)
{
    const int32_t clipped = std::clamp(value, -32768, 32767);
    destination[0] = uint8_t(clipped & 0xFF);
    destination[1] = uint8_t((clipped >> 8) & 0xFF);
}
} // namespace

uint32_t nSMixMixer::GetVoiceStep(float pitch, uint32_t rate)
{
    const float scaled = pitch * 256.0f;
    if (!(scaled >= 1.0f))
        return 0;
    return uint32_t(uint64_t(std::min(scaled, StepLimit)) * rate / OutputRate);
}

void nSMixMixer::MixChannels(uint8_t* destination, uint32_t bytes)
{
    const uint32_t pieceFrames = BufferSize / BytesPerFrame;
    uint32_t frames = bytes / BytesPerFrame;
    while (frames > 0)
    {
        const uint32_t count = std::min(frames, pieceFrames);
        MixPiece(destination, count);
        destination += count * BytesPerFrame;
        frames -= count;
    }
}

void nSMixMixer::MixPiece(uint8_t* destination, uint32_t frames)
{
    std::memset(m_sums, 0, frames * 2 * sizeof(int32_t));
    for (int32_t channel = 0; channel < ChannelCount; ++channel)
        MixVoice(channel, m_sums, frames);
    for (uint32_t index = 0; index < frames * 2; ++index)
        StoreSample(destination + 2 * index, m_sums[index]);
}

void nSMixMixer::MixVoice(int32_t channel, int32_t* sums, uint32_t frames)
{
    const nMixerChannel& record = m_channels[channel];
    Voice& voice = m_voices[channel];
    const nSound* sound = record.sound;
    if (!sound || voice.state != ChannelStatePlaying || !IsPlayable(sound))
        return;
    const int64_t volume = ToVolume(m_masterGain * record.gain * 510.0f);
    const float panning = std::isnan(record.panning) ? 0.5f : std::clamp(record.panning, 0.0f, 1.0f);
    VoiceMix mix;
    mix.pcm = reinterpret_cast<const int16_t*>(sound->GetBuffer());
    mix.frames = sound->GetFrameCount();
    mix.loops = record.loopMode == LoopRepeat;
    mix.left = int64_t((1.0f - panning) * float(volume));
    mix.right = int64_t(panning * float(volume));
    mix.step = GetVoiceStep(record.pitch, sound->GetFormat().rate);
    if (sound->GetFormat().channels == 1)
        MixFrames<1>(*this, channel, voice.position, voice.state, mix, sums, frames);
    else
        MixFrames<2>(*this, channel, voice.position, voice.state, mix, sums, frames);
}

void nSMixMixer::AdvanceVoice(int32_t channel)
{
    if (!IsValidChannel(channel))
        return;
    nMixerChannel& record = m_channels[channel];
    Voice& voice = m_voices[channel];
    const int64_t end = record.sound ? int64_t(record.sound->GetFrameCount()) * 256 : 0;
    if (voice.position < end)
        return;
    if (record.loopMode == LoopRepeat && end > 0)
    {
        voice.position %= end;
        return;
    }
    if (record.loopMode != LoopNone)
        nLogHolder::Get() << "[*] Unimplemented SMix channel loop mode (" << record.loopMode << ").\n";
    record.sound = nullptr;
    voice.state = ChannelStateStopped;
}
