#pragma once

#include <cstdint>

// Times a piece of work: Begin/End pairs accumulate busy ticks, and at most ten times a
// second End turns them into a report (rate, load, average). Ticks are kept in 32 bits,
// so a Begin/End pair may straddle the wrap of the clock.
class nPerfCounter
{
public:
    nPerfCounter();

    void Reset();
    void Begin(bool noCount = false);
    // Returns the rate of the latest report.
    float End();
    void AddTicks(uint32_t ticks);
    void NextFrame();

    // The same with the clock reading given, for callers that read it once for several
    // counters.
    void ResetAt(uint32_t now);
    void BeginAt(uint32_t now, bool noCount = false);
    float EndAt(uint32_t now);

    float GetRate() const { return m_rate; }
    float GetLoad() const { return m_load; }
    float GetAverage() const { return m_average; }
    float GetLast() const { return m_last; }
    float GetPreviousAverage() const { return m_previousAverage; }
    float GetPrevious() const { return m_previous; }
    uint32_t GetSamples() const { return m_samples; }

private:
    uint32_t m_begin = 0;
    uint32_t m_busyTicks = 0;
    uint32_t m_reportStart = 0;
    uint32_t m_samples = 0;
    float m_rate = 0.0f;
    float m_load = 0.0f;
    float m_average = 0.0f;
    float m_last = 0.0f;
    float m_previousAverage = 0.0f;
    float m_previous = 0.0f;
    uint32_t m_ticksPerSecond;
};
