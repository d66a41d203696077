#pragma once

#include <cstdint>

class nMutex;
class nString;

enum nLogLevel : uint8_t
{
    LogLevelNone = 0,
    LogLevelStandard = 1,
    LogLevelHeader = 2,
    LogLevelWarning = 4,
    LogLevelError = 8,
    LogLevelScript = 16,
    LogLevelAll = 0xFF,
};

// The process-wide log stream. Pieces are appended to one pending line; a text piece that holds a
// newline finishes the line, which is written when its level (taken from the "[!]", "[*]", "[H]"
// or "[S]" prefix, every level including the standard bit) shares a bit with the mask.
class nLog
{
public:
    static constexpr uint32_t LineCapacity = 4095;

    nLog();
    nLog(const nLog&) = delete;
    nLog& operator=(const nLog&) = delete;
    virtual ~nLog();

    virtual void Output(const char* line, uint8_t level);

    void SetMask(uint8_t mask);
    uint8_t GetMask() const;
    void ClearLine();

    static uint8_t GetLineLevel(const char* line);

    nLog& operator<<(const char* text);
    nLog& operator<<(const nString& text);
    nLog& operator<<(char value);
    nLog& operator<<(short value);
    nLog& operator<<(int value);
    nLog& operator<<(unsigned char value);
    nLog& operator<<(unsigned short value);
    nLog& operator<<(unsigned int value);
    nLog& operator<<(float value);
    nLog& operator<<(bool value);

private:
    void Append(const char* piece, uint32_t length);
    void AppendNumber(int64_t value);
    void EmitLine();

    nMutex* m_mutex;
    char m_line[LineCapacity + 2]; // room for the newline restored after a cut
    uint32_t m_length = 0;
    bool m_cut = false;
    uint8_t m_mask = LogLevelAll;
};

// Holds the installed log; its own default log exists from first use to the end of the process.
class nLogHolder
{
public:
    static nLog& Get();
    static void Set(nLog* log);
};
