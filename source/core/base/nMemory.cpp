#include "core/base/nMemory.h"

#include "core/base/nLog.h"
#include "platform/nMutex.h"

#include <cstdlib>

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
    --counters[category].liveCount;
    counters[category].liveBytes -= size;
    AccountingMutex().Unlock();
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

void* MemWriteHeader(void* block, size_t size)
{
    *static_cast<uint64_t*>(block) = size;
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
    void* block = std::malloc(MemHeaderedSize(size));
    if (!block)
        return nullptr;
    MemTrackAlloc(size, category);
    return MemWriteHeader(block, size);
}

void MemDelete(void* user, uint32_t category)
{
    if (!user)
        return;
    void* block = MemReadHeader(user);
    MemTrackFree(*static_cast<uint64_t*>(block), category);
    std::free(block);
}
