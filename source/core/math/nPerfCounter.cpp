#include "core/math/nPerfCounter.h"

#include "platform/nPlatform.h"

namespace
{
uint32_t Now()
{
    return static_cast<uint32_t>(nPlatform::Get().GetClock());
}
} // namespace

nPerfCounter::nPerfCounter() : m_ticksPerSecond(static_cast<uint32_t>(nPlatform::Get().GetClockFrequency()))
{
    Reset();
}

void nPerfCounter::Reset()
{
    ResetAt(Now());
}

void nPerfCounter::ResetAt(uint32_t now)
{
    m_reportStart = now;
    m_samples = 0;
    m_busyTicks = 0;
    m_average = 0.0f;
    m_previousAverage = 0.0f;
    m_last = 0.0f;
    m_previous = 0.0f;
    m_rate = 0.0f;
}

void nPerfCounter::Begin(bool noCount)
{
    BeginAt(Now(), noCount);
}

void nPerfCounter::BeginAt(uint32_t now, bool noCount)
{
    m_begin = now;
    if (!noCount)
        ++m_samples;
}

float nPerfCounter::End()
{
    return EndAt(Now());
}

float nPerfCounter::EndAt(uint32_t now)
{
    m_previous = m_last;
    const uint32_t elapsed = now - m_begin; // unsigned, so a wrap of the clock still counts forward
    m_busyTicks += elapsed;
    m_last = static_cast<float>(static_cast<double>(elapsed) * 1000.0 / m_ticksPerSecond);

    const uint32_t period = now - m_reportStart;
    if (period <= m_ticksPerSecond / 10)
        return m_rate;

    m_previousAverage = m_average;
    m_load = static_cast<float>(100.0 * m_busyTicks / period);
    m_average =
        m_samples > 0
            ? static_cast<float>(static_cast<double>(m_busyTicks) / m_samples * 1000.0 / m_ticksPerSecond)
            : 0.0f;
    m_rate = m_busyTicks > 0
                 ? static_cast<float>(static_cast<double>(m_ticksPerSecond) * m_samples / m_busyTicks)
                 : 0.0f;
    m_busyTicks = 0;
    m_samples = 0;
    m_reportStart = now;
    return m_rate;
}

void nPerfCounter::AddTicks(uint32_t ticks)
{
    m_busyTicks += ticks;
}

void nPerfCounter::NextFrame()
{
    ++m_samples;
    m_previous = m_last;
    m_last = 0.0f;
}
