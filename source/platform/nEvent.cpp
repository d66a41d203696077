#include "platform/nEvent.h"

uint64_t nEvent::GetTicket()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_generation;
}

void nEvent::Wait(uint64_t ticket)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_signalled.wait(lock, [this, ticket] { return m_generation != ticket; });
}

void nEvent::Signal()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_generation;
    }
    m_signalled.notify_all();
}
