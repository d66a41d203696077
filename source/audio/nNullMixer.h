#pragma once

#include "audio/nMixer.h"

// The mixer that plays nothing: the engine's own, current whenever no other is. Every channel
// reads stopped and the master gain 0.
class nNullMixer : public nMixer
{
public:
    using nMixer::nMixer;

    bool Open() override { return true; }
    void Close() override {}
    void SetListener(const nVector*, const nVector*, const nMatrix3*) override {}
    bool ChannelStart(int32_t channel, nSound*) override { return IsValidChannel(channel); }
    bool ChannelStop(int32_t channel) override { return IsValidChannel(channel); }
    void ChannelPause(int32_t) override {}
    void ChannelResume(int32_t) override {}
    int32_t ChannelGetState(int32_t channel) override
    {
        return IsValidChannel(channel) ? ChannelStateStopped : ChannelStateInvalid;
    }
    bool UploadSample(nSound*) override { return true; }
    void FreeSample(nSound*) override {}
    void SetMasterGain(float) override {}
    float GetMasterGain() override { return 0.0f; }
    bool ChannelOpenStream(int32_t channel, const nSampleFormat&) override { return IsValidChannel(channel); }
    void ChannelCloseStream(int32_t) override {}
};
