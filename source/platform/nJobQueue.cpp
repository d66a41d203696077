#include "platform/nJobQueue.h"

#include "core/base/nLog.h"
#include "platform/nJob.h"
#include "platform/nJobGroup.h"
#include "platform/nJobWorkerThread.h"

#include <atomic>
#include <new>
#include <thread>

namespace
{

std::atomic<uint64_t> s_lastQueueSerial{0};

// Without blocking, one look: true while busy. Blocking, runs a job itself when runHere can,
// else yields, until idle, and is then true.
template <typename BusyCheck, typename RunHere>
bool PollUntilIdle(BusyCheck isBusy, bool block, RunHere runHere)
{
    for (;;)
    {
        const bool busy = isBusy();
        if (!block)
        {
            if (busy)
                std::this_thread::yield();
            return busy;
        }
        if (!busy)
            return true;
        if (!runHere())
            std::this_thread::yield();
    }
}

} // namespace

nJobQueue::nJobQueue() : m_serial(++s_lastQueueSerial) {}

nJobQueue::~nJobQueue()
{
    StopWorkers();
    m_pending.Clear();
    m_running.Clear();
}

bool nJobQueue::CreateWorkers(uint32_t count)
{
    StopWorkers();
    for (uint32_t id = 1; id <= count; ++id)
    {
        std::unique_ptr<nJobWorkerThread> worker(new (std::nothrow) nJobWorkerThread(*this, id));
        if (!worker)
        {
            nLogHolder::Get() << "[!] Failed to allocate a job worker thread.\n";
            return false;
        }
        if (!worker->Start())
        {
            nLogHolder::Get() << "[*] Failed to create worker thread " << id << ".\n";
            continue;
        }
        worker->Resume();
        m_workers.push_back(std::move(worker));
        m_queueMutex.Lock();
        m_workerIds |= id;
        m_queueMutex.Unlock();
    }
    return true;
}

void nJobQueue::StopWorkers()
{
    m_queueMutex.Lock();
    m_workerIds = 0;
    m_queueMutex.Unlock();
    for (auto& worker : m_workers)
        worker->RequestStop();
    m_wakeUp.Signal();
    for (auto& worker : m_workers)
        worker->Join();
    m_workers.clear();
}

bool nJobQueue::AddJob(nJob* job, nJobGroup* group)
{
    if (!job)
    {
        nLogHolder::Get() << "[!] No job to add.\n";
        return false;
    }
    // Group before queue, the order every other operation uses, so that a thread adding to a
    // group and another waiting for it cannot deadlock.
    if (group)
        group->m_mutex.Lock();
    m_queueMutex.Lock();
    bool queued = true;
    nList<nJob*>::Node* added = nullptr;
    // Nodes a job kept from a queue that no longer exists mean nothing here.
    if (job->m_queueSerial != m_serial)
    {
        job->m_queueSerial = m_serial;
        job->m_pendingNode = nullptr;
        job->m_runningNode = nullptr;
    }
    if (!job->m_pendingNode)
        queued = (job->m_pendingNode = added = m_pending.PushBack(job)) != nullptr;
    // A job reported as not queued must not run: its submitter may delete it.
    if (queued && group && !group->m_jobs.PushBack(job))
    {
        queued = false;
        if (added)
        {
            m_pending.RemoveNode(added);
            job->m_pendingNode = nullptr;
        }
    }
    m_queueMutex.Unlock();
    if (group)
        group->m_mutex.Unlock();
    if (!queued)
    {
        nLogHolder::Get() << "[!] Failed to queue a job.\n";
        return false;
    }
    m_wakeUp.Signal();
    return true;
}

bool nJobQueue::RunNextJob(uint32_t workerId)
{
    return RunFirstPendingJob([workerId](uint32_t mask) { return (mask & workerId) != 0; });
}

template <typename Fits> bool nJobQueue::RunFirstPendingJob(Fits fits)
{
    nJob* job = nullptr;
    m_queueMutex.Lock();
    for (auto* node = m_pending.GetHead(); node; node = node->next)
    {
        nJob* candidate = node->value;
        if (!fits(candidate->GetWorkerMask()))
            continue;
        // The job joins the running list before it leaves the pending one, so a waiter never
        // sees it in neither list while it still has to run. A job added again while it runs
        // waits for that run to end: one object never runs twice at once.
        m_runningMutex.Lock();
        const bool stillRunning = candidate->m_runningNode != nullptr;
        if (!stillRunning)
            candidate->m_runningNode = m_running.PushBack(candidate);
        const bool taken = !stillRunning && candidate->m_runningNode != nullptr;
        m_runningMutex.Unlock();
        if (stillRunning)
            continue;
        if (taken)
        {
            job = candidate;
            job->m_pendingNode = nullptr;
            m_pending.RemoveNode(node);
        }
        break;
    }
    m_queueMutex.Unlock();
    if (!job)
        return false;

    job->Run(*this);

    m_runningMutex.Lock();
    m_running.RemoveNode(job->m_runningNode);
    job->m_runningNode = nullptr;
    m_runningMutex.Unlock();
    return true;
}

bool nJobQueue::IsBusy(nJob* job)
{
    m_queueMutex.Lock();
    m_runningMutex.Lock();
    const bool busy = IsQueued(job);
    m_runningMutex.Unlock();
    m_queueMutex.Unlock();
    return busy;
}

// Under both mutexes.
bool nJobQueue::IsQueued(const nJob* job) const
{
    return job->m_queueSerial == m_serial && (job->m_pendingNode || job->m_runningNode);
}

bool nJobQueue::WaitForJob(nJob* job, bool block)
{
    if (!job)
        return true;
    return PollUntilIdle([&] { return IsBusy(job); }, block, [this] { return RunPendingJobHere(); });
}

bool nJobQueue::WaitForGroup(nJobGroup* group, bool block)
{
    if (!group)
        return true;
    return PollUntilIdle([&] { return IsGroupBusy(group); }, block, [this] { return RunPendingJobHere(); });
}

// Nothing else would ever take a job that no worker's id matches (with no worker thread, that is
// every job): a caller that waits runs it itself instead of waiting forever. The test runs under
// the queue mutex, which also guards the worker ids.
bool nJobQueue::RunPendingJobHere()
{
    return RunFirstPendingJob([this](uint32_t mask) { return (mask & m_workerIds) == 0; });
}

// Jobs of the group that have finished leave it on the way.
bool nJobQueue::IsGroupBusy(nJobGroup* group)
{
    bool busy = false;
    group->m_mutex.Lock();
    m_queueMutex.Lock();
    m_runningMutex.Lock();
    nListIterator<nJob*> iterator;
    while (nJob* job = group->m_jobs.Next(iterator))
    {
        if (IsQueued(job))
        {
            busy = true;
            break;
        }
        group->m_jobs.RemoveNode(iterator.current);
    }
    m_runningMutex.Unlock();
    m_queueMutex.Unlock();
    group->m_mutex.Unlock();
    return busy;
}

uint32_t nJobQueue::GetPendingCount()
{
    m_queueMutex.Lock();
    const uint32_t count = m_pending.GetCount();
    m_queueMutex.Unlock();
    return count;
}

uint32_t nJobQueue::GetRunningCount()
{
    m_runningMutex.Lock();
    const uint32_t count = m_running.GetCount();
    m_runningMutex.Unlock();
    return count;
}
