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
