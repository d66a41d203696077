#pragma once

#include "platform/nHostMemory.h"

#include <cstddef>
#include <cstdint>

enum nMemCategory : uint32_t
{
    MemCategoryGeneral = 0,
    MemCategoryListItem = 1,
    MemCategoryFilesystem = 2,
    MemCategoryMetatag = 3,
    MemCategoryCurve = 4,
    MemCategoryVector = 5,
    MemCategoryMatrix = 6,
    MemCategoryItem = 7,
    MemCategoryGeometry = 8,
    MemCategoryMaterial = 9,
    MemCategoryTexture = 10,
    MemCategoryPicture = 11,
    MemCategoryRenderer = 12,
    MemCategoryRenderJob = 13,
    MemCategoryTerrain = 14,
    MemCategoryVBO = 15,
    MemCategoryCount = 16,
};

struct nMemCategoryName
{
    const char* group;
    const char* name;
};

struct nMemCounters
{
    uint64_t liveCount;
    uint64_t peakCount;
    uint64_t liveBytes;
    uint64_t peakBytes;
};

extern const nMemCategoryName nMemCategoryNames[MemCategoryCount];

// A tracked block carries its requested size and its category in a 16-byte header (keeping the
// user address aligned as the heap's own); a free under another category than the block's is
// reported with an "[!]" line and counted under the block's own.
constexpr size_t MemHeaderSize = 16;

void MemTrackAlloc(uint64_t size, uint32_t category);
void MemTrackFree(uint64_t size, uint32_t category);
nMemCounters MemGetCounters(uint32_t category);

size_t MemHeaderedSize(size_t size);
void* MemWriteHeader(void* block, size_t size, uint32_t category);
void* MemReadHeader(void* user);
void* MemNew(size_t size, uint32_t category);
// Untracked raw storage for arrays and Binary values: blocks from MemLargeBlockSize up are mapped
// in whole huge pages (see nHostMemory.h), smaller ones come from the heap. Null when out of memory.
constexpr size_t MemLargeBlockSize = HostLargeBlockSize;
void* MemAllocateBlock(size_t size);
// size as given to MemAllocateBlock.
void MemFreeBlock(void* block, size_t size);
void MemDelete(void* user, uint32_t category);

// clang-format off
inline void* MemAllocGeneral(size_t size) { return MemNew(size, MemCategoryGeneral); }
inline void MemFreeGeneral(void* user) { MemDelete(user, MemCategoryGeneral); }
inline void* MemAllocListItem(size_t size) { return MemNew(size, MemCategoryListItem); }
inline void MemFreeListItem(void* user) { MemDelete(user, MemCategoryListItem); }
inline void* MemAllocFilesystem(size_t size) { return MemNew(size, MemCategoryFilesystem); }
inline void MemFreeFilesystem(void* user) { MemDelete(user, MemCategoryFilesystem); }
inline void* MemAllocMetatag(size_t size) { return MemNew(size, MemCategoryMetatag); }
inline void MemFreeMetatag(void* user) { MemDelete(user, MemCategoryMetatag); }
inline void* MemAllocCurve(size_t size) { return MemNew(size, MemCategoryCurve); }
inline void MemFreeCurve(void* user) { MemDelete(user, MemCategoryCurve); }
inline void* MemAllocVector(size_t size) { return MemNew(size, MemCategoryVector); }
inline void MemFreeVector(void* user) { MemDelete(user, MemCategoryVector); }
inline void* MemAllocMatrix(size_t size) { return MemNew(size, MemCategoryMatrix); }
inline void MemFreeMatrix(void* user) { MemDelete(user, MemCategoryMatrix); }
inline void* MemAllocItem(size_t size) { return MemNew(size, MemCategoryItem); }
inline void MemFreeItem(void* user) { MemDelete(user, MemCategoryItem); }
inline void* MemAllocGeometry(size_t size) { return MemNew(size, MemCategoryGeometry); }
inline void MemFreeGeometry(void* user) { MemDelete(user, MemCategoryGeometry); }
inline void* MemAllocMaterial(size_t size) { return MemNew(size, MemCategoryMaterial); }
inline void MemFreeMaterial(void* user) { MemDelete(user, MemCategoryMaterial); }
inline void* MemAllocTexture(size_t size) { return MemNew(size, MemCategoryTexture); }
inline void MemFreeTexture(void* user) { MemDelete(user, MemCategoryTexture); }
inline void* MemAllocPicture(size_t size) { return MemNew(size, MemCategoryPicture); }
inline void MemFreePicture(void* user) { MemDelete(user, MemCategoryPicture); }
inline void* MemAllocRenderer(size_t size) { return MemNew(size, MemCategoryRenderer); }
inline void MemFreeRenderer(void* user) { MemDelete(user, MemCategoryRenderer); }
inline void* MemAllocRenderJob(size_t size) { return MemNew(size, MemCategoryRenderJob); }
inline void MemFreeRenderJob(void* user) { MemDelete(user, MemCategoryRenderJob); }
inline void* MemAllocTerrain(size_t size) { return MemNew(size, MemCategoryTerrain); }
inline void MemFreeTerrain(void* user) { MemDelete(user, MemCategoryTerrain); }
inline void* MemAllocVBO(size_t size) { return MemNew(size, MemCategoryVBO); }
inline void MemFreeVBO(void* user) { MemDelete(user, MemCategoryVBO); }
// clang-format on
