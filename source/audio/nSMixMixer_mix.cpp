#include "audio/nSMixMixer.h"

#include "audio/nSound.h"
#include "core/base/nLog.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

struct VoiceMix
{
    const int16_t* pcm;
    int64_t frames;
    bool loops;
    int64_t left;
    int64_t right;
    int64_t step;
};

// Mixes until the frames are done or the voice stops; the partner of the last frame is the
// first when looping, else the last frame itself, so nothing past the buffer is read.
template <int Channels>
void MixFrames(nSMixMixer& mixer, int32_t channel, int64_t& position, const int32_t& state,
               const VoiceMix& mix, int32_t* sums, uint32_t frames)
{
    for (uint32_t n = 0; n < frames && state == ChannelStatePlaying; ++n)
    {
        const int64_t i = position >> 8;
        const int64_t next = i + 1 < mix.frames ? i + 1 : (mix.loops ? 0 : i);
        const int64_t f = (position & 255) >> 1;
        if constexpr (Channels == 1)
        {
            const int64_t s = mix.pcm[next] * f + mix.pcm[i] * (127 - f);
            sums[2 * n] += int32_t((s * mix.left) >> 15);
            sums[2 * n + 1] += int32_t((s * mix.right) >> 15);
        }
        else
        {
            const int64_t l = mix.pcm[2 * next] * f + mix.pcm[2 * i] * (127 - f);
            const int64_t r = mix.pcm[2 * next + 1] * f + mix.pcm[2 * i + 1] * (127 - f);
            sums[2 * n] += int32_t((l * mix.left) >> 15);
            sums[2 * n + 1] += int32_t((r * mix.right) >> 15);
        }
        position += mix.step;
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
