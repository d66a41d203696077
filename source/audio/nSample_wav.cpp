#include "audio/nSample.h"

#include "core/base/nLog.h"
#include "core/io/nIOHandle.h"
#include "platform/nPlatform.h"

#include <cstring>
#include <memory>

namespace
{
constexpr uint32_t FormatChunkSize = 16;
constexpr uint32_t ExtensibleChunkSize = 40;
constexpr uint16_t FormatTagPCM = 1;
constexpr uint16_t FormatTagExtensible = 0xFFFE;
// The sub-format of an extensible header that says integer PCM.
constexpr uint8_t SubFormatPCM[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                      0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t ReadU16(const uint8_t* bytes)
{
    return uint16_t(bytes[0] | bytes[1] << 8);
}

uint32_t ReadU32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

struct WavFormat
{
    uint16_t tag = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t bitsPerSample = 0;
};

// Reads one WAV file through the mount table. Every size from the file is checked against what
// is left of it before anything is read or allocated; chunks of odd size are followed by a pad byte.
class WavReader
{
public:
    WavReader(nSample& sample, const nString& path) : m_sample(sample), m_path(path) {}

    bool Read()
    {
        m_file.reset(nPlatform::Get().GetIOSystem().Open(m_path, IOModeRead));
        if (!m_file)
            return false;
        m_fileSize = m_file->GetSize();
        uint8_t header[12];
        if (!ReadExactly(header, sizeof(header)) || std::memcmp(header, "RIFF", 4) != 0 ||
            std::memcmp(header + 8, "WAVE", 4) != 0)
            return false;
        uint8_t chunk[8];
        if (!ReadExactly(chunk, 4))
            return false;
        bool haveFormat = false;
        bool haveData = false;
        for (;;)
        {
            if (!ReadExactly(chunk + 4, 4))
                break;
            const uint32_t size = ReadU32(chunk + 4);
            const uint64_t padded = uint64_t(size) + (size & 1);
            if (std::memcmp(chunk, "fmt ", 4) == 0)
            {
                if (!ReadFormat(size))
                    return false;
                haveFormat = true;
            }
            else if (std::memcmp(chunk, "data", 4) == 0)
            {
                if (!ReadData(size, haveFormat))
                    return false;
                haveData = true;
            }
            else
                Skip(padded);
            if (!ReadExactly(chunk, 4))
                break;
        }
        if (haveFormat)
            nLogHolder::Get() << "Sample format: " << m_format.rate / 1000 << "KHz@"
                              << uint32_t(m_format.bitsPerSample) << "bit, " << uint32_t(m_format.channels)
                              << " channel(s).\n";
        return haveFormat && haveData;
    }

private:
    bool Fail(const char* message)
    {
        nLogHolder::Get() << "[!] " << message << m_path << "'.\n";
        return false;
    }

    int64_t Remaining() { return m_fileSize - m_file->Tell(); }

    bool ReadExactly(void* buffer, size_t size) { return m_file->Read(buffer, size) == size; }

    void Skip(uint64_t bytes)
    {
        if (bytes)
            m_file->Seek(int64_t(bytes), IOSeekCurrent);
    }

    bool ReadFormat(uint32_t size)
    {
        if (size > FormatChunkSize)
            nLogHolder::Get() << nString::Format(
                "[*] Unexpected WAV 'format' chunk size. Found %u, expected %u.\n", size, FormatChunkSize);
        if (size < FormatChunkSize || int64_t(size) > Remaining())
            return Fail("Mangled WAV 'format' chunk in '");
        uint8_t bytes[ExtensibleChunkSize];
        const uint32_t kept = size < ExtensibleChunkSize ? size : ExtensibleChunkSize;
        if (!ReadExactly(bytes, kept))
            return Fail("Mangled WAV 'format' chunk in '");
        Skip(uint64_t(size) - kept + (size & 1));
        m_format.tag = ReadU16(bytes);
        m_format.channels = ReadU16(bytes + 2);
        m_format.rate = ReadU32(bytes + 4);
        m_format.bitsPerSample = ReadU16(bytes + 14);
        const bool extensiblePCM = m_format.tag == FormatTagExtensible && kept >= ExtensibleChunkSize &&
                                   std::memcmp(bytes + 24, SubFormatPCM, sizeof(SubFormatPCM)) == 0;
        if (m_format.tag != FormatTagPCM && !extensiblePCM)
        {
            nLogHolder::Get() << "[!] Unsupported WAV format tag " << uint32_t(m_format.tag)
                              << " (only PCM is read) in '" << m_path << "'.\n";
            return false;
        }
        return true;
    }

    // The buffer holds whole frames; bytes of a partial last frame are skipped with the pad.
    bool ReadData(uint32_t size, bool haveFormat)
    {
        if (!haveFormat || m_format.bitsPerSample < 8 || m_format.bitsPerSample % 8 != 0 ||
            m_format.channels == 0)
            return Fail("mangled WAV 'data' chunk in '");
        if (int64_t(size) > Remaining())
            return Fail("mangled WAV 'data' chunk in '");
        nSampleFormat format;
        format.kind = 0;
        format.channels = m_format.channels;
        format.rate = m_format.rate;
        format.bitsPerSample = m_format.bitsPerSample;
        const uint32_t frames = size / (format.bitsPerSample / 8) / format.channels;
        uint8_t* buffer = m_sample.Alloc(frames, format);
        if (!buffer)
            return Fail("failed to allocate WAV data chunk for '");
        const size_t bytes = m_sample.GetSize();
        if (!ReadExactly(buffer, bytes))
            return Fail("mangled WAV 'data' chunk in '");
        Skip(uint64_t(size) - bytes + (size & 1));
        return true;
    }

    nSample& m_sample;
    const nString& m_path;
    std::unique_ptr<nIOHandle> m_file;
    int64_t m_fileSize = 0;
    WavFormat m_format;
};
} // namespace

bool nSample::ReadWAV(const nString& path)
{
    Free();
    WavReader reader(*this, path);
    return reader.Read();
}
