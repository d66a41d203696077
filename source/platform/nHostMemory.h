#pragma once

#include <cstddef>

// From this size up, blocks are mapped as below; smaller ones come from the heap.
constexpr size_t HostLargeBlockSize = size_t(4) << 20;

// Blocks of tens of megabytes (file images, decoded Binary values, mesh arrays) are mapped on
// their own, aligned and sized to whole huge pages, and marked for huge pages: the first touch
// then costs a few dozen page faults instead of tens of thousands. A freed block is kept for the next
// request of the same length (up to 256 MiB of them in all), else returned to the system. Where the
// system refuses huge pages the block is still valid.
void* HostAllocateLargeBlock(size_t size);
// size as given to HostAllocateLargeBlock.
void HostFreeLargeBlock(void* block, size_t size);
