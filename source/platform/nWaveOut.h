#pragma once

#include <cstdint>

// Told when the device has played a buffer it was handed. Runs on the device's own thread.
class nWaveOutClient
{
public:
    virtual void ReclaimBuffer(const uint8_t* buffer) = 0;

protected:
    ~nWaveOutClient() = default;
};

// A sound output of 48000 Hz, 16-bit signed little-endian stereo that plays handed buffers in
// the order given and hands each back once played.
class nWaveOut
{
public:
    static constexpr uint32_t Rate = 48000;
    static constexpr uint32_t BytesPerFrame = 4;

    virtual ~nWaveOut() = default;

    // False after one "[!]" line with the reason.
    virtual bool Open(nWaveOutClient* client) = 0;
    // The buffer stays the caller's and unchanged until it is reclaimed.
    virtual bool Write(const uint8_t* buffer, uint32_t size) = 0;
    // No reclaim runs once Close returns; buffers not yet played are not handed back.
    virtual void Close() = 0;
};
