#include "platform/nThread.h"

#include "core/base/nLog.h"

#include <system_error>

nThread::~nThread()
{
    {
        std::lock_guard<std::mutex> lock(m_gateMutex);
        if (m_gate == Gate::Closed)
            m_gate = Gate::Cancelled;
    }
    m_gateChanged.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    m_state.store(0);
}

bool nThread::Start()
{
    if (m_thread.joinable())
    {
        nLogHolder::Get() << "[!] Thread is already started.\n";
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_gateMutex);
        m_gate = Gate::Closed;
    }
    try
    {
        m_thread = std::thread(&nThread::Entry, this);
    }
    catch (const std::system_error&)
    {
        return false;
    }
    return true;
}

void nThread::Resume()
{
    {
        std::lock_guard<std::mutex> lock(m_gateMutex);
        if (m_gate != Gate::Closed || !m_thread.joinable())
            return;
        // The state turns 1 before the gate opens so that a short Run cannot finish first and
        // leave the state at 1 for a thread that has ended.
        int expected = 0;
        m_state.compare_exchange_strong(expected, 1);
        m_gate = Gate::Open;
    }
    m_gateChanged.notify_all();
}

void nThread::Join()
{
    bool released;
    {
        std::lock_guard<std::mutex> lock(m_gateMutex);
        released = m_gate == Gate::Open;
    }
    // A thread still parked at its gate never ran: there is nothing to wait for.
    if (released && m_thread.joinable())
        m_thread.join();
    int expected = 1;
    m_state.compare_exchange_strong(expected, 0);
}

bool nThread::WaitAtGate()
{
    std::unique_lock<std::mutex> lock(m_gateMutex);
    m_gateChanged.wait(lock, [this] { return m_gate != Gate::Closed; });
    return m_gate == Gate::Open;
}

void nThread::Entry()
{
    if (!WaitAtGate())
        return;
    m_exitCode.store(Run());
    int expected = 1;
    m_state.compare_exchange_strong(expected, 0);
}
