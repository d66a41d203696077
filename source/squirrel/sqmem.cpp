#include "squirrel/sqmem.h"

#include <bit>
#include <new>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SQ_ASAN 1
#endif
#elif defined(__SANITIZE_ADDRESS__)
#define SQ_ASAN 1
#endif
#ifdef SQ_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace {

// Large blocks (array and instance slots, table nodes) are freed and requested again at
// the same sizes as scripts build and drop their containers. Handing such a block back to
// the system and faulting a new one in costs far more than the copy that fills it, so freed
// blocks are kept per size class, up to a bound, for the next request of their class.
constexpr size_t kSmallestCachedBlock = size_t(1) << 14;
constexpr size_t kLargestCachedBlock = size_t(1) << 26;
constexpr int kClassesPerOctave = 4;
constexpr int kClassCount = (26 - 14 + 1) * kClassesPerOctave;
constexpr size_t kMaxBlocksPerClass = 8;
constexpr size_t kMaxCachedBytes = size_t(64) << 20;

// Sizes from kSmallestCachedBlock up round to a quarter of their octave, so that a block
// serves any request of its class with at most a quarter of it unused.
size_t ClassSize(size_t bytes, int& index) {
    int octave = std::bit_width(bytes) - 1;
    size_t step = size_t(1) << (octave - 2);
    size_t rounded = (bytes + step - 1) & ~(step - 1);
    if ((int)std::bit_width(rounded) - 1 != octave) {  // rounded up to the next power of two
        ++octave;
        step <<= 1;
    }
    index = (octave - 14) * kClassesPerOctave + (int)(rounded / step) - kClassesPerOctave;
    return rounded;
}

// Under AddressSanitizer a cached block is poisoned, so that a use after free is still found.
void Poison([[maybe_unused]] void* block, [[maybe_unused]] size_t size) {
#ifdef SQ_ASAN
    ASAN_POISON_MEMORY_REGION(block, size);
#endif
}

void Unpoison([[maybe_unused]] void* block, [[maybe_unused]] size_t size) {
#ifdef SQ_ASAN
    ASAN_UNPOISON_MEMORY_REGION(block, size);
#endif
}

// The size of the blocks of a class.
size_t ClassBytes(int index) {
    int octave = 14 + index / kClassesPerOctave;
    return (size_t)(kClassesPerOctave + index % kClassesPerOctave) << (octave - 2);
}

struct BlockCache {
    void* blocks[kClassCount][kMaxBlocksPerClass];
    size_t counts[kClassCount] = {};
    size_t cachedBytes = 0;
    bool open = true;  // blocks freed after the thread's cache is gone go back directly

    ~BlockCache() {
        open = false;
        for (int c = 0; c < kClassCount; ++c) {
            while (counts[c] > 0) {
                void* block = blocks[c][--counts[c]];
                Unpoison(block, ClassBytes(c));
                ::operator delete(block);
            }
        }
    }
};

// One per thread: VMs of different threads never share a lock.
thread_local BlockCache cache;

}  // namespace

void sqPoisonKept(void* block, size_t bytes) { Poison(block, bytes); }
void sqUnpoisonKept(void* block, size_t bytes) { Unpoison(block, bytes); }

void* sqAllocateBlock(size_t bytes) {
    if (bytes < kSmallestCachedBlock || bytes > kLargestCachedBlock) return ::operator new(bytes);
    int index = 0;
    size_t size = ClassSize(bytes, index);
    if (cache.counts[index] > 0) {
        cache.cachedBytes -= size;
        void* block = cache.blocks[index][--cache.counts[index]];
        Unpoison(block, size);
        return block;
    }
    return ::operator new(size);
}

void sqFreeBlock(void* block, size_t bytes) {
    if (bytes < kSmallestCachedBlock || bytes > kLargestCachedBlock) {
        ::operator delete(block);
        return;
    }
    int index = 0;
    size_t size = ClassSize(bytes, index);
    if (cache.open && cache.counts[index] < kMaxBlocksPerClass && cache.cachedBytes + size <= kMaxCachedBytes) {
        Poison(block, size);
        cache.blocks[index][cache.counts[index]++] = block;
        cache.cachedBytes += size;
        return;
    }
    ::operator delete(block);
}
