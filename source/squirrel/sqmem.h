#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

// Bytes held by script objects and their growing parts (stacks, table nodes, array and
// instance slots, strings, userdata), summed over the process. Tests read it to see that a
// collection gives memory back; nothing in the VM depends on it.
inline std::atomic<int64_t> sqLiveBytesCounter{0};

inline void sqCountBytes(int64_t delta) { sqLiveBytesCounter.fetch_add(delta, std::memory_order_relaxed); }
inline int64_t sqLiveBytes() { return sqLiveBytesCounter.load(std::memory_order_relaxed); }

// A host that runs untrusted scripts may bound the bytes they hold (0: no bound, the default).
// A size a script asks for at once (an array, a blob, a joined text) that would pass the bound
// is refused with a script error; the host stops a script whose total grows past it from its
// debug hook (sqLiveBytesOverLimit).
inline std::atomic<int64_t> sqLiveBytesLimit{0};

inline void sqSetLiveBytesLimit(int64_t bytes) { sqLiveBytesLimit.store(bytes, std::memory_order_relaxed); }
inline bool sqMayAllocate(int64_t bytes) {
    int64_t limit = sqLiveBytesLimit.load(std::memory_order_relaxed);
    return limit <= 0 || sqLiveBytes() + bytes <= limit;
}
inline bool sqLiveBytesOverLimit() { return !sqMayAllocate(0); }

// Blocks for the growing parts of script objects; large ones are kept for reuse when freed
// (see sqmem.cpp). `bytes` must be the same at both calls.
void* sqAllocateBlock(size_t bytes);
void sqFreeBlock(void* block, size_t bytes);
// Memory kept for reuse is out of bounds to the address sanitizer until it is handed out again,
// so that a use after free is still found (no-ops in other builds).
void sqPoisonKept(void* block, size_t bytes);
void sqUnpoisonKept(void* block, size_t bytes);

template <typename T>
struct SQAllocator {
    using value_type = T;
    SQAllocator() = default;
    template <typename U>
    SQAllocator(const SQAllocator<U>&) {}
    T* allocate(size_t n) {
        sqCountBytes((int64_t)(n * sizeof(T)));
        return static_cast<T*>(sqAllocateBlock(n * sizeof(T)));
    }
    void deallocate(T* p, size_t n) {
        sqCountBytes(-(int64_t)(n * sizeof(T)));
        sqFreeBlock(p, n * sizeof(T));
    }
    template <typename U>
    bool operator==(const SQAllocator<U>&) const {
        return true;
    }
};

template <typename T>
using SQVector = std::vector<T, SQAllocator<T>>;
