#include "core/base/nChunkAllocator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

namespace
{
// Enough objects of this size to fill several chunks.
constexpr size_t kObjectSize = 136;
constexpr int kObjects = 5000;

std::vector<void*> AllocateFilled(int count)
{
    std::vector<void*> objects;
    for (int i = 0; i < count; ++i)
    {
        void* object = nChunkAllocator::Allocate(kObjectSize);
        if (!object)
            break;
        std::memset(object, i & 0xff, kObjectSize);
        objects.push_back(object);
    }
    return objects;
}
} // namespace

TEST(ChunkAllocatorTest, ObjectsAreAlignedAndNoneOverlapsAnother)
{
    std::vector<void*> objects = AllocateFilled(kObjects);
    ASSERT_EQ(objects.size(), static_cast<size_t>(kObjects));
    std::set<uintptr_t> starts;
    for (int i = 0; i < kObjects; ++i)
    {
        const auto* bytes = static_cast<const unsigned char*>(objects[i]);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(bytes) % alignof(std::max_align_t), 0u);
        EXPECT_EQ(bytes[0], i & 0xff);
        EXPECT_EQ(bytes[kObjectSize - 1], i & 0xff);
        starts.insert(reinterpret_cast<uintptr_t>(bytes));
    }
    uintptr_t previous = 0;
    for (const uintptr_t start : starts)
    {
        EXPECT_GE(start, previous);
        previous = start + kObjectSize;
    }
    for (void* object : objects)
        nChunkAllocator::Free(object, kObjectSize);
}

TEST(ChunkAllocatorTest, SizesItCannotServeAreRefused)
{
    EXPECT_EQ(nChunkAllocator::Allocate(0), nullptr);
    EXPECT_EQ(nChunkAllocator::Allocate(nChunkAllocator::MaxObjectSize + 1), nullptr);
    void* largest = nChunkAllocator::Allocate(nChunkAllocator::MaxObjectSize);
    EXPECT_NE(largest, nullptr);
    nChunkAllocator::Free(largest, nChunkAllocator::MaxObjectSize);
    nChunkAllocator::Free(nullptr, kObjectSize);
}

// Objects made on a thread that has ended are freed on another, in an order of their own; the
// leak check at exit finds any chunk that was not given back.
TEST(ChunkAllocatorTest, ObjectsOfAnEndedThreadAreFreedFromAnother)
{
    std::vector<void*> objects;
    std::thread maker([&] { objects = AllocateFilled(kObjects); });
    maker.join();
    ASSERT_EQ(objects.size(), static_cast<size_t>(kObjects));
    for (size_t i = 0; i < objects.size(); i += 2)
        nChunkAllocator::Free(objects[i], kObjectSize);
    std::thread freer(
        [&]
        {
            for (size_t i = 1; i < objects.size(); i += 2)
                nChunkAllocator::Free(objects[i], kObjectSize);
        });
    freer.join();
}

#if defined(__SANITIZE_ADDRESS__)
TEST(ChunkAllocatorDeathTest, TheSanitizerSeesAnObjectUsedAfterItWasFreed)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            auto* object = static_cast<volatile char*>(nChunkAllocator::Allocate(kObjectSize));
            void* kept = nChunkAllocator::Allocate(kObjectSize); // holds the chunk
            nChunkAllocator::Free(const_cast<char*>(object), kObjectSize);
            object[8] = 1;
            nChunkAllocator::Free(kept, kObjectSize);
        },
        "use-after-poison");
}
#endif
