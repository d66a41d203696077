#include "core/base/nAutoArray.h"
#include "core/base/nMemory.h"
#include "platform/nstring/nString.h"

#include <gtest/gtest.h>

TEST(AutoArrayTest, StorageIsCountedInItsCategory)
{
    nMemCounters before = MemGetCounters(MemCategoryTexture);
    {
        nAutoArray<uint32_t> array(8, MemCategoryTexture);
        EXPECT_EQ(array.GetCount(), 8u);
        EXPECT_EQ(array.GetSize(), 32u);
        EXPECT_EQ(*array.At(7), 0u);
        EXPECT_EQ(MemGetCounters(MemCategoryTexture).liveBytes, before.liveBytes + 32);
    }
    EXPECT_EQ(MemGetCounters(MemCategoryTexture).liveBytes, before.liveBytes);
    EXPECT_EQ(MemGetCounters(MemCategoryTexture).liveCount, before.liveCount);
}

TEST(AutoArrayTest, ResizeKeepsContentsOnlyForTheSameCount)
{
    nMemCounters before = MemGetCounters(MemCategoryMaterial);
    nScalarArray array(4, MemCategoryMaterial);
    *array.At(3) = 77;
    EXPECT_TRUE(array.Resize(4));
    EXPECT_EQ(*array.At(3), 77u);
    EXPECT_TRUE(array.Resize(6));
    EXPECT_EQ(*array.At(3), 0u);
    EXPECT_EQ(MemGetCounters(MemCategoryMaterial).liveBytes, before.liveBytes + 24);
    EXPECT_TRUE(array.Resize(0));
    EXPECT_EQ(array.GetData(), nullptr);
    EXPECT_EQ(MemGetCounters(MemCategoryMaterial).liveBytes, before.liveBytes);
    EXPECT_EQ(MemGetCounters(MemCategoryMaterial).liveCount, before.liveCount);
}

TEST(AutoArrayTest, CopiesAndMovesCountCorrectly)
{
    nMemCounters general = MemGetCounters(MemCategoryGeneral);
    nMemCounters curve = MemGetCounters(MemCategoryCurve);
    {
        nAutoArray<uint16_t> source(3, MemCategoryGeneral);
        *source.At(1) = 5;
        nAutoArray<uint16_t> copy(source, MemCategoryCurve);
        EXPECT_EQ(*copy.At(1), 5);
        EXPECT_EQ(MemGetCounters(MemCategoryCurve).liveBytes, curve.liveBytes + 6);
        nAutoArray<uint16_t> moved(std::move(source));
        EXPECT_EQ(source.GetCount(), 0u);
        EXPECT_EQ(*moved.At(1), 5);
        EXPECT_EQ(MemGetCounters(MemCategoryGeneral).liveBytes, general.liveBytes + 6);
        copy = std::move(moved);
        EXPECT_EQ(copy.GetCategory(), static_cast<uint32_t>(MemCategoryGeneral));
    }
    EXPECT_EQ(MemGetCounters(MemCategoryGeneral).liveBytes, general.liveBytes);
    EXPECT_EQ(MemGetCounters(MemCategoryCurve).liveBytes, curve.liveBytes);
}

TEST(AutoArrayTest, OverwriteStorageConstructsWhatNeedsIt)
{
    // Elements with their own resources are still built and destroyed (ASan would see a leak
    // or a wild free otherwise); plain ones are the caller's to write.
    nAutoArray<nString> names(MemCategoryGeneral);
    ASSERT_TRUE(names.ResizeForOverwrite(3));
    EXPECT_EQ(names.At(2)->GetLength(), 0u);
    *names.At(1) = "kept";
    ASSERT_TRUE(names.ResizeForOverwrite(5));
    EXPECT_EQ(names.At(1)->GetLength(), 0u);
    nAutoArray<uint32_t> plain(MemCategoryGeneral);
    ASSERT_TRUE(plain.ResizeForOverwrite(4));
    for (uint32_t i = 0; i < 4; ++i)
        *plain.At(i) = i;
    EXPECT_TRUE(plain.Resize(6));
    EXPECT_EQ(*plain.At(3), 0u);
}
