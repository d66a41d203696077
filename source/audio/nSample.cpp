#include "audio/nSample.h"

#include "core/base/nLog.h"
#include "platform/nPlatform.h"

#include <new>

nSample::~nSample()
{
    Free();
}

size_t nSample::GetBytesForFrames(uint32_t frames) const
{
    return size_t(frames) * m_format.channels * m_format.bitsPerSample / 8;
}

uint8_t* nSample::Alloc(uint32_t frames, const nSampleFormat& format)
{
    delete[] m_buffer;
    m_buffer = nullptr;
    m_format = format;
    const size_t bytes = size_t(frames) * format.channels * format.bitsPerSample / 8;
    m_buffer = new (std::nothrow) uint8_t[bytes ? bytes : 1];
    if (!m_buffer)
    {
        nLogHolder::Get() << "[!] Failed to allocate raw PCM sample buffer.\n";
        return nullptr;
    }
    m_frameCount = frames;
    return m_buffer;
}

bool nSample::WidenTo16Bits()
{
    if (m_format.bitsPerSample != 8)
        return true;
    if (!m_buffer) // an allocation that failed left the format without its samples
        return false;
    const size_t count = size_t(m_frameCount) * m_format.channels;
    auto* wide = new (std::nothrow) uint8_t[count ? count * 2 : 1];
    if (!wide)
    {
        nLogHolder::Get() << "[!] Failed to allocate raw PCM sample buffer.\n";
        return false;
    }
    // Little-endian: the low byte is 0, the high one the sample moved to signed.
    for (size_t index = 0; index < count; ++index)
    {
        wide[index * 2] = 0;
        wide[index * 2 + 1] = uint8_t(m_buffer[index] ^ 0x80);
    }
    delete[] m_buffer;
    m_buffer = wide;
    m_format.bitsPerSample = 16;
    return true;
}

void nSample::Free()
{
    delete[] m_buffer;
    m_buffer = nullptr;
    m_frameCount = 0;
}

bool nSample::Load(const nString& path)
{
    if (!nPlatform::Get().GetIOSystem().Exists(path))
        return false;
    if (ReadWAV(path))
        return true;
    nLogHolder::Get() << "[!] No sample decoder for '" << path << "'!\n";
    return false;
}

bool nSample::Decode(const nString& path)
{
    return ReadWAV(path);
}
