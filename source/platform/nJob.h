#pragma once

#include "core/base/nList.h"

#include <cstdint>

class nJobQueue;

// A unit of work for the job queue. The queue never owns a job: the submitter keeps it alive
// until it has finished and then deletes it. Worker i takes the job when (mask & i) != 0. A job is
// in one queue at a time.
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
    friend class nJobQueue;

    uint32_t m_workerMask;
    // Where the job stands in its queue's lists, so that adding and waiting need no search: the
    // pending node under the queue's queue mutex, the running one under its running mutex. A job
    // added again while it runs is both. Both belong to the queue of that serial only.
    uint64_t m_queueSerial = 0;
    nListNode<nJob*>* m_pendingNode = nullptr;
    nListNode<nJob*>* m_runningNode = nullptr;
};
