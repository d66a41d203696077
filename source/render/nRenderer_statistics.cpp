#include "render/nRenderer.h"

#include "render/nEngineServices.h"
#include "render/nStatisticValue.h"

namespace
{
const nColor TitleColour(1.0f, 0.9f, 0.0f, 1.0f);

nString FormatCount(float value)
{
    nString text;
    return FormatStatisticValue(text, value, StatisticCount);
}
} // namespace

// Averages are per queue pass; a frame without passes or lists prints 0 and an efficiency of 1
// instead of dividing by zero.
void nRenderer::DrawStatistics(const nFontPair& fonts, float& x, float& y)
{
    const Statistics& s = m_statistics;
    const float passes = float(s.queuePasses);
    const float lists = float(s.listsDrawn);
    const uint32_t objectsPerPass = s.queuePasses ? s.objectsDrawn / s.queuePasses : 0;
    const float trianglesPerPass = s.queuePasses ? float(s.trianglesDrawn) / passes : 0.0f;
    const float trianglesPerList = s.listsDrawn ? float(s.trianglesDrawn) / lists : 0.0f;
    const float efficiency = (s.listsDrawn && s.queuePasses) ? 100.0f / (lists / passes) : 1.0f;
    const float frameRate = m_engine ? m_engine->GetFrameRate() : 0.0f;
    const float queueTime = m_engine ? m_engine->GetRenderQueueTime() : 0.0f;
    const float cullingTime = m_engine ? m_engine->GetCullingTime() : 0.0f;
    const nTextFlags flags;

    Write(fonts.bold, "Renderer\n\n", x, y, flags, 1.0f, &TitleColour, 0);
    const nString lines[] = {
        nString::Format("Render queue = %0.02f ms\n", double(queueTime)),
        nString::Format("Queue pass = %d\n", int32_t(s.queuePasses)),
        nString::Format("Culling = %0.02f ms\n", double(cullingTime)),
        nString::Format("Light processed = %d\n", int32_t(s.lightsProcessed)),
        nString::Format("Object drawn = %d (pass avg. = %d)\n", int32_t(s.objectsDrawn),
                        int32_t(objectsPerPass)),
        nString::Format("Triangle drawn = %s (pass avg. = %s) (%s tri/s)\n",
                        FormatCount(float(s.trianglesDrawn)).GetText(),
                        FormatCount(trianglesPerPass).GetText(),
                        FormatCount(float(s.trianglesDrawn) * frameRate).GetText()),
        nString::Format("List drawn = %d (avg. tri/list = %s, efficiency = %.02f)\n\n", int32_t(s.listsDrawn),
                        FormatCount(trianglesPerList).GetText(), double(efficiency)),
    };
    for (const nString& line : lines)
        Write(fonts.regular, line.GetText(), x, y, flags, 1.0f, nullptr, 0);
}
