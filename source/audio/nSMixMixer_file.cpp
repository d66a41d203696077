#include "audio/nSMixMixer.h"

#include "core/base/nLog.h"
#include "core/base/nSharedPtr.h"
#include "core/io/nIOCFile.h"
#include "core/io/nIOHandle.h"
#include "platform/nPlatform.h"

#include <algorithm>
#include <limits>

namespace
{
void PutU16(uint8_t*& out, uint32_t value)
{
    *out++ = uint8_t(value & 0xFF);
    *out++ = uint8_t((value >> 8) & 0xFF);
}

void PutU32(uint8_t*& out, uint32_t value)
{
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

void PutTag(uint8_t*& out, const char* tag)
{
    out = std::copy(tag, tag + 4, out);
}

bool WriteU32At(nIOHandle& file, int64_t position, uint32_t value)
{
    uint8_t bytes[4];
    uint8_t* out = bytes;
    PutU32(out, value);
    file.Seek(position, IOSeekSet);
    return file.Write(bytes, sizeof(bytes)) == sizeof(bytes);
}

uint32_t ToU32(uint64_t value)
{
    return uint32_t(std::min<uint64_t>(value, std::numeric_limits<uint32_t>::max()));
}
} // namespace

bool nSMixMixer::OpenOutputFile(const nString& path)
{
    m_file.reset();
    m_outputPath = path;
    m_outputFailed = true; // until the header is written
    m_file.reset(nPlatform::Get().GetIOSystem().Open(path, IOModeWrite));
    if (!m_file)
    {
        // A path the mount table does not answer is a host path, as given on the command line.
        nSharedPtr<nIOCFile> host(new nIOCFile(nString()));
        m_file.reset(host->Open(path, IOModeWrite));
    }
    if (!m_file)
    {
        nLogHolder::Get() << "[!] Could not open the sound output file '" << path << "'.\n";
        return false;
    }
    uint8_t header[44];
    uint8_t* out = header;
    PutTag(out, "RIFF");
    m_riffSizePosition = out - header;
    PutU32(out, 0);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutU32(out, 16);
    PutU16(out, 1);
    PutU16(out, 2);
    PutU32(out, OutputRate);
    PutU32(out, OutputRate * BytesPerFrame);
    PutU16(out, BytesPerFrame);
    PutU16(out, 16);
    PutTag(out, "data");
    m_dataSizePosition = out - header;
    PutU32(out, 0);
    m_dataBytes = 0;
    if (m_file->Write(header, sizeof(header)) != sizeof(header))
    {
        nLogHolder::Get() << "[!] Could not write the sound output file '" << path << "'.\n";
        m_file.reset();
        return false;
    }
    m_outputFailed = false;
    return true;
}

// A file that lost a piece is worth nothing: it is dropped uncommitted, so a previous file of that
// name stays as it was, and the failure is named once.
void nSMixMixer::AbandonFile()
{
    nLogHolder::Get() << "[!] Could not write the sound output file '" << m_outputPath << "'.\n";
    m_outputFailed = true;
    m_file.reset();
}

void nSMixMixer::FinishFile()
{
    if (!m_file)
        return;
    m_file->Seek(0, IOSeekEnd);
    const int64_t length = m_file->Tell();
    const bool sizesWritten = length > 4 && WriteU32At(*m_file, m_dataSizePosition, ToU32(m_dataBytes)) &&
                              WriteU32At(*m_file, m_riffSizePosition, ToU32(uint64_t(length - 8)));
    if (!sizesWritten)
    {
        AbandonFile();
        return;
    }
    if (!m_file->Commit()) // which names the file
        m_outputFailed = true;
    m_file.reset();
}

void nSMixMixer::SetFixedStep(uint64_t ticks, bool logChange)
{
    const uint64_t frequency = std::max<uint64_t>(nPlatform::Get().GetClockFrequency(), 1);
    if (logChange && (!m_hasFixedStep || ticks != m_fixedTicks))
    {
        const uint64_t bytes = ticks * OutputRate / frequency * BytesPerFrame;
        nLogHolder::Get() << "Fixed mixer step: " << unsigned(ToU32(bytes))
                          << " bytes (step = " << unsigned(ToU32(ticks)) << ").\n";
    }
    m_hasFixedStep = true;
    m_fixedTicks = ticks;
}

uint32_t nSMixMixer::TakeStepBytes()
{
    if (!m_hasFixedStep)
        return 0;
    const uint64_t frequency = std::max<uint64_t>(nPlatform::Get().GetClockFrequency(), 1);
    const uint64_t total = m_fixedTicks * OutputRate + m_stepRemainder;
    m_stepRemainder = total % frequency;
    return ToU32(total / frequency * BytesPerFrame);
}
