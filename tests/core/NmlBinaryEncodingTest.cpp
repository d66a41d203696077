#include "core/nml/nMetaBinaryEncoding.h"

#include "NmlLogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
std::string UU(const std::vector<uint8_t>& data)
{
    size_t count = EncodeUU(data.data(), data.size(), nullptr, 0);
    std::string text(count, '\0');
    EXPECT_EQ(count, EncodeUU(data.data(), data.size(), text.data(), text.size()));
    return text;
}

std::string YEnc(const std::vector<uint8_t>& data, size_t lineLength = YEncLineLength)
{
    size_t count = EncodeYEnc(data.data(), data.size(), nullptr, 0, lineLength);
    std::string text(count, '\0');
    EXPECT_EQ(count, EncodeYEnc(data.data(), data.size(), text.data(), text.size(), lineLength));
    return text;
}

std::vector<uint8_t> AllBytes(size_t count)
{
    std::vector<uint8_t> data(count);
    for (size_t i = 0; i < count; ++i)
        data[i] = static_cast<uint8_t>(i * 7 + i / 256);
    return data;
}
} // namespace

TEST(NmlBinaryEncodingTest, UUGroupsAndLines)
{
    EXPECT_EQ("#    \n", UU({0, 0, 0}));
    EXPECT_EQ("#_P  \n", UU({255}));
    EXPECT_EQ("", UU({}));

    std::string full = UU(std::vector<uint8_t>(45, 1));
    EXPECT_EQ(62u, full.size());
    EXPECT_EQ('M', full[0]); // 32 + 45

    std::string two = UU(std::vector<uint8_t>(46, 1));
    ASSERT_EQ(62u + 6u, two.size());
    EXPECT_EQ('#', two[62]);
    EXPECT_EQ('\n', two.back());
}

TEST(NmlBinaryEncodingTest, YEncEscapesAndLineBreaks)
{
    EXPECT_EQ("=@", YEnc({214}));
    EXPECT_EQ("=M", YEnc({227}));
    EXPECT_EQ("=}", YEnc({19}));
    EXPECT_EQ("=J", YEnc({224})); // LF after the offset

    std::string line = YEnc(std::vector<uint8_t>(64, 'a'));
    EXPECT_EQ(64u, line.size());
    EXPECT_EQ(std::string::npos, line.find('\n'));

    std::string wrapped = YEnc(std::vector<uint8_t>(65, 'a'));
    ASSERT_EQ(66u, wrapped.size());
    EXPECT_EQ('\n', wrapped[64]);

    // An escape pair that starts at column 63 makes a line of 65 characters.
    std::vector<uint8_t> data(63, 'a');
    data.push_back(214);
    data.push_back('a');
    std::string long_line = YEnc(data);
    EXPECT_EQ(65u, long_line.find('\n'));
}

TEST(NmlBinaryEncodingTest, YEncLineLengthZeroIsRefused)
{
    NmlLogCapture log;
    uint8_t byte = 1;
    EXPECT_EQ(0u, EncodeYEnc(&byte, 1, nullptr, 0, 0));
    EXPECT_EQ("[!] invalid line-feed size for yEncoding.\n", log.text);
}

TEST(NmlBinaryEncodingTest, RoundTripsEveryByteInBothEncodings)
{
    for (size_t size : {0u, 1u, 2u, 3u, 44u, 45u, 46u, 64u, 65u, 200u, 1000u})
    {
        std::vector<uint8_t> data = AllBytes(size);
        std::string uu = UU(data);
        std::vector<uint8_t> decoded(size + 3);
        size_t produced = DecodeUU(uu.data(), uu.size(), decoded.data(), size);
        EXPECT_EQ(size, produced) << size;
        decoded.resize(size);
        EXPECT_EQ(data, decoded) << "uu " << size;

        std::string yenc = YEnc(data);
        EXPECT_EQ(size, DecodeYEnc(yenc.data(), yenc.size(), nullptr, 0));
        std::vector<uint8_t> decodedYEnc(size);
        EXPECT_EQ(size, DecodeYEnc(yenc.data(), yenc.size(), decodedYEnc.data(), size));
        EXPECT_EQ(data, decodedYEnc) << "yenc " << size;
    }
}

TEST(NmlBinaryEncodingTest, YEncEscapeAtStartOfLineDecodes)
{
    std::vector<uint8_t> data(64, 'a');
    data.push_back(214);
    data.push_back(19);
    std::string text = YEnc(data);
    ASSERT_EQ("\n=@", text.substr(64, 3));
    std::vector<uint8_t> decoded(data.size());
    EXPECT_EQ(data.size(), DecodeYEnc(text.data(), text.size(), decoded.data(), decoded.size()));
    EXPECT_EQ(data, decoded);
}

TEST(NmlBinaryEncodingTest, EncodersAndDecodersStopAtCapacity)
{
    std::vector<uint8_t> data = AllBytes(100);
    std::string yenc = YEnc(data);
    std::string uu = UU(data);

    std::vector<char> small(10, 'X');
    EXPECT_EQ(5u, EncodeYEnc(data.data(), data.size(), small.data(), 5, YEncLineLength));
    EXPECT_EQ('X', small[5]);
    EXPECT_EQ(5u, EncodeUU(data.data(), data.size(), small.data(), 5));
    EXPECT_EQ('X', small[5]);

    std::vector<uint8_t> out(10, 0xEE);
    EXPECT_EQ(7u, DecodeYEnc(yenc.data(), yenc.size(), out.data(), 7));
    EXPECT_EQ(0xEE, out[7]);
    EXPECT_EQ(7u, DecodeUU(uu.data(), uu.size(), out.data(), 7));
    EXPECT_EQ(0xEE, out[7]);
}

TEST(NmlBinaryEncodingTest, TruncatedInputIsReportedNotOverread)
{
    NmlLogCapture log;
    std::vector<uint8_t> out(16);
    EXPECT_EQ(0u, DecodeUU("#ab", 3, out.data(), out.size()));
    EXPECT_EQ("[*] input buffer underflow.\n", log.text);

    log.text.clear();
    EXPECT_EQ(1u, DecodeYEnc("a=", 2, out.data(), out.size()));
    EXPECT_EQ("[*] input buffer underflow.\n", log.text);

    // Length characters below 32 announce no groups instead of a huge count.
    log.text.clear();
    EXPECT_EQ(0u, DecodeUU("\x01xxxx\n", 6, out.data(), out.size()));
}

TEST(NmlBinaryEncodingTest, YEncWordRunsDecodeEveryByteAndStopAtAnyCapacity)
{
    // Long lines of plain bytes decode eight at a time: every byte value, escapes placed at each
    // offset of a word, and capacities that end inside a word must give the byte-wise result.
    std::vector<uint8_t> data;
    for (int round = 0; round < 4; ++round)
        for (int value = 0; value < 256; ++value)
        {
            data.push_back(static_cast<uint8_t>(value));
            for (int pad = 0; pad < (value + round) % 11; ++pad)
                data.push_back(static_cast<uint8_t>(value * 31 + pad));
        }
    for (size_t lineLength : {size_t(7), size_t(8), YEncLineLength, size_t(1000)})
    {
        const std::string text = YEnc(data, lineLength);
        std::vector<uint8_t> decoded(data.size());
        EXPECT_EQ(data.size(), DecodeYEnc(text.data(), text.size(), decoded.data(), decoded.size()));
        EXPECT_EQ(data, decoded) << lineLength;
        for (size_t capacity : {size_t(1), size_t(8), size_t(13), size_t(64), size_t(1001)})
        {
            std::vector<uint8_t> part(capacity + 8, 0xEE);
            EXPECT_EQ(capacity, DecodeYEnc(text.data(), text.size(), part.data(), capacity));
            EXPECT_TRUE(std::equal(part.begin(), part.begin() + long(capacity), data.begin())) << capacity;
            EXPECT_EQ(0xEE, part[capacity]) << capacity;
        }
    }
}
