#include "platform/nWaveOutSDL.h"

#include "core/base/nLog.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

nWaveOutSDL::~nWaveOutSDL()
{
    Close();
}

bool nWaveOutSDL::Open(nWaveOutClient* client)
{
    Close();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    {
        nLogHolder::Get() << "[!] Could not start the audio system: " << SDL_GetError() << "\n";
        return false;
    }
    m_subsystemStarted = true;
    m_client = client;

    SDL_AudioSpec wanted{};
    wanted.freq = int(Rate);
    wanted.format = AUDIO_S16LSB;
    wanted.channels = 2;
    wanted.samples = 4096;
    wanted.callback = &nWaveOutSDL::Callback;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (m_device == 0)
    {
        nLogHolder::Get() << "[!] Could not open the sound device: " << SDL_GetError() << "\n";
        Close();
        return false;
    }
    SDL_PauseAudioDevice(m_device, 0);
    return true;
}

bool nWaveOutSDL::Write(const uint8_t* buffer, uint32_t size)
{
    if (m_device == 0 || !buffer)
        return false;
    std::lock_guard<std::mutex> guard(m_lock);
    m_pending.push_back(Pending{buffer, size, 0});
    return true;
}

void nWaveOutSDL::Close()
{
    // Closing the SDL device waits for a running callback and stops it for good, so nothing
    // touches the queue or the client afterwards.
    if (m_device != 0)
        SDL_CloseAudioDevice(m_device);
    m_device = 0;
    if (m_subsystemStarted)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_subsystemStarted = false;
    m_pending.clear();
    m_client = nullptr;
}

void nWaveOutSDL::Callback(void* user, uint8_t* stream, int length)
{
    static_cast<nWaveOutSDL*>(user)->Play(stream, uint32_t(std::max(length, 0)));
}

void nWaveOutSDL::Play(uint8_t* stream, uint32_t length)
{
    while (length > 0)
    {
        const uint8_t* finished = nullptr;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (m_pending.empty())
                break;
            Pending& front = m_pending.front();
            const uint32_t count = std::min(length, front.size - front.played);
            std::memcpy(stream, front.buffer + front.played, count);
            front.played += count;
            stream += count;
            length -= count;
            if (front.played == front.size)
            {
                finished = front.buffer;
                m_pending.pop_front();
            }
        }
        if (finished && m_client)
            m_client->ReclaimBuffer(finished);
    }
    // An empty queue plays silence rather than stale data.
    std::memset(stream, 0, length);
}
