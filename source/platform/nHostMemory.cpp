#include "platform/nHostMemory.h"

#include <malloc.h>
#include <sys/mman.h>

#include <cstdint>
#include <mutex>

namespace
{
constexpr size_t HugePageSize = size_t(2) << 20;
constexpr size_t HeapKeepSize = size_t(256) << 20;

// Large blocks bypass the heap, so the heap's own mapping threshold, which it raises only when it
// frees a block it mapped, would stay at 128 KiB and map every medium block (the arrays of an
// octree leaf) on its own, faulting it in afresh each time. Everything below the large-block size
// comes from the heap instead, and freed heap memory up to HeapKeepSize is kept for the next
// allocations rather than handed back and faulted in again.
[[maybe_unused]] const bool heapTuned = []
{
    mallopt(M_MMAP_THRESHOLD, int(HostLargeBlockSize));
    mallopt(M_TRIM_THRESHOLD, int(HeapKeepSize));
    return true;
}();

size_t MappedLength(size_t size)
{
    return (size + HugePageSize - 1) & ~(HugePageSize - 1);
}

// Freed large blocks kept mapped for the next request of the same length, so that loading files of
// the same size again (a level reloaded, a picture re-read) does not fault its blocks in afresh.
class KeptBlocks
{
public:
    void* Take(size_t length)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (size_t i = 0; i < m_count; ++i)
            if (m_blocks[i].length == length)
            {
                void* block = m_blocks[i].block;
                m_blocks[i] = m_blocks[--m_count];
                m_bytes -= length;
                return block;
            }
        return nullptr;
    }

    bool Keep(void* block, size_t length)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_count == BlockLimit || m_bytes + length > ByteLimit)
            return false;
        m_blocks[m_count++] = {block, length};
        m_bytes += length;
        return true;
    }

private:
    static constexpr size_t BlockLimit = 16;
    static constexpr size_t ByteLimit = size_t(256) << 20;
    struct Block
    {
        void* block;
        size_t length;
    };
    std::mutex m_mutex;
    Block m_blocks[BlockLimit] = {};
    size_t m_count = 0;
    size_t m_bytes = 0;
};

// Never destroyed: blocks may still be freed by static destructors at exit.
KeptBlocks& Kept()
{
    static KeptBlocks* const kept = new KeptBlocks();
    return *kept;
}
} // namespace

void* HostAllocateLargeBlock(size_t size)
{
    const size_t length = MappedLength(size);
    if (size == 0 || length < size || length > SIZE_MAX - HugePageSize)
        return nullptr;
    if (void* kept = Kept().Take(length))
        return kept;
    // One huge page more than needed, so that an aligned run of the length lies inside.
    void* mapped =
        mmap(nullptr, length + HugePageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    const auto first = reinterpret_cast<uintptr_t>(mapped);
    const uintptr_t begin = (first + HugePageSize - 1) & ~(HugePageSize - 1);
    const uintptr_t end = begin + length;
    if (begin > first)
        munmap(mapped, begin - first);
    if (first + length + HugePageSize > end)
        munmap(reinterpret_cast<void*>(end), first + length + HugePageSize - end);
    madvise(reinterpret_cast<void*>(begin), length, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(begin);
}

void HostFreeLargeBlock(void* block, size_t size)
{
    if (block && !Kept().Keep(block, MappedLength(size)))
        munmap(block, MappedLength(size));
}
