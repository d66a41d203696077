#pragma once

#include "audio/nMixer.h"

#include <cstdint>
#include <memory>

// Plays the 64 channels as 64 OpenAL sources (channel i on source i), one OpenAL buffer per
// sound. OpenAL mixes on its own; every AL call is made on the main thread.
class nALMixer : public nMixer
{
public:
    static constexpr int32_t StreamBufferCount = 16;
    static constexpr uint32_t StreamStagingSize = 2048;

    explicit nALMixer(nEngineServices* engine);
    ~nALMixer() override;

    bool Open() override;
    void Close() override;
    void SetListener(const nVector* position, const nVector* velocity, const nMatrix3* orientation) override;
    bool ChannelStart(int32_t channel, nSound* sound) override;
    bool ChannelStop(int32_t channel) override;
    void ChannelPause(int32_t channel) override;
    void ChannelResume(int32_t channel) override;
    int32_t ChannelGetState(int32_t channel) override;
    bool UploadSample(nSound* sound) override;
    // Detaches the buffer from every source that holds it before deleting it.
    void FreeSample(nSound* sound) override;
    void SetMasterGain(float gain) override;
    float GetMasterGain() override;
    bool ChannelOpenStream(int32_t channel, const nSampleFormat& format) override;
    void ChannelCloseStream(int32_t channel) override;
    void ChannelSetPitch(int32_t channel, float pitch) override;
    void ChannelSetGain(int32_t channel, float gain) override;
    void ChannelSetLoopMode(int32_t channel, uint32_t mode) override;

    bool HasEAX() const { return m_eax; }

private:
    // Nothing ever fills or queues the stream buffers, so an open stream plays silence.
    struct Stream
    {
        std::unique_ptr<uint8_t[]> staging;
        uint32_t counters[2] = {};
        nSampleFormat format;
        uint32_t buffers[StreamBufferCount] = {};
        int32_t queued = 0;
        int32_t free = StreamBufferCount;
    };

    bool IsOpen() const { return m_context != nullptr; }

    void* m_device = nullptr;
    void* m_context = nullptr;
    bool m_eax = false;
    uint32_t m_sources[ChannelCount] = {};
    Stream m_streams[ChannelCount];
    uint32_t m_streamCounter = 0;
};
