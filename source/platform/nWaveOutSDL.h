#pragma once

#include "platform/nWaveOut.h"

#include <cstdint>
#include <deque>
#include <mutex>

// The wave-out device over an SDL audio device. The queue of handed buffers is shared with SDL's
// audio thread under a lock; the client's reclaim runs on that thread outside the lock.
class nWaveOutSDL : public nWaveOut
{
public:
    nWaveOutSDL() = default;
    nWaveOutSDL(const nWaveOutSDL&) = delete;
    nWaveOutSDL& operator=(const nWaveOutSDL&) = delete;
    ~nWaveOutSDL() override;

    bool Open(nWaveOutClient* client) override;
    bool Write(const uint8_t* buffer, uint32_t size) override;
    void Close() override;

private:
    struct Pending
    {
        const uint8_t* buffer;
        uint32_t size;
        uint32_t played;
    };

    static void Callback(void* user, uint8_t* stream, int length);
    void Play(uint8_t* stream, uint32_t length);

    uint32_t m_device = 0;
    bool m_subsystemStarted = false;
    nWaveOutClient* m_client = nullptr;
    std::mutex m_lock;
    std::deque<Pending> m_pending;
};
