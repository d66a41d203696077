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
// Locks are taken in the order group, queue, running. Waiting for a job or a group polls; a job
// that no running worker can take (none started, or its mask shares no bit with any worker's id)
// is run by the waiting caller itself.
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
    bool IsQueued(const nJob* job) const;
    bool IsGroupBusy(nJobGroup* group);
    bool RunPendingJobHere();
    // Moves the first pending job that fits to the running list, runs it and takes it off again;
    // false when none fits.
    template <typename Fits> bool RunFirstPendingJob(Fits fits);

    std::vector<std::unique_ptr<nJobWorkerThread>> m_workers;
    nMutex m_queueMutex;
    nMutex m_runningMutex;
    nList<nJob*> m_pending;
    nList<nJob*> m_running;
    nEvent m_wakeUp;
    // The ids of the started workers OR-ed together, guarded by the queue mutex: a job whose mask
    // shares no bit with it cannot run on any of them.
    uint32_t m_workerIds = 0;
    // Unique to this queue for the life of the process: a job's nodes belong to the queue whose
    // serial it holds.
    const uint64_t m_serial;
};
