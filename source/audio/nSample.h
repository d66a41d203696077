#pragma once

#include "audio/nSampleFormat.h"
#include "platform/nstring/nString.h"

#include <cstddef>
#include <cstdint>

// PCM data read from a WAV file. The buffer holds exactly GetSize() bytes.
class nSample
{
public:
    nSample() = default;
    nSample(const nSample&) = delete;
    nSample& operator=(const nSample&) = delete;
    virtual ~nSample();

    // Frees the old buffer and allocates one for the frames; null after one "[!] " line when that
    // fails (the frame count is then left as it was).
    uint8_t* Alloc(uint32_t frames, const nSampleFormat& format);
    void Free();
    // Unsigned 8-bit samples become the signed 16-bit ones they stand for (128 is silence); false
    // after one "[!] " line when the wider buffer cannot be had (the sample is then unchanged).
    bool WidenTo16Bits();
    size_t GetSize() const { return GetBytesForFrames(m_frameCount); }
    size_t GetBytesForFrames(uint32_t frames) const;

    // False when the path does not exist or holds no WAV this reader takes.
    bool Load(const nString& path);
    bool ReadWAV(const nString& path);
    // ReadWAV without the existence test and the decoder message.
    bool Decode(const nString& path);

    uint32_t GetFrameCount() const { return m_frameCount; }
    const nSampleFormat& GetFormat() const { return m_format; }
    uint8_t* GetBuffer() { return m_buffer; }
    const uint8_t* GetBuffer() const { return m_buffer; }

private:
    uint32_t m_frameCount = 0;
    uint8_t* m_buffer = nullptr;
    nSampleFormat m_format;
};
