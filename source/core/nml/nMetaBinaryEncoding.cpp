#include "core/nml/nMetaBinaryEncoding.h"

#include "core/base/nLog.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace
{
constexpr size_t UUGroupsPerLine = 15;

// Output that counts every element but stores only while there is room; without a buffer it
// only counts.
template <typename T> class nBoundedOutput
{
public:
    nBoundedOutput(T* out, size_t capacity) : m_out(out), m_capacity(out ? capacity : SIZE_MAX) {}

    bool Put(T c)
    {
        if (m_count >= m_capacity)
            return false;
        if (m_out)
            m_out[m_count] = c;
        ++m_count;
        return true;
    }

    size_t GetCount() const { return m_count; }

private:
    T* m_out;
    size_t m_capacity;
    size_t m_count = 0;
};

char UUChar(uint32_t sixBits)
{
    return static_cast<char>(32 + (sixBits & 63));
}

uint32_t UUValue(char c)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(c) - 32) & 63;
}
} // namespace

size_t EncodeUU(const uint8_t* data, size_t size, char* out, size_t capacity)
{
    nBoundedOutput<char> output(out, capacity);
    size_t position = 0;
    while (position < size)
    {
        size_t lineBytes = size - position;
        if (lineBytes > UUGroupsPerLine * 3)
            lineBytes = UUGroupsPerLine * 3;
        size_t groups = (lineBytes + 2) / 3;
        if (!output.Put(static_cast<char>(32 + groups * 3)))
            break;
        for (size_t group = 0; group < groups; ++group)
        {
            uint32_t bits = 0;
            for (size_t i = 0; i < 3; ++i)
            {
                bits <<= 8;
                if (position + i < size)
                    bits |= data[position + i];
            }
            position += 3;
            if (!output.Put(UUChar(bits >> 18)) || !output.Put(UUChar(bits >> 12)) ||
                !output.Put(UUChar(bits >> 6)) || !output.Put(UUChar(bits)))
                return output.GetCount();
        }
        if (!output.Put('\n'))
            break;
    }
    return output.GetCount();
}

size_t DecodeUU(const char* text, size_t length, uint8_t* out, size_t capacity)
{
    nBoundedOutput<uint8_t> output(out, capacity);
    size_t position = 0;
    while (position < length)
    {
        if (position + 1 == length)
            break;
        uint8_t lengthChar = static_cast<uint8_t>(text[position++]);
        size_t groups = lengthChar > 32 ? (lengthChar - 32u) / 3u : 0;
        for (size_t group = 0; group < groups; ++group)
        {
            if (length - position < 4)
            {
                nLogHolder::Get() << "[*] input buffer underflow.\n";
                return output.GetCount();
            }
            uint32_t bits = UUValue(text[position]) << 18 | UUValue(text[position + 1]) << 12 |
                            UUValue(text[position + 2]) << 6 | UUValue(text[position + 3]);
            position += 4;
            for (int shift = 16; shift >= 0; shift -= 8)
                if (!output.Put(static_cast<uint8_t>(bits >> shift)))
                    return output.GetCount();
        }
        if (length - position <= 1)
            break;
        ++position; // the LF ending the line
    }
    return output.GetCount();
}

size_t EncodeYEnc(const uint8_t* data, size_t size, char* out, size_t capacity, size_t lineLength)
{
    if (lineLength == 0)
    {
        nLogHolder::Get() << "[!] invalid line-feed size for yEncoding.\n";
        return 0;
    }
    nBoundedOutput<char> output(out, capacity);
    size_t lineFill = 0;
    for (size_t i = 0; i < size; ++i)
    {
        if (lineFill >= lineLength)
        {
            if (!output.Put('\n'))
                break;
            lineFill = 0;
        }
        uint8_t c = static_cast<uint8_t>(data[i] + 42);
        if (c == 0 || c == '\n' || c == '\r' || c == '=')
        {
            if (!output.Put('=') || !output.Put(static_cast<char>(static_cast<uint8_t>(c + 64))))
                break;
            lineFill += 2;
        }
        else
        {
            if (!output.Put(static_cast<char>(c)))
                break;
            ++lineFill;
        }
    }
    return output.GetCount();
}

namespace
{
constexpr uint64_t EveryByte(uint8_t byte)
{
    return 0x0101010101010101ull * byte;
}

// True when some byte of word equals byte (the classic zero-byte test on word ^ pattern).
bool HasByte(uint64_t word, uint8_t byte)
{
    const uint64_t x = word ^ EveryByte(byte);
    return ((x - EveryByte(1)) & ~x & EveryByte(0x80)) != 0;
}

// Eight bytes less 42 each, without a borrow crossing from one byte into the next.
uint64_t SubtractFromEveryByte(uint64_t word, uint8_t byte)
{
    const uint64_t high = EveryByte(0x80);
    const uint64_t subtrahend = EveryByte(byte);
    return ((word | high) - (subtrahend & ~high)) ^ ((word ^ ~subtrahend) & high);
}

// An escape pair may begin a line (the encoder breaks lines before whole bytes), so the byte
// after a line feed is decoded like any other. Store is false when the caller only counts. Runs
// of eight characters with neither LF nor "=" (most of a block) are decoded a word at a time.
template <bool Store> size_t DecodeYEncInto(const char* text, size_t length, uint8_t* out, size_t capacity)
{
    const auto* in = reinterpret_cast<const uint8_t*>(text);
    const uint8_t* end = in + length;
    size_t count = 0;
    while (in < end)
    {
#if defined(__SSE2__)
        // Sixteen characters a step; a step that meets a LF or an escape keeps the characters
        // before it and leaves that one to the byte path below.
        const __m128i lineFeeds = _mm_set1_epi8('\n');
        const __m128i escapes = _mm_set1_epi8('=');
        const __m128i offsets = _mm_set1_epi8(42);
        while (end - in >= 16 && capacity - count >= 16)
        {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
            const int special = _mm_movemask_epi8(
                _mm_or_si128(_mm_cmpeq_epi8(block, lineFeeds), _mm_cmpeq_epi8(block, escapes)));
            const size_t plain = special ? size_t(__builtin_ctz(unsigned(special))) : 16;
            if constexpr (Store)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + count), _mm_sub_epi8(block, offsets));
            in += plain;
            count += plain;
            if (special)
                break;
        }
#endif
        while (end - in >= 8 && capacity - count >= 8)
        {
            uint64_t word;
            std::memcpy(&word, in, 8);
            if (HasByte(word, '\n') || HasByte(word, '='))
                break;
            if constexpr (Store)
            {
                word = SubtractFromEveryByte(word, 42);
                std::memcpy(out + count, &word, 8);
            }
            in += 8;
            count += 8;
        }
        if (in == end)
            break;
        uint8_t c = *in++;
        if (c == '\n' || c == '=')
        {
            if (in == end)
            {
                nLogHolder::Get() << "[*] input buffer underflow.\n";
                break;
            }
            if (c == '\n')
                continue;
            c = static_cast<uint8_t>(*in++ - 64);
        }
        if (count == capacity)
            break;
        if constexpr (Store)
            out[count] = static_cast<uint8_t>(c - 42);
        ++count;
    }
    return count;
}
} // namespace

size_t DecodeYEnc(const char* text, size_t length, uint8_t* out, size_t capacity)
{
    return out ? DecodeYEncInto<true>(text, length, out, capacity)
               : DecodeYEncInto<false>(text, length, nullptr, SIZE_MAX);
}
