#pragma once

#include "core/base/nList.h"
#include "platform/nMutex.h"

#include <cstdint>

class nJob;

// Jobs waited for together; the group does not own them. The queue always locks a group before
// its own mutexes.
class nJobGroup
{
public:
    nJobGroup() = default;
    nJobGroup(const nJobGroup&) = delete;
    nJobGroup& operator=(const nJobGroup&) = delete;

    uint32_t GetJobCount();

private:
    friend class nJobQueue;

    nMutex m_mutex;
    nList<nJob*> m_jobs;
};
