#include "platform/nJobWorkerThread.h"

#include "platform/nJobQueue.h"

nJobWorkerThread::~nJobWorkerThread()
{
    Join();
}

bool nJobWorkerThread::Run()
{
    for (;;)
    {
        // The ticket is taken before looking for work, so a job added after an empty look still
        // wakes this worker.
        const uint64_t ticket = m_queue.GetWakeTicket();
        if (m_queue.RunNextJob(m_id))
            continue;
        if (!m_running.load())
            break;
        m_queue.WaitForWork(ticket);
        if (!m_running.load())
            break;
    }
    return true;
}
