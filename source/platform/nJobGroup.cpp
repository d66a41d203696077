#include "platform/nJobGroup.h"

uint32_t nJobGroup::GetJobCount()
{
    m_mutex.Lock();
    const uint32_t count = m_jobs.GetCount();
    m_mutex.Unlock();
    return count;
}
