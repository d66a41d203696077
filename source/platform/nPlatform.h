#pragma once

#include "core/io/nIOSystem.h"
#include "platform/nJobQueue.h"

#include <cstdint>
#include <mutex>

// The one platform object of the process: processor count, name, a clock of GetClockFrequency
// ticks per second, sleeping, the job queue and the mount table. It is built on first use and
// lives to the end of the process; its job workers start with the first use of the job queue,
// so no thread is ever started during static initialisation.
class nPlatform
{
public:
    static nPlatform& Get();

    nPlatform(const nPlatform&) = delete;
    nPlatform& operator=(const nPlatform&) = delete;
    virtual ~nPlatform();

    virtual uint32_t GetProcessorCount() const { return 1; }
    virtual const char* GetName() const = 0;
    virtual uint64_t GetClockFrequency() const = 0;
    virtual uint64_t GetClock() const = 0;
    virtual void Sleep(uint32_t milliseconds) const = 0;

    nJobQueue& GetJobQueue();
    nIOSystem& GetIOSystem() { return m_ioSystem; }

protected:
    nPlatform() = default;

private:
    nJobQueue m_jobQueue;
    nIOSystem m_ioSystem;
    std::once_flag m_workersStarted;
};
