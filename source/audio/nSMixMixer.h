#pragma once

#include "audio/nMixer.h"
#include "platform/nWaveOut.h"
#include "platform/nstring/nString.h"

#include <cstdint>
#include <memory>
#include <mutex>

class nIOHandle;

// Mixes all channels itself into 16-bit stereo PCM at 48000 Hz on the main thread, in Update,
// and hands it to a wave-out device in eight buffers or appends it to a WAV file.
class nSMixMixer : public nMixer, private nWaveOutClient
{
public:
    static constexpr uint32_t OutputRate = 48000;
    static constexpr uint32_t BytesPerFrame = 4;
    static constexpr int32_t BufferCount = 8;
    static constexpr uint32_t BufferSize = 16384;
    static constexpr uint32_t FilePieceSize = 1024;

    // Without a device the mixer writes only to its output file.
    nSMixMixer(nEngineServices* engine, std::unique_ptr<nWaveOut> device);
    ~nSMixMixer() override;

    bool Open() override;
    void Close() override;
    void SetListener(const nVector*, const nVector*, const nMatrix3*) override {}
    bool ChannelStart(int32_t channel, nSound* sound) override;
    bool ChannelStop(int32_t channel) override;
    void ChannelPause(int32_t) override {}
    void ChannelResume(int32_t) override {}
    int32_t ChannelGetState(int32_t channel) override;
    bool UploadSample(nSound* sound) override;
    void FreeSample(nSound* sound) override;
    void SetMasterGain(float gain) override { m_masterGain = gain; }
    float GetMasterGain() override { return m_masterGain; }
    bool ChannelOpenStream(int32_t, const nSampleFormat&) override { return true; }
    void ChannelCloseStream(int32_t) override {}
    void Update() override;

    // Replaces any earlier output file; false after one "[!]" line naming the path.
    bool OpenOutputFile(const nString& path);
    // True once the output file could not be opened, written or put in place; the run goes on
    // without it.
    bool HasOutputFailed() const { return m_outputFailed; }
    // The clock step, in platform clock ticks, that the next Update covers. The part of a frame
    // that does not fit a whole output frame carries over to the next step.
    // A change of the step is logged unless told otherwise: a real-time run hands over each
    // frame's own step, which follows the wall clock and changes nearly every frame.
    void SetFixedStep(uint64_t ticks, bool logChange = true);
    // The destination gets bytes / 4 whole frames.
    void MixChannels(uint8_t* destination, uint32_t bytes);
    void AdvanceVoice(int32_t channel);
    void ReclaimBuffer(const uint8_t* buffer) override;

    uint32_t GetFreeBufferCount();
    static uint32_t GetVoiceStep(float pitch, uint32_t rate);

private:
    struct Voice
    {
        int64_t position = 0; // in 1/256 of a frame
        int32_t state = ChannelStateStopped;
    };

    static bool IsPlayable(const nSound* sound);
    void MixVoice(int32_t channel, int32_t* sums, uint32_t frames);
    void MixPiece(uint8_t* destination, uint32_t frames);
    uint32_t TakeStepBytes();
    void UpdateFile(uint32_t bytes);
    void UpdateDevice(uint32_t bytes);
    void FinishFile();
    void AbandonFile();

    float m_masterGain = 1.0f;
    std::unique_ptr<nWaveOut> m_device;
    bool m_deviceOpen = false;

    // Shared with the device thread: the free queue and the filled counts.
    std::mutex m_queueLock;
    uint8_t m_freeQueue[BufferCount] = {};
    int32_t m_freeCount = 0;
    uint32_t m_filled[BufferCount] = {};
    uint8_t m_buffers[BufferCount][BufferSize] = {};

    bool m_hasFixedStep = false;
    uint64_t m_fixedTicks = 0;
    uint64_t m_stepRemainder = 0;

    std::unique_ptr<nIOHandle> m_file;
    int64_t m_dataSizePosition = 0;
    int64_t m_riffSizePosition = 0;
    uint32_t m_dataBytes = 0;
    nString m_outputPath;
    bool m_outputFailed = false;

    Voice m_voices[ChannelCount];
    int32_t m_sums[BufferSize / BytesPerFrame * 2] = {};
};
