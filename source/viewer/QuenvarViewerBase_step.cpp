#include "viewer/QuenvarViewerBase.h"

#include "audio/nMixer.h"
#include "audio/nSMixMixer.h"
#include "core/base/nLog.h"
#include "platform/nHID.h"
#include "platform/nPlatform.h"
#include "platform/nStopSignal.h"
#include "render/nRenderer.h"

#include <algorithm>

namespace
{
constexpr uint32_t ProjectEvaluateFlags = 63;
constexpr float ProfilerMargin = 32.0f;
constexpr float StatisticsColumnWidth = 400.0f;
} // namespace

void QuenvarViewerBase::StepProject(bool& endRequested)
{
    m_project.Evaluate(ProjectEvaluateFlags);
    m_project.Render(0);
    if (m_profiler)
        m_project.PrintStats(m_profilerFonts, ProfilerMargin, ProfilerMargin);
    endRequested = m_project.IsEnded();
}

void QuenvarViewerBase::DrawRendererStatistics()
{
    nRenderer* renderer = m_engine.GetRenderer();
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    renderer->GetViewport(x, y, width, height);
    float textX = float(width) - StatisticsColumnWidth;
    float textY = ProfilerMargin;
    renderer->DrawStatistics(m_profilerFonts, textX, textY);
}

// The message about missing resources is logged once: the frame that finds them ends the loop,
// and the driver's own check then only answers.
bool QuenvarViewerBase::CheckExitConditions()
{
    if (m_project.GetVM().GetState() != ScriptVMRunning)
        return true;
    if (s_missingResource && !m_ignoreMissingResources)
    {
        if (!m_missingResourceLogged)
            nLogHolder::Get() << "[!] Exiting due to missing resources.\n";
        m_missingResourceLogged = true;
        return true;
    }
    return false;
}

bool QuenvarViewerBase::CheckExit()
{
    return CheckExitConditions();
}

// A frame quicker than the engine's smallest frame delta would still advance game time by that
// delta, and game time would run ahead of the wall clock (headless runs, VSync off): such a frame
// waits out the rest of it. A fixed clock step has no tie to the wall clock, so those runs only
// yield the millisecond they always did and go as fast as they can.
void QuenvarViewerBase::PaceFrame()
{
    uint64_t milliseconds = 1;
    if (m_engine.GetFixedStep() <= 0)
    {
        const uint64_t frequency = nPlatform::Get().GetClockFrequency();
        const uint64_t floorTicks = uint64_t(double(frequency) * double(Quenvar::MinDeltaFrame) + 0.5);
        const uint64_t elapsed = nPlatform::Get().GetClock() - m_engine.GetLastClockTick();
        if (elapsed < floorTicks)
            milliseconds = std::max<uint64_t>(1, ((floorTicks - elapsed) * 1000 + frequency - 1) / frequency);
    }
    nPlatform::Get().Sleep(uint32_t(milliseconds));
}

bool QuenvarViewerBase::Step()
{
    nHID::GetInstance().Update();
    m_engine.UpdateClock();
    // The file gets the sound of exactly this frame's clock step, before it is mixed.
    if (m_fileMixer)
        m_fileMixer->SetFixedStep(uint64_t(std::max<int64_t>(m_engine.GetFrameStep(), 0)),
                                  m_engine.GetFixedStep() > 0);
    m_engine.GetMixer()->Update();
    m_engine.BeginFrame();
    bool endRequested = false;
    if (m_viewMode == ViewModeProject)
        StepProject(endRequested);
    else if (m_viewMode == ViewModeScene && m_scene)
        StepScene(endRequested);
    nRenderer* renderer = m_engine.GetRenderer();
    if (m_profiler)
        DrawRendererStatistics();
    renderer->PresentFrame();
    renderer->ResetStatistics();
    PaceFrame();
    ++m_frameCount;
    if (CheckExitConditions())
        endRequested = true;
    if (IsStopRequested()) // a signal, or the run time is up
        return false;
    if (endRequested)
        return false;
    return ProcessMessages();
}
