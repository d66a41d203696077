#pragma once

#include "audio/nMixerChannel.h"
#include "audio/nSampleFormat.h"

#include <cstdint>

class nEngineServices;
class nMatrix3;
class nSound;
class nVector;

// The audio mixer: 64 numbered channels, each with its own pitch, gain, panning and loop settings.
// Every channel operation refuses an index outside 0..63 (false, state invalid, null or nothing);
// back ends check with IsValidChannel before they touch a record.
class nMixer
{
public:
    static constexpr int32_t ChannelCount = 64;

    explicit nMixer(nEngineServices* engine);
    nMixer(const nMixer&) = delete;
    nMixer& operator=(const nMixer&) = delete;

    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual void SetListener(const nVector* position, const nVector* velocity,
                             const nMatrix3* orientation) = 0;
    virtual bool ChannelStart(int32_t channel, nSound* sound) = 0;
    virtual bool ChannelStop(int32_t channel) = 0;
    virtual void ChannelPause(int32_t channel) = 0;
    virtual void ChannelResume(int32_t channel) = 0;
    virtual int32_t ChannelGetState(int32_t channel) = 0;
    virtual bool UploadSample(nSound* sound) = 0;
    virtual void FreeSample(nSound* sound) = 0;
    virtual void SetMasterGain(float gain) = 0;
    virtual float GetMasterGain() = 0;
    virtual bool ChannelOpenStream(int32_t channel, const nSampleFormat& format) = 0;
    virtual void ChannelStreamNoOp(int32_t channel);
    virtual void ChannelCloseStream(int32_t channel) = 0;
    virtual void ChannelSetPitch(int32_t channel, float pitch);
    virtual void ChannelSetGain(int32_t channel, float gain);
    virtual void ChannelSetPanning(int32_t channel, float panning);
    virtual void ChannelSetLoopMode(int32_t channel, uint32_t mode);
    virtual void ChannelSetLoopPosition(int32_t channel, uint32_t position);
    virtual void Update();
    virtual void NoOp21();
    virtual void NoOp22();
    virtual ~nMixer();

    static bool IsValidChannel(int32_t channel) { return channel >= 0 && channel < ChannelCount; }

    // The first stopped channel (locks aside), or -1 after "[!] All channels in use.".
    int32_t FindFreeChannel();
    int32_t SoundStart(nSound* sound);
    // Streaming is not offered: looks for a channel as SoundStart does, then answers -1.
    int32_t StreamStart(const nSampleFormat& format);
    bool ChannelStartStream(int32_t channel, const nSampleFormat& format);
    nSound* ChannelGetSound(int32_t channel) const;
    void ChannelStopAll();
    // Stops every channel that plays the sound and forgets the sound there (a sound going away).
    void ChannelStopSound(const nSound* sound);
    bool ChannelTryLock(int32_t channel);
    void ChannelUnlock(int32_t channel);
    bool ChannelIsLocked(int32_t channel) const;
    void ChannelUnlockAll();
    // Locks the first free channel; -1 when there is none or it is already locked.
    int32_t ChannelLock();
    void Mute();
    void Unmute();
    bool IsMuted() const { return m_muted; }

    nEngineServices* GetEngine() const { return m_engine; }
    const nMixerChannel* GetChannel(int32_t channel) const;

protected:
    nMixerChannel* GetChannelRecord(int32_t channel);

    nEngineServices* m_engine;
    bool m_muted = false;
    float m_savedGain = 1.0f;
    nMixerChannel m_channels[ChannelCount];
};
