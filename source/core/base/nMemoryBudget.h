#pragma once

#include <cstddef>

// A fixed number of bytes that the holders of one kind of block share, so that no content file can
// make them take more: each holder reserves what it allocates and releases it when it lets go.
class nMemoryBudget
{
public:
    explicit nMemoryBudget(size_t limit) : m_limit(limit) {}
    nMemoryBudget(const nMemoryBudget&) = delete;
    nMemoryBudget& operator=(const nMemoryBudget&) = delete;

    // False, taking nothing, when the bytes would pass the limit.
    bool Reserve(size_t bytes)
    {
        if (bytes > m_limit - m_used)
            return false;
        m_used += bytes;
        return true;
    }
    void Release(size_t bytes) { m_used -= bytes < m_used ? bytes : m_used; }

    size_t GetUsed() const { return m_used; }
    size_t GetLimit() const { return m_limit; }
    // The limit in whole megabytes, as messages name it.
    size_t GetLimitMegabytes() const { return m_limit >> 20; }

private:
    size_t m_limit;
    size_t m_used = 0;
};
