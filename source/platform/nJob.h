#pragma once

#include <cstdint>

class nJobQueue;

// A unit of work for the job queue. The queue never owns a job: the submitter keeps it alive
// until it has finished and then deletes it. Worker i takes the job when (mask & i) != 0.
class nJob
{
public:
    static constexpr uint32_t AnyWorker = 0xFFFFFFFFu;

    explicit nJob(uint32_t workerMask = AnyWorker) : m_workerMask(workerMask) {}
    nJob(const nJob&) = delete;
    nJob& operator=(const nJob&) = delete;
    virtual ~nJob() = default;

    virtual bool Run(nJobQueue& queue) = 0;

    uint32_t GetWorkerMask() const { return m_workerMask; }
    void SetWorkerMask(uint32_t mask) { m_workerMask = mask; }

private:
    uint32_t m_workerMask;
};
