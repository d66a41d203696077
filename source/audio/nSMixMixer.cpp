#include "audio/nSMixMixer.h"

#include "audio/nMixerData.h"
#include "audio/nSound.h"
#include "core/base/nLog.h"
#include "core/io/nIOHandle.h"

#include <algorithm>

nSMixMixer::nSMixMixer(nEngineServices* engine, std::unique_ptr<nWaveOut> device)
    : nMixer(engine), m_device(std::move(device))
{
}

nSMixMixer::~nSMixMixer()
{
    // The device thread must be stopped before the queue it shares goes away.
    Close();
}

bool nSMixMixer::Open()
{
    if (m_device && !m_device->Open(this))
        return false;
    std::lock_guard<std::mutex> guard(m_queueLock);
    for (int32_t index = 0; index < BufferCount; ++index)
    {
        m_filled[index] = 0;
        m_freeQueue[index] = uint8_t(index);
    }
    m_freeCount = BufferCount;
    m_deviceOpen = m_device != nullptr;
    return true;
}

void nSMixMixer::Close()
{
    FinishFile();
    if (m_device)
        m_device->Close();
    m_deviceOpen = false;
}

bool nSMixMixer::IsPlayable(const nSound* sound)
{
    const nSampleFormat& format = sound->GetFormat();
    return format.bitsPerSample == 16 && (format.channels == 1 || format.channels == 2) &&
           sound->GetFrameCount() > 0 && sound->GetBuffer();
}

bool nSMixMixer::ChannelStart(int32_t channel, nSound* sound)
{
    if (!sound || !IsValidChannel(channel))
        return false;
    if (!IsPlayable(sound))
    {
        nLogHolder::Get()
            << "[!] Sound '" << sound->GetName()
            << "' cannot be played: the software mixer takes 16-bit PCM of one or two channels.\n";
        return false;
    }
    ChannelStop(channel);
    m_channels[channel].sound = sound;
    m_voices[channel].position = 0;
    m_voices[channel].state = ChannelStatePlaying;
    return true;
}

bool nSMixMixer::ChannelStop(int32_t channel)
{
    if (!IsValidChannel(channel))
        return false;
    ChannelCloseStream(channel);
    m_voices[channel].state = ChannelStateStopped;
    return true;
}

int32_t nSMixMixer::ChannelGetState(int32_t channel)
{
    return IsValidChannel(channel) ? m_voices[channel].state : ChannelStateInvalid;
}

bool nSMixMixer::UploadSample(nSound* sound)
{
    // The mix reads the sample's own buffer, so a sound needs nothing more from this mixer than
    // 16-bit samples.
    return sound && !sound->GetMixerData() && sound->WidenTo16Bits();
}

void nSMixMixer::FreeSample(nSound* sound)
{
    if (sound)
        sound->SetMixerData(nullptr);
}

void nSMixMixer::Update()
{
    const uint32_t bytes = TakeStepBytes();
    if (m_file)
        UpdateFile(m_hasFixedStep ? bytes : BufferSize);
    else if (m_deviceOpen)
        UpdateDevice(bytes);
}

void nSMixMixer::UpdateFile(uint32_t bytes)
{
    uint8_t piece[FilePieceSize];
    while (bytes > 0)
    {
        const uint32_t count = std::min(bytes, FilePieceSize);
        MixChannels(piece, count);
        if (m_file->Write(piece, count) != count)
        {
            AbandonFile();
            return;
        }
        m_dataBytes += count;
        bytes -= count;
    }
}

void nSMixMixer::UpdateDevice(uint32_t stepBytes)
{
    const uint32_t first =
        m_hasFixedStep && stepBytes >= 1 && stepBytes <= BufferSize ? stepBytes : BufferSize;
    do
    {
        int32_t index;
        uint32_t filled;
        {
            std::lock_guard<std::mutex> guard(m_queueLock);
            if (m_freeCount == 0)
                return;
            // The oldest free buffer: a partly filled one is always finished before the next.
            index = m_freeQueue[0];
            filled = m_filled[index];
        }
        const uint32_t count = std::min(first, BufferSize - filled);
        MixChannels(m_buffers[index] + filled, count);
        filled += count;
        {
            std::lock_guard<std::mutex> guard(m_queueLock);
            m_filled[index] = filled;
            if (filled < BufferSize)
                continue;
            std::copy(m_freeQueue + 1, m_freeQueue + m_freeCount, m_freeQueue);
            --m_freeCount;
        }
        if (!m_device->Write(m_buffers[index], BufferSize))
        {
            nLogHolder::Get() << "[*] Sound device write failed.\n";
            ReclaimBuffer(m_buffers[index]);
            return;
        }
    } while (!m_hasFixedStep);
}

void nSMixMixer::ReclaimBuffer(const uint8_t* buffer)
{
    for (int32_t index = 0; index < BufferCount; ++index)
    {
        if (m_buffers[index] != buffer)
            continue;
        std::lock_guard<std::mutex> guard(m_queueLock);
        m_filled[index] = 0;
        if (m_freeCount < BufferCount)
            m_freeQueue[m_freeCount++] = uint8_t(index);
        return;
    }
    nLogHolder::Get() << "[!] Could not reclaim specified buffer.\n";
}

uint32_t nSMixMixer::GetFreeBufferCount()
{
    std::lock_guard<std::mutex> guard(m_queueLock);
    return uint32_t(m_freeCount);
}
