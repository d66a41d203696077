#include "engine/Quenvar.h"

#include "core/base/nLog.h"
#include "platform/nPlatform.h"

namespace
{
constexpr int64_t CorrectionUnit = 100000; // accumulator units per tick

int64_t TickFrequency()
{
    return int64_t(nPlatform::Get().GetClockFrequency());
}
} // namespace

void Quenvar::UpdateClock()
{
    UpdateClockAt(nPlatform::Get().GetClock());
}

void Quenvar::UpdateClockAt(uint64_t now)
{
    if (m_clockStopped)
    {
        m_frameStep = 0;
        m_lastTick = 0;
        return;
    }
    const int64_t raw = int64_t(now - m_lastTick);
    int64_t step = m_clockScale * raw / 1000;
    if (m_fixedStep > 0)
    {
        step = m_fixedStep * m_clockScale / 1000;
        if (m_correctionRate > 0)
        {
            m_correctionAccumulator += 1000000000 / m_correctionRate - step * CorrectionUnit;
            if (m_correctionAccumulator > CorrectionUnit)
            {
                const int64_t units = m_correctionAccumulator / CorrectionUnit;
                nLogHolder::Get() << "Applying clock correction of " << int(units) << " units.\n";
                step += units;
                m_correctionAccumulator -= units * CorrectionUnit;
            }
        }
    }
    if (m_lastTick)
    {
        m_clock += step;
        m_rawFrameStep = raw;
        m_frameStep = step;
    }
    else
    {
        m_rawFrameStep = 0;
        m_frameStep = 0;
    }
    if (m_frameStep < 0)
        m_frameStep = 0;
    m_lastTick = now;
}

void Quenvar::ResetClock()
{
    m_lastTick = nPlatform::Get().GetClock();
    m_frameStep = TickFrequency() / 60;
}

void Quenvar::SyncClock()
{
    m_lastTick = nPlatform::Get().GetClock();
}

float Quenvar::GetClock() const
{
    return float(double(m_clock) / double(TickFrequency()));
}

float Quenvar::GetDeltaFrame() const
{
    const float seconds = float(double(m_frameStep) / double(TickFrequency()));
    if (seconds < MinDeltaFrame)
        return MinDeltaFrame;
    return seconds > 1.0f ? 1.0f : seconds;
}

float Quenvar::GetRawDeltaFrame() const
{
    return float(double(m_rawFrameStep) / double(TickFrequency()));
}

void Quenvar::SetClockScale(float scale)
{
    m_clockScale = int32_t(scale * 1000.0f);
}

// In single precision, as the seconds are given: 0.02 s is 200 ticks.
void Quenvar::SetFixedDeltaFrame(float seconds)
{
    m_fixedStep = seconds >= 0.0f ? int64_t(float(TickFrequency()) * seconds) : -1;
    ClearClockCorrection();
}

void Quenvar::SetClockCorrection(int32_t framesPerSecond)
{
    m_correctionRate = framesPerSecond;
    m_correctionAccumulator = 0;
}

void Quenvar::ClearClockCorrection()
{
    m_correctionRate = -1;
    m_correctionAccumulator = 0;
}
