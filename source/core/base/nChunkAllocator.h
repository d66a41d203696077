#pragma once

#include <cstddef>

// Storage for small objects that are made in great numbers and mostly die together, such as the
// tags of a document: each thread fills a chunk of its own in order, and a chunk goes back to the
// heap once every object in it was freed, from whichever thread. Freed room inside a chunk is not
// reused, so making and freeing such objects costs the heap one block per chunk instead of one per
// object. An object that lives on keeps its whole chunk.
namespace nChunkAllocator
{
// Objects up to this size; aligned as the heap's own blocks.
constexpr size_t MaxObjectSize = 1024;

// Null when the heap has no room for a new chunk, or when size is 0 or above MaxObjectSize.
void* Allocate(size_t size);
// Memory from Allocate with the size it was asked for, or null.
void Free(void* memory, size_t size);
} // namespace nChunkAllocator
