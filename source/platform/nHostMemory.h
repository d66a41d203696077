#pragma once

#include <cstddef>

// Blocks of tens of megabytes (file images, decoded Binary values, mesh arrays) are mapped on
// their own, aligned and sized to whole huge pages, and marked for huge pages: the first touch
// then costs a few dozen page faults instead of tens of thousands, and freeing one returns it to
// the system at once. Where the system refuses huge pages the block is still valid.
void* HostAllocateLargeBlock(size_t size);
// size as given to HostAllocateLargeBlock.
void HostFreeLargeBlock(void* block, size_t size);
