#include "core/base/nLog.h"
#include "platform/nBitOps.h"
#include "platform/nByteOrder.h"
#include "platform/nPlatform.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

namespace
{

TEST(PlatformTest, ClockCountsTenThousandTicksPerSecondAndIsNeverZero)
{
    const nPlatform& platform = nPlatform::Get();
    EXPECT_EQ(platform.GetClockFrequency(), 10000u);
    const uint64_t before = platform.GetClock();
    EXPECT_NE(before, 0u);
    platform.Sleep(30);
    const uint64_t after = platform.GetClock();
    EXPECT_GE(after - before, 300u);
    EXPECT_STREQ(platform.GetName(), "Linux");
    EXPECT_GE(platform.GetProcessorCount(), 1u);
}

TEST(PlatformTest, NumbersUseTheCLocale)
{
    nPlatform::Get();
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    char text[16];
    std::snprintf(text, sizeof(text), "%.1f", 1.5);
    EXPECT_STREQ(text, "1.5");
}

TEST(PlatformTest, SwappingBytes)
{
    uint8_t two[] = {1, 2};
    uint8_t three[] = {1, 2, 3};
    uint8_t four[] = {1, 2, 3, 4};
    PlatformSwapBytes(2, two);
    PlatformSwapBytes(3, three);
    PlatformSwapBytes(4, four);
    EXPECT_EQ(std::memcmp(two, "\x02\x01", 2), 0);
    EXPECT_EQ(std::memcmp(three, "\x01\x02\x03", 3), 0);
    EXPECT_EQ(std::memcmp(four, "\x04\x03\x02\x01", 4), 0);

    const uint8_t stored[] = {0x12, 0x34, 0x56, 0x78};
    EXPECT_EQ(nEndian(EndianBig).ReadU32(stored), 0x12345678u);
    EXPECT_EQ(nEndian(EndianLittle).ReadU32(stored), 0x78563412u);
    EXPECT_EQ(nEndian(EndianBig).ReadU16(stored), 0x1234u);
    uint8_t written[4] = {};
    nEndian(EndianBig).StoreS32(written, -2);
    EXPECT_EQ(std::memcmp(written, "\xFF\xFF\xFF\xFE", 4), 0);
    nEndian(EndianBig).StoreFloat(written, 1.0f);
    EXPECT_EQ(nEndian(EndianBig).ReadFloat(written), 1.0f);
}

class EndiannessLog : public nLog
{
public:
    EndiannessLog() { nLogHolder::Set(this); }
    ~EndiannessLog() override { nLogHolder::Set(nullptr); }
    void Output(const char* line, uint8_t) override { text += line; }
    std::string text;
};

TEST(PlatformTest, HostEndiannessIsReportedOnce)
{
    EndiannessLog log;
    EXPECT_EQ(PlatformGetHostEndianness(), EndianLittle);
    EXPECT_EQ(PlatformGetHostEndianness(), EndianLittle);
    // An earlier test in this process may already have asked.
    EXPECT_TRUE(log.text.empty() || log.text == "Host memory configuration: Using little endian.\n");
}

TEST(PlatformTest, BitFields)
{
    uint8_t buffer[4] = {};
    EXPECT_EQ(BitWrite(buffer, 6, 3, 5), 1u);
    EXPECT_EQ(buffer[0], 0x40);
    EXPECT_EQ(buffer[1], 0x01);
    EXPECT_EQ(BitRead(buffer, 6, 3), 5u);

    uint8_t wide[4] = {};
    BitWrite16(wide, 3, 0xBEEF);
    EXPECT_EQ(BitRead16(wide, 3), 0xBEEF);

    EXPECT_EQ(BitCount(0xF0F0u), 8u);
    EXPECT_EQ(LowestSetBit(1), 0u);
    EXPECT_EQ(LowestSetBit(0x80u), 7u);
    EXPECT_EQ(LowestSetBit(0), 32u);

    const uint8_t a[16] = {1};
    const uint8_t b[16] = {1};
    const uint8_t c[16] = {2};
    EXPECT_FALSE(MemoryDiffers(a, b, 16));
    EXPECT_TRUE(MemoryDiffers(a, c, 16));
    EXPECT_TRUE(MemoryDiffers(a, nullptr, 16));
    EXPECT_TRUE(IdentifierEquals(a, b));
    EXPECT_FALSE(IdentifierEquals(a, c));
}

}
