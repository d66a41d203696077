#include "core/base/nMemory.h"

#include "core/base/nLog.h"
#include "platform/nHostMemory.h"
#include "platform/nMutex.h"

#include <new>
#include <string>

const nMemCategoryName nMemCategoryNames[MemCategoryCount] = {
    {"General", "System"},    {"Container", "List Item"}, {"I/O", "Filesystem"},   {"I/O", "Metatag"},
    {"Animation", "Curve"},   {"Maths", "Vector"},        {"Maths", "Matrix"},     {"Scene 3D", "Item"},
    {"Resource", "Geometry"}, {"Resource", "Material"},   {"Resource", "Texture"}, {"Resource", "Picture"},
    {"Renderer", "System"},   {"Renderer", "Render Job"}, {"Renderer", "Terrain"}, {"Renderer", "VBO"},
};

namespace
{
nMemCounters counters[MemCategoryCount];

// Never destroyed: tracked blocks may still be freed by other static destructors at exit.
nMutex& AccountingMutex()
{
    static nMutex* const mutex = new nMutex();
    return *mutex;
}

bool IsValidCategory(uint32_t category)
{
    if (category < MemCategoryCount)
        return true;
    nLogHolder::Get() << "[!] Invalid memory category " << category << ".\n";
    return false;
}
} // namespace

void MemTrackAlloc(uint64_t size, uint32_t category)
{
    if (!IsValidCategory(category))
        return;
    AccountingMutex().Lock();
    nMemCounters& counter = counters[category];
    ++counter.liveCount;
    if (counter.liveCount > counter.peakCount)
        counter.peakCount = counter.liveCount;
    counter.liveBytes += size;
    if (counter.liveBytes > counter.peakBytes)
        counter.peakBytes = counter.liveBytes;
    AccountingMutex().Unlock();
}

void MemTrackFree(uint64_t size, uint32_t category)
{
    if (!IsValidCategory(category))
        return;
    AccountingMutex().Lock();
    nMemCounters& counter = counters[category];
    const bool balanced = counter.liveCount > 0 && counter.liveBytes >= size;
    if (balanced)
    {
        --counter.liveCount;
        counter.liveBytes -= size;
    }
    AccountingMutex().Unlock();
    // A wrapped counter would show the category holding exabytes in every later report.
    if (!balanced)
        nLogHolder::Get() << "[!] Memory category '" << nMemCategoryNames[category].name << "' frees "
                          << std::to_string(size).c_str() << " bytes more than it holds.\n";
}

nMemCounters MemGetCounters(uint32_t category)
{
    if (!IsValidCategory(category))
        return {};
    AccountingMutex().Lock();
    nMemCounters snapshot = counters[category];
    AccountingMutex().Unlock();
    return snapshot;
}

size_t MemHeaderedSize(size_t size)
{
    return size + MemHeaderSize;
}

void* MemWriteHeader(void* block, size_t size, uint32_t category)
{
    *static_cast<uint64_t*>(block) = size;
    static_cast<uint32_t*>(block)[2] = category;
    return static_cast<unsigned char*>(block) + MemHeaderSize;
}

void* MemReadHeader(void* user)
{
    return static_cast<unsigned char*>(user) - MemHeaderSize;
}

void* MemNew(size_t size, uint32_t category)
{
    if (size > SIZE_MAX - MemHeaderSize)
        return nullptr;
    void* block = MemAllocateBlock(MemHeaderedSize(size));
    if (!block)
        return nullptr;
    MemTrackAlloc(size, category);
    return MemWriteHeader(block, size, category);
}

void* MemAllocateBlock(size_t size)
{
    if (size >= MemLargeBlockSize)
        return HostAllocateLargeBlock(size);
    return ::operator new[](size ? size : 1, std::nothrow);
}

void MemFreeBlock(void* block, size_t size)
{
    if (size >= MemLargeBlockSize)
        HostFreeLargeBlock(block, size);
    else
        ::operator delete[](block);
}

void MemDelete(void* user, uint32_t category)
{
    if (!user)
        return;
    void* block = MemReadHeader(user);
    // The block is counted where it was allocated, whatever the caller names.
    const uint32_t allocated = static_cast<uint32_t*>(block)[2];
    if (allocated != category && allocated < MemCategoryCount)
    {
        nLogHolder::Get() << "[!] A block of memory category '" << nMemCategoryNames[allocated].name
                          << "' is freed as category " << category << ".\n";
        category = allocated;
    }
    const uint64_t size = *static_cast<uint64_t*>(block);
    MemTrackFree(size, category);
    MemFreeBlock(block, MemHeaderedSize(size));
}
