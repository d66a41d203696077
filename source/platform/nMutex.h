#pragma once

#include <mutex>

// Recursive, like the critical sections it replaces: the holder may lock again.
class nMutex
{
public:
    nMutex() = default;
    nMutex(const nMutex&) = delete;
    nMutex& operator=(const nMutex&) = delete;

    void Lock();
    void Unlock();
    bool TryLock();

private:
    std::recursive_mutex m_mutex;
};
