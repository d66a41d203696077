#include "platform/nHostMemory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

void HostAdviseHugePages(void* block, size_t size)
{
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (!block || pageSize <= 0)
        return;
    const auto page = static_cast<uintptr_t>(pageSize);
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(block) + page - 1) & ~(page - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + size) & ~(page - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}
