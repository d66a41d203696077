#include "audio/nALMixer.h"

#include "audio/nALMixerData.h"
#include "audio/nSound.h"
#include "core/base/nLog.h"

#include <al.h>
#include <alc.h>

namespace
{
constexpr int StartTries = 4;

ALCdevice* Device(void* device)
{
    return static_cast<ALCdevice*>(device);
}

ALCcontext* Context(void* context)
{
    return static_cast<ALCcontext*>(context);
}

ALenum BufferFormat(const nSampleFormat& format)
{
    if (format.channels == 1 && format.bitsPerSample == 8)
        return AL_FORMAT_MONO8;
    if (format.channels == 1 && format.bitsPerSample == 16)
        return AL_FORMAT_MONO16;
    if (format.channels == 2 && format.bitsPerSample == 8)
        return AL_FORMAT_STEREO8;
    if (format.channels == 2 && format.bitsPerSample == 16)
        return AL_FORMAT_STEREO16;
    return AL_NONE;
}
} // namespace

nALMixer::nALMixer(nEngineServices* engine) : nMixer(engine) {}

nALMixer::~nALMixer()
{
    Close();
}

bool nALMixer::Open()
{
    nLog& log = nLogHolder::Get();
    log << "[H] Starting OpenAL mixer...\n";
    ALCdevice* device = alcOpenDevice("Generic Software");
    if (!device)
    {
        log << "[*] Failed to open default device, performances might suffer.\n";
        device = alcOpenDevice(nullptr);
    }
    if (!device)
    {
        log << "[!] Failed to open default OpenAL device.\n";
        return false;
    }
    m_device = device;
    const ALCchar* specifier = alcGetString(device, ALC_DEVICE_SPECIFIER);
    log << "Device: " << (specifier ? specifier : "") << "\n";
    m_context = alcCreateContext(device, nullptr);
    if (!m_context)
    {
        log << "[!] Failed to create an OpenAL context.\n";
        Close();
        return false;
    }
    alcMakeContextCurrent(Context(m_context));
    m_eax = alIsExtensionPresent("EAX2.0") == AL_TRUE;
    if (m_eax)
        log << "Audio device supports EAX2.0.\n";
    log << int(ChannelCount) << " mixer channel.\n";
    alGetError();
    alGenSources(ChannelCount, m_sources);
    if (alGetError() != AL_NO_ERROR)
    {
        log << "[!] Failed to allocate OpenAL sources.\n";
        Close();
        return false;
    }
    for (int32_t channel = 0; channel < ChannelCount; ++channel)
    {
        ChannelStop(channel);
        ChannelSetLoopMode(channel, LoopNone);
        ChannelSetPitch(channel, 1.0f);
        ChannelSetGain(channel, 1.0f);
        ChannelSetPanning(channel, 0.5f);
    }
    SetMasterGain(1.0f);
    log << "[H] Done.\n\n";
    return true;
}

void nALMixer::Close()
{
    if (IsOpen())
    {
        ChannelStopAll();
        alDeleteSources(ChannelCount, m_sources);
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(Context(m_context));
    }
    if (m_device)
        alcCloseDevice(Device(m_device));
    m_device = nullptr;
    m_context = nullptr;
    m_eax = false;
}

void nALMixer::SetListener(const nVector* position, const nVector* velocity, const nMatrix3* orientation)
{
    if (!IsOpen())
        return;
    if (position)
        alListener3f(AL_POSITION, position->x, position->y, position->z);
    if (velocity)
        alListener3f(AL_VELOCITY, velocity->x, velocity->y, velocity->z);
    if (orientation)
    {
        const nVector at = orientation->GetColumn(2);
        const nVector up = orientation->GetColumn(1);
        const ALfloat values[6] = {at.x, at.y, at.z, up.x, up.y, up.z};
        alListenerfv(AL_ORIENTATION, values);
    }
}

bool nALMixer::ChannelStart(int32_t channel, nSound* sound)
{
    if (!sound || !sound->GetMixerData() || !IsValidChannel(channel) || !IsOpen())
        return false;
    const ALuint source = m_sources[channel];
    ChannelStop(channel);
    alSourcef(source, AL_GAIN, 0.0f);
    alSourcePause(source);
    alSourceStop(source);
    alGetError();
    const ALuint buffer = static_cast<nALMixerData*>(sound->GetMixerData())->buffer;
    for (int attempt = 0; attempt < StartTries; ++attempt)
    {
        alSourcei(source, AL_BUFFER, ALint(buffer));
        if (alGetError() != AL_NO_ERROR)
        {
            nLogHolder::Get() << "StartChannel() retrying.\n";
            continue;
        }
        alSourcePlay(source);
        nMixerChannel& record = m_channels[channel];
        ChannelSetLoopMode(channel, record.loopMode);
        ChannelSetGain(channel, record.gain);
        ChannelSetPitch(channel, record.pitch);
        ChannelSetPanning(channel, record.panning);
        record.sound = sound;
        return true;
    }
    nLogHolder::Get() << "[*] Failed to attach sound '" << sound->GetName() << "' to channel " << int(channel)
                      << ".\n";
    return false;
}

bool nALMixer::ChannelStop(int32_t channel)
{
    if (!IsValidChannel(channel))
        return false;
    if (!IsOpen())
        return true;
    alGetError();
    ChannelCloseStream(channel);
    alSourceStop(m_sources[channel]);
    return true;
}

void nALMixer::ChannelPause(int32_t channel)
{
    if (IsValidChannel(channel) && IsOpen())
        alSourcePause(m_sources[channel]);
}

void nALMixer::ChannelResume(int32_t channel)
{
    if (IsValidChannel(channel) && IsOpen())
        alSourcePlay(m_sources[channel]);
}

int32_t nALMixer::ChannelGetState(int32_t channel)
{
    if (!IsValidChannel(channel) || !IsOpen())
        return ChannelStateInvalid;
    ALint state = 0;
    alGetSourcei(m_sources[channel], AL_SOURCE_STATE, &state);
    switch (state)
    {
    case AL_INITIAL:
    case AL_STOPPED:
        return ChannelStateStopped;
    case AL_PLAYING:
        return ChannelStatePlaying;
    case AL_PAUSED:
        return ChannelStatePaused;
    default:
        return ChannelStateInvalid;
    }
}

bool nALMixer::UploadSample(nSound* sound)
{
    if (!sound)
        return true;
    FreeSample(sound);
    auto data = std::make_unique<nALMixerData>();
    nALMixerData* record = data.get();
    sound->SetMixerData(std::move(data));
    if (!IsOpen())
        return true;
    alGetError();
    alGenBuffers(1, &record->buffer);
    if (alGetError() != AL_NO_ERROR)
    {
        nLogHolder::Get() << "[!] Failed to generate sound buffer.\n";
        return true;
    }
    const ALenum format = BufferFormat(sound->GetFormat());
    if (format == AL_NONE)
    {
        nLogHolder::Get() << "[!] Unsupported PCM format in sample '" << sound->GetName() << "'.\n";
        return true;
    }
    alBufferData(record->buffer, format, sound->GetBuffer(), ALsizei(sound->GetSize()),
                 ALsizei(sound->GetFormat().rate));
    if (alGetError() != AL_NO_ERROR)
        nLogHolder::Get() << "[!] Failed to upload sample to OpenAL buffer ('" << sound->GetName() << "').\n";
    return true;
}

void nALMixer::FreeSample(nSound* sound)
{
    if (!sound || !sound->GetMixerData())
        return;
    const ALuint buffer = static_cast<nALMixerData*>(sound->GetMixerData())->buffer;
    if (IsOpen() && buffer != 0)
    {
        // A buffer still attached to a source cannot be deleted.
        for (int32_t channel = 0; channel < ChannelCount; ++channel)
        {
            ALint attached = 0;
            alGetSourcei(m_sources[channel], AL_BUFFER, &attached);
            if (ALuint(attached) != buffer)
                continue;
            alSourceStop(m_sources[channel]);
            alSourcei(m_sources[channel], AL_BUFFER, 0);
            if (m_channels[channel].sound == sound)
                m_channels[channel].sound = nullptr;
        }
        alDeleteBuffers(1, &buffer);
    }
    sound->SetMixerData(nullptr);
}

void nALMixer::SetMasterGain(float gain)
{
    if (IsOpen())
        alListenerf(AL_GAIN, gain * 0.8f < 0.01f ? 0.01f : gain * 0.8f);
}

float nALMixer::GetMasterGain()
{
    ALfloat gain = 0.0f;
    if (IsOpen())
        alGetListenerf(AL_GAIN, &gain);
    return gain * 1.25f;
}

bool nALMixer::ChannelOpenStream(int32_t channel, const nSampleFormat& format)
{
    if (!IsValidChannel(channel) || !IsOpen())
        return false;
    Stream& stream = m_streams[channel];
    if (!stream.staging)
    {
        stream.counters[0] = stream.counters[1] = 0;
        stream.free = StreamBufferCount;
        stream.staging = std::make_unique<uint8_t[]>(StreamStagingSize);
        stream.format = format;
        alGenBuffers(StreamBufferCount, stream.buffers);
        m_streamCounter = 0;
        alSourcei(m_sources[channel], AL_LOOPING, AL_FALSE);
    }
    return true;
}

void nALMixer::ChannelCloseStream(int32_t channel)
{
    if (!IsValidChannel(channel) || !IsOpen())
        return;
    Stream& stream = m_streams[channel];
    if (!stream.staging)
        return;
    stream.staging.reset();
    const ALuint source = m_sources[channel];
    alSourceStop(source);
    ALint queued = 0;
    alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
    for (ALint index = 0; index < queued; ++index)
    {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(source, 1, &buffer);
    }
    alDeleteBuffers(StreamBufferCount, stream.buffers);
    stream.free = StreamBufferCount;
}

void nALMixer::ChannelSetPitch(int32_t channel, float pitch)
{
    nMixer::ChannelSetPitch(channel, pitch);
    if (IsValidChannel(channel) && IsOpen())
        alSourcef(m_sources[channel], AL_PITCH, pitch);
}

void nALMixer::ChannelSetGain(int32_t channel, float gain)
{
    nMixer::ChannelSetGain(channel, gain);
    if (IsValidChannel(channel) && IsOpen())
        alSourcef(m_sources[channel], AL_GAIN, gain);
}

void nALMixer::ChannelSetLoopMode(int32_t channel, uint32_t mode)
{
    nMixer::ChannelSetLoopMode(channel, mode);
    if (IsValidChannel(channel) && IsOpen())
        alSourcei(m_sources[channel], AL_LOOPING,
                  !m_streams[channel].staging && mode != 0 ? AL_TRUE : AL_FALSE);
}
