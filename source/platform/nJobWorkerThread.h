#pragma once

#include "platform/nThread.h"

#include <atomic>
#include <cstdint>

class nJobQueue;

class nJobWorkerThread : public nThread
{
public:
    nJobWorkerThread(nJobQueue& queue, uint32_t id) : m_queue(queue), m_id(id) {}
    ~nJobWorkerThread() override;

    bool Run() override;

    uint32_t GetId() const { return m_id; }
    bool IsRunning() const { return m_running.load(); }
    void RequestStop() { m_running.store(false); }

private:
    nJobQueue& m_queue;
    // Set from construction, not from Run, so a stop requested before the thread first runs is
    // not overwritten.
    std::atomic<bool> m_running{true};
    uint32_t m_id;
};
