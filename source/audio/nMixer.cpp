#include "audio/nMixer.h"

#include "core/base/nLog.h"

nMixer::nMixer(nEngineServices* engine) : m_engine(engine) {}

nMixer::~nMixer() = default;

void nMixer::ChannelStreamNoOp(int32_t) {}
void nMixer::Update() {}
void nMixer::NoOp21() {}
void nMixer::NoOp22() {}

nMixerChannel* nMixer::GetChannelRecord(int32_t channel)
{
    return IsValidChannel(channel) ? &m_channels[channel] : nullptr;
}

const nMixerChannel* nMixer::GetChannel(int32_t channel) const
{
    return IsValidChannel(channel) ? &m_channels[channel] : nullptr;
}

namespace
{
template <typename T> void SetChannelField(nMixerChannel* record, T nMixerChannel::*field, T value)
{
    if (record)
        record->*field = value;
}
} // namespace

void nMixer::ChannelSetPitch(int32_t channel, float pitch)
{
    SetChannelField(GetChannelRecord(channel), &nMixerChannel::pitch, pitch);
}

void nMixer::ChannelSetGain(int32_t channel, float gain)
{
    SetChannelField(GetChannelRecord(channel), &nMixerChannel::gain, gain);
}

void nMixer::ChannelSetPanning(int32_t channel, float panning)
{
    SetChannelField(GetChannelRecord(channel), &nMixerChannel::panning, panning);
}

void nMixer::ChannelSetLoopMode(int32_t channel, uint32_t mode)
{
    SetChannelField(GetChannelRecord(channel), &nMixerChannel::loopMode, mode);
}

void nMixer::ChannelSetLoopPosition(int32_t channel, uint32_t position)
{
    SetChannelField(GetChannelRecord(channel), &nMixerChannel::loopPosition, position);
}

int32_t nMixer::FindFreeChannel()
{
    for (int32_t channel = 0; channel < ChannelCount; ++channel)
        if (ChannelGetState(channel) == ChannelStateStopped)
            return channel;
    nLogHolder::Get() << "[!] All channels in use.\n";
    return -1;
}

int32_t nMixer::SoundStart(nSound* sound)
{
    const int32_t channel = FindFreeChannel();
    if (channel < 0 || !ChannelStart(channel, sound))
        return -1;
    return channel;
}

int32_t nMixer::StreamStart(const nSampleFormat&)
{
    FindFreeChannel();
    return -1;
}

bool nMixer::ChannelStartStream(int32_t, const nSampleFormat&)
{
    return false;
}

nSound* nMixer::ChannelGetSound(int32_t channel) const
{
    const nMixerChannel* record = GetChannel(channel);
    return record ? record->sound : nullptr;
}

void nMixer::ChannelStopAll()
{
    for (int32_t channel = 0; channel < ChannelCount; ++channel)
        ChannelStop(channel);
}

void nMixer::ChannelStopSound(const nSound* sound)
{
    if (!sound)
        return;
    for (int32_t channel = 0; channel < ChannelCount; ++channel)
    {
        if (m_channels[channel].sound != sound)
            continue;
        ChannelStop(channel);
        m_channels[channel].sound = nullptr;
    }
}

bool nMixer::ChannelTryLock(int32_t channel)
{
    nMixerChannel* record = GetChannelRecord(channel);
    if (!record || record->locked)
        return false;
    record->locked = true;
    return true;
}

void nMixer::ChannelUnlock(int32_t channel)
{
    if (nMixerChannel* record = GetChannelRecord(channel))
        record->locked = false;
}

bool nMixer::ChannelIsLocked(int32_t channel) const
{
    const nMixerChannel* record = GetChannel(channel);
    return record && record->locked;
}

void nMixer::ChannelUnlockAll()
{
    for (nMixerChannel& record : m_channels)
        record.locked = false;
}

int32_t nMixer::ChannelLock()
{
    const int32_t channel = FindFreeChannel();
    if (channel < 0 || m_channels[channel].locked)
        return -1;
    m_channels[channel].locked = true;
    return channel;
}

void nMixer::Mute()
{
    if (!m_muted)
        m_savedGain = GetMasterGain();
    m_muted = true;
    SetMasterGain(0.0f);
}

void nMixer::Unmute()
{
    m_muted = false;
    SetMasterGain(m_savedGain);
}
