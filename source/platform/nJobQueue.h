#pragma once

#include "core/base/nList.h"
#include "platform/nEvent.h"
#include "platform/nMutex.h"

#include <cstdint>
#include <memory>
#include <vector>

class nJob;
class nJobGroup;
class nJobWorkerThread;

// Jobs run in the order they were added, each on the first free worker whose id matches its mask.
// Locks are taken in the order group, queue, running. Waiting for a job or a group polls; without
// any worker thread the waiting caller runs the pending jobs itself.
class nJobQueue
{
public:
    nJobQueue();
    nJobQueue(const nJobQueue&) = delete;
    nJobQueue& operator=(const nJobQueue&) = delete;
    ~nJobQueue();

    bool CreateWorkers(uint32_t count);
    void StopWorkers();
    uint32_t GetWorkerCount() const { return static_cast<uint32_t>(m_workers.size()); }

    bool AddJob(nJob* job, nJobGroup* group = nullptr);
    bool WaitForJob(nJob* job, bool block);
    bool WaitForGroup(nJobGroup* group, bool block);
    bool RunNextJob(uint32_t workerId);

    uint32_t GetPendingCount();
    uint32_t GetRunningCount();

    uint64_t GetWakeTicket() { return m_wakeUp.GetTicket(); }
    void WaitForWork(uint64_t ticket) { m_wakeUp.Wait(ticket); }

private:
    bool IsBusy(nJob* job);
    bool IsGroupBusy(nJobGroup* group);
    bool RunPendingJobHere();

    std::vector<std::unique_ptr<nJobWorkerThread>> m_workers;
    nMutex m_queueMutex;
    nMutex m_runningMutex;
    nList<nJob*> m_pending;
    nList<nJob*> m_running;
    nEvent m_wakeUp;
};
