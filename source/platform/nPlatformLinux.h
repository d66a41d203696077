#pragma once

#include "platform/nPlatform.h"

class nPlatformLinux : public nPlatform
{
public:
    static constexpr uint64_t ClockFrequency = 10000;

    nPlatformLinux();

    uint32_t GetProcessorCount() const override { return m_processorCount; }
    const char* GetName() const override { return "Linux"; }
    uint64_t GetClockFrequency() const override { return ClockFrequency; }
    uint64_t GetClock() const override;
    void Sleep(uint32_t milliseconds) const override;

private:
    uint32_t m_processorCount;
};
