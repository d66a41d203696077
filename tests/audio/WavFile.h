#pragma once

#include <cstdint>
#include <string>

// Builds WAV files chunk by chunk; sizes are written as given, so a test can lie about them.
class WavFile
{
public:
    WavFile& Chunk(const char* id, uint32_t size, const std::string& body)
    {
        m_body += std::string(id, 4) + U32(size) + body;
        return *this;
    }
    WavFile& Chunk(const char* id, const std::string& body) { return Chunk(id, uint32_t(body.size()), body); }
    // A "fmt " chunk of 16 bytes plus the extra bytes given.
    WavFile& Format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                    const std::string& extra = "")
    {
        const uint16_t blockAlign = uint16_t(channels * bits / 8);
        return Chunk("fmt ", U16(tag) + U16(channels) + U32(rate) + U32(rate * blockAlign) + U16(blockAlign) +
                                 U16(bits) + extra);
    }
    std::string Build() const { return "RIFF" + U32(uint32_t(m_body.size() + 4)) + "WAVE" + m_body; }

    static std::string U16(uint16_t value) { return std::string{char(value & 0xFF), char(value >> 8)}; }
    static std::string U32(uint32_t value)
    {
        return U16(uint16_t(value & 0xFFFF)) + U16(uint16_t(value >> 16));
    }

private:
    std::string m_body;
};
