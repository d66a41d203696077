#include "core/base/nLog.h"

#include "platform/nMutex.h"
#include "platform/nstring/nString.h"

#include <atomic>
#include <charconv>
#include <cstdio>
#include <cstring>

nLog::nLog() : m_mutex(new nMutex())
{
    m_line[0] = '\0';
}

nLog::~nLog()
{
    delete m_mutex;
}

void nLog::Output(const char* line, uint8_t)
{
    std::fwrite(line, 1, std::strlen(line), stdout);
    std::fflush(stdout);
}

void nLog::SetMask(uint8_t mask)
{
    m_mutex->Lock();
    m_mask = mask;
    m_mutex->Unlock();
}

uint8_t nLog::GetMask() const
{
    m_mutex->Lock();
    uint8_t mask = m_mask;
    m_mutex->Unlock();
    return mask;
}

void nLog::ClearLine()
{
    m_mutex->Lock();
    m_length = 0;
    m_cut = false;
    m_line[0] = '\0';
    m_mutex->Unlock();
}

uint8_t nLog::GetLineLevel(const char* line)
{
    if (!line || line[0] != '[' || line[1] == '\0' || line[2] != ']')
        return LogLevelStandard;
    switch (line[1])
    {
    case '!':
        return LogLevelError | LogLevelStandard;
    case '*':
        return LogLevelWarning | LogLevelStandard;
    case 'H':
        return LogLevelHeader | LogLevelStandard;
    case 'S':
        return LogLevelScript | LogLevelStandard;
    default:
        return LogLevelStandard;
    }
}

// Called with the mutex held.
void nLog::Append(const char* piece, uint32_t length)
{
    uint32_t room = LineCapacity - m_length;
    if (length > room)
    {
        length = room;
        m_cut = true;
    }
    std::memcpy(m_line + m_length, piece, length);
    m_length += length;
    m_line[m_length] = '\0';
}

// Called with the mutex held. A line cut at the capacity lost its newline; it gets one back so
// the next line does not run on after it.
void nLog::EmitLine()
{
    if (m_length > 0)
    {
        if (m_cut && m_line[m_length - 1] != '\n')
        {
            m_line[m_length] = '\n';
            m_line[m_length + 1] = '\0';
        }
        uint8_t level = GetLineLevel(m_line);
        if (level & m_mask)
            Output(m_line, level);
    }
    m_length = 0;
    m_cut = false;
    m_line[0] = '\0';
}

void nLog::AppendNumber(int64_t value)
{
    char digits[24];
    auto result = std::to_chars(digits, digits + sizeof(digits), value);
    m_mutex->Lock();
    Append(digits, static_cast<uint32_t>(result.ptr - digits));
    m_mutex->Unlock();
}

// Everything the piece holds belongs to the line it finishes, even text after its newline.
nLog& nLog::operator<<(const char* text)
{
    if (!text)
        return *this;
    size_t length = std::strlen(text);
    m_mutex->Lock();
    Append(text, length > LineCapacity ? LineCapacity + 1 : static_cast<uint32_t>(length));
    if (std::memchr(text, '\n', length))
        EmitLine();
    m_mutex->Unlock();
    return *this;
}

nLog& nLog::operator<<(const nString& text)
{
    if (text.GetText())
    {
        m_mutex->Lock();
        Append(text.GetText(), text.GetLength());
        m_mutex->Unlock();
    }
    return *this;
}

nLog& nLog::operator<<(char value)
{
    AppendNumber(value);
    return *this;
}

nLog& nLog::operator<<(short value)
{
    AppendNumber(value);
    return *this;
}

nLog& nLog::operator<<(int value)
{
    AppendNumber(value);
    return *this;
}

nLog& nLog::operator<<(unsigned char value)
{
    AppendNumber(value);
    return *this;
}

nLog& nLog::operator<<(unsigned short value)
{
    AppendNumber(value);
    return *this;
}

// Unsigned: counts and sizes of 2^31 and more would read as negative.
nLog& nLog::operator<<(unsigned int value)
{
    AppendNumber(value);
    return *this;
}

nLog& nLog::operator<<(float value)
{
    char digits[64];
    auto result = std::to_chars(digits, digits + sizeof(digits), static_cast<double>(value),
                                std::chars_format::fixed, 3);
    uint32_t length = result.ec == std::errc() ? static_cast<uint32_t>(result.ptr - digits) : 0;
    m_mutex->Lock();
    Append(digits, length);
    m_mutex->Unlock();
    return *this;
}

nLog& nLog::operator<<(bool value)
{
    m_mutex->Lock();
    if (value)
        Append("True", 4);
    else
        Append("False", 5);
    m_mutex->Unlock();
    return *this;
}

namespace
{
std::atomic<nLog*> installedLog{nullptr};

// Never destroyed, so static destructors can still log at exit.
nLog& DefaultLog()
{
    static nLog* const log = new nLog();
    return *log;
}
} // namespace

nLog& nLogHolder::Get()
{
    nLog* log = installedLog.load(std::memory_order_acquire);
    return log ? *log : DefaultLog();
}

void nLogHolder::Set(nLog* log)
{
    installedLog.store(log, std::memory_order_release);
}
