#include "core/base/nLog.h"
#include "core/base/nMemory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <thread>

TEST(MemoryTest, CategoryNames)
{
    EXPECT_STREQ(nMemCategoryNames[MemCategoryGeneral].group, "General");
    EXPECT_STREQ(nMemCategoryNames[MemCategoryListItem].name, "List Item");
    EXPECT_STREQ(nMemCategoryNames[MemCategoryRenderJob].name, "Render Job");
    EXPECT_STREQ(nMemCategoryNames[MemCategoryVBO].group, "Renderer");
}

TEST(MemoryTest, TrackedBlockCountsAndUncounts)
{
    nMemCounters before = MemGetCounters(MemCategoryVector);
    void* block = MemAllocVector(10);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u);
    std::memset(block, 0xAB, 10);
    nMemCounters during = MemGetCounters(MemCategoryVector);
    EXPECT_EQ(during.liveCount, before.liveCount + 1);
    EXPECT_EQ(during.liveBytes, before.liveBytes + 10);
    EXPECT_GE(during.peakCount, before.liveCount + 1);
    EXPECT_GE(during.peakBytes, before.liveBytes + 10);
    MemFreeVector(block);
    nMemCounters after = MemGetCounters(MemCategoryVector);
    EXPECT_EQ(after.liveCount, before.liveCount);
    EXPECT_EQ(after.liveBytes, before.liveBytes);
    EXPECT_EQ(after.peakBytes, during.peakBytes); // peaks are never lowered
}

TEST(MemoryTest, HeaderHoldsTheRequestedSize)
{
    EXPECT_EQ(MemHeaderedSize(10), 10u + MemHeaderSize);
    void* user = MemNew(1234, MemCategoryPicture);
    ASSERT_NE(user, nullptr);
    void* block = MemReadHeader(user);
    EXPECT_EQ(static_cast<char*>(user) - static_cast<char*>(block), 16);
    EXPECT_EQ(*static_cast<uint64_t*>(block), 1234u);
    MemDelete(user, MemCategoryPicture);
}

TEST(MemoryTest, RefusedRequestsAndNullFreesCountNothing)
{
    nMemCounters before = MemGetCounters(MemCategoryGeometry);
    MemDelete(nullptr, MemCategoryGeometry);
    EXPECT_EQ(MemNew(SIZE_MAX - 4, MemCategoryGeometry), nullptr);
    nMemCounters after = MemGetCounters(MemCategoryGeometry);
    EXPECT_EQ(after.liveCount, before.liveCount);
    EXPECT_EQ(after.liveBytes, before.liveBytes);
}

TEST(MemoryTest, CountersAreSixtyFourBit)
{
    nMemCounters before = MemGetCounters(MemCategoryTerrain);
    const uint64_t big = 5ull * 1024 * 1024 * 1024;
    MemTrackAlloc(big, MemCategoryTerrain);
    EXPECT_EQ(MemGetCounters(MemCategoryTerrain).liveBytes, before.liveBytes + big);
    MemTrackFree(big, MemCategoryTerrain);
    EXPECT_EQ(MemGetCounters(MemCategoryTerrain).liveBytes, before.liveBytes);
}

namespace
{
class CountingLog : public nLog
{
public:
    void Output(const char*, uint8_t level) override { errors += (level & LogLevelError) ? 1 : 0; }
    int errors = 0;
};
} // namespace

TEST(MemoryTest, InvalidCategoryIsRefused)
{
    CountingLog log;
    nLogHolder::Set(&log);
    MemTrackAlloc(8, MemCategoryCount);
    nMemCounters none = MemGetCounters(99);
    EXPECT_EQ(none.liveCount, 0u);
    void* block = MemNew(8, 99);
    ASSERT_NE(block, nullptr);
    MemDelete(block, 99);
    nLogHolder::Set(nullptr);
    EXPECT_EQ(log.errors, 4);
}

namespace
{
class TextLog : public nLog
{
public:
    TextLog() { nLogHolder::Set(this); }
    ~TextLog() override { nLogHolder::Set(nullptr); }
    void Output(const char* line, uint8_t) override { text += line; }
    std::string text;
};
} // namespace

TEST(MemoryTest, AFreeUnderTheWrongCategoryIsCaught)
{
    const nMemCounters curves = MemGetCounters(MemCategoryCurve);
    const nMemCounters matrices = MemGetCounters(MemCategoryMatrix);
    TextLog log;
    void* block = MemAllocCurve(24);
    ASSERT_NE(block, nullptr);
    MemFreeMatrix(block);
    EXPECT_EQ(log.text, "[!] A block of memory category 'Curve' is freed as category 6.\n");
    EXPECT_EQ(MemGetCounters(MemCategoryCurve).liveCount, curves.liveCount);
    EXPECT_EQ(MemGetCounters(MemCategoryCurve).liveBytes, curves.liveBytes);
    EXPECT_EQ(MemGetCounters(MemCategoryMatrix).liveCount, matrices.liveCount);
    EXPECT_EQ(MemGetCounters(MemCategoryMatrix).liveBytes, matrices.liveBytes);

    log.text.clear();
    MemTrackFree(1ull << 62, MemCategoryMatrix);
    EXPECT_EQ(log.text, "[!] Memory category 'Matrix' frees 4611686018427387904 bytes more than it holds.\n");
    EXPECT_EQ(MemGetCounters(MemCategoryMatrix).liveBytes, matrices.liveBytes);
}

TEST(MemoryTest, ThreadsBalanceOut)
{
    nMemCounters before = MemGetCounters(MemCategoryRenderJob);
    std::thread threads[4];
    for (std::thread& thread : threads)
        thread = std::thread(
            []
            {
                for (int i = 0; i < 2000; ++i)
                    MemFreeRenderJob(MemAllocRenderJob(static_cast<size_t>(i % 64 + 1)));
            });
    for (std::thread& thread : threads)
        thread.join();
    nMemCounters after = MemGetCounters(MemCategoryRenderJob);
    EXPECT_EQ(after.liveCount, before.liveCount);
    EXPECT_EQ(after.liveBytes, before.liveBytes);
}

// Around the large-block threshold: every byte is writable and keeps its value, large blocks start
// on a huge-page boundary, and both kinds are released through the same call.
TEST(MemoryTest, RawBlocksOnBothSidesOfTheLargeBlockSize)
{
    for (const size_t size : {size_t(0), size_t(1), MemLargeBlockSize - 1, MemLargeBlockSize,
                              MemLargeBlockSize + 12345, size_t(3) * MemLargeBlockSize})
    {
        auto* block = static_cast<unsigned char*>(MemAllocateBlock(size));
        ASSERT_NE(block, nullptr) << size;
        if (size >= MemLargeBlockSize)
        {
            EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % (size_t(2) << 20), 0u) << size;
        }
        if (size)
        {
            block[size - 1] = 0xa5;
            block[0] = 0x5a;
            EXPECT_EQ(block[0], 0x5a);
            EXPECT_EQ(block[size - 1], size > 1 ? 0xa5 : 0x5a);
        }
        MemFreeBlock(block, size);
    }
}

// Loading a file of the same size again reuses the freed block instead of faulting in a new one.
TEST(MemoryTest, AFreedLargeBlockServesTheNextRequestOfItsLength)
{
    void* first = MemAllocateBlock(MemLargeBlockSize + 100);
    ASSERT_NE(first, nullptr);
    MemFreeBlock(first, MemLargeBlockSize + 100);
    void* again = MemAllocateBlock(MemLargeBlockSize + 200);
    EXPECT_EQ(again, first);
    void* other = MemAllocateBlock(3 * MemLargeBlockSize);
    EXPECT_NE(other, first);
    MemFreeBlock(again, MemLargeBlockSize + 200);
    MemFreeBlock(other, 3 * MemLargeBlockSize);
}
