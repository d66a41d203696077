#include "platform/nMutex.h"

void nMutex::Lock()
{
    m_mutex.lock();
}

void nMutex::Unlock()
{
    m_mutex.unlock();
}

bool nMutex::TryLock()
{
    return m_mutex.try_lock();
}
