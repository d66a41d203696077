#include "platform/nPlatform.h"

#include "platform/nPlatformLinux.h"

nPlatform& nPlatform::Get()
{
    static nPlatformLinux platform;
    return platform;
}

nPlatform::~nPlatform()
{
    m_ioSystem.UnmountAll();
    m_jobQueue.StopWorkers();
}

nJobQueue& nPlatform::GetJobQueue()
{
    std::call_once(m_workersStarted, [this] { m_jobQueue.CreateWorkers(GetProcessorCount()); });
    return m_jobQueue;
}
