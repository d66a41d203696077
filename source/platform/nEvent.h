#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

// Wakes idle workers. A waiter takes a ticket before it looks for work and waits with it, so a
// signal given between the look and the wait is never lost; a signal wakes every waiter, because
// with worker masks the one worker an auto-reset event would pick may not be able to take the job.
class nEvent
{
public:
    nEvent() = default;
    nEvent(const nEvent&) = delete;
    nEvent& operator=(const nEvent&) = delete;

    uint64_t GetTicket();
    void Wait(uint64_t ticket);
    void Signal();

private:
    std::mutex m_mutex;
    std::condition_variable m_signalled;
    uint64_t m_generation = 0;
};
