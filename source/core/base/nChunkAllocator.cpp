#include "core/base/nChunkAllocator.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace
{
// Room not yet handed out, and every object once freed, is out of bounds to the address sanitizer,
// which cannot see inside a chunk by itself.
void Poison([[maybe_unused]] void* address, [[maybe_unused]] size_t size)
{
#if defined(__SANITIZE_ADDRESS__)
    __asan_poison_memory_region(address, size);
#endif
}

void Unpoison([[maybe_unused]] void* address, [[maybe_unused]] size_t size)
{
#if defined(__SANITIZE_ADDRESS__)
    __asan_unpoison_memory_region(address, size);
#endif
}

// Chunks are aligned to their size, so an object finds its chunk by masking its address.
constexpr size_t ChunkSize = 64 * 1024;
constexpr size_t Alignment = alignof(std::max_align_t);
// The chunk's count of live objects, with this bit once its thread has left it for a new one: the
// chunk goes when the count is 0 and the bit set, whichever of the two happens last.
constexpr uint32_t RetiredBit = 1u << 31;

struct alignas(Alignment) Chunk
{
    std::atomic<uint32_t> state{0};
};

size_t RoundUp(size_t size)
{
    return (size + Alignment - 1) & ~(Alignment - 1);
}

void Release(Chunk* chunk)
{
    Unpoison(chunk, ChunkSize);
    chunk->~Chunk();
    std::free(chunk);
}

void Retire(Chunk* chunk)
{
    if (chunk && chunk->state.fetch_or(RetiredBit, std::memory_order_acq_rel) == 0)
        Release(chunk);
}

Chunk* NewChunk()
{
    void* memory = std::aligned_alloc(ChunkSize, ChunkSize);
    if (!memory)
        return nullptr;
    Chunk* chunk = new (memory) Chunk;
    Poison(reinterpret_cast<char*>(chunk) + sizeof(Chunk), ChunkSize - sizeof(Chunk));
    return chunk;
}

// The chunk a thread fills; left to its objects when the thread ends.
struct ThreadChunk
{
    ThreadChunk() = default;
    ThreadChunk(const ThreadChunk&) = delete;
    ThreadChunk& operator=(const ThreadChunk&) = delete;
    // A tag made on the thread after this (by another thread-local's destructor) starts a chunk
    // of its own rather than counting in the one retired here.
    ~ThreadChunk()
    {
        Retire(chunk);
        chunk = nullptr;
        used = 0;
    }

    Chunk* chunk = nullptr;
    size_t used = 0;
};

thread_local ThreadChunk current;
} // namespace

void* nChunkAllocator::Allocate(size_t size)
{
    if (size == 0 || size > MaxObjectSize)
        return nullptr;
    size = RoundUp(size);
    if (!current.chunk || current.used + size > ChunkSize)
    {
        Chunk* chunk = NewChunk();
        if (!chunk)
            return nullptr;
        Retire(current.chunk);
        current.chunk = chunk;
        current.used = sizeof(Chunk);
    }
    current.chunk->state.fetch_add(1, std::memory_order_relaxed);
    char* object = reinterpret_cast<char*>(current.chunk) + current.used;
    current.used += size;
    Unpoison(object, size);
    return object;
}

void nChunkAllocator::Free(void* memory, size_t size)
{
    if (!memory)
        return;
    auto* chunk = reinterpret_cast<Chunk*>(reinterpret_cast<uintptr_t>(memory) & ~(ChunkSize - 1));
    Poison(memory, RoundUp(size));
    if (chunk->state.fetch_sub(1, std::memory_order_acq_rel) == (RetiredBit | 1u))
        Release(chunk);
}
