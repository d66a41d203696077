#include "render/gl/nGPURenderer.h"

#include "render/gl/nGPUTerrainCache.h"

namespace
{
const nColor TitleColour(1.0f, 0.9f, 0.0f, 1.0f);

double Percent(uint32_t part, uint32_t whole)
{
    return part && whole ? 100.0 * double(part) / double(whole) : 0.0;
}
} // namespace

void nGPURenderer::DrawStatistics(const nFontPair& fonts, float& x, float& y)
{
    nRenderer::DrawStatistics(fonts, x, y);
    const nTextFlags flags;
    const uint32_t batches = m_statistics.listsDrawn;
    const uint32_t queries = m_terrainCache ? m_terrainCache->GetQueryCount() : 0;
    const uint32_t misses = m_terrainCache ? m_terrainCache->GetMissCount() : 0;
    Write(fonts.bold, "Batching System\n\n", x, y, flags, 1.0f, &TitleColour, 0);
    const nString batching[] = {
        nString::Format("Program change = %0.02f%% (%d)\n", Percent(m_counters.programChanges, batches),
                        int32_t(m_counters.programChanges)),
        nString::Format("List change = %0.02f%% (%d)\n", Percent(m_counters.listChanges, batches),
                        int32_t(m_counters.listChanges)),
        nString::Format("Material change = %0.02f%% (%d)\n", Percent(m_counters.materialChanges, batches),
                        int32_t(m_counters.materialChanges)),
        nString::Format("Item change = %0.02f%% (%d)\n\n", Percent(m_counters.itemChanges, batches),
                        int32_t(m_counters.itemChanges)),
    };
    for (const nString& line : batching)
        Write(fonts.regular, line.GetText(), x, y, flags, 1.0f, nullptr, 0);
    Write(fonts.bold, "Terrain System\n\n", x, y, flags, 1.0f, &TitleColour, 0);
    Write(fonts.regular,
          nString::Format("Cache miss = %0.02f%% (%d Query)\n\n", Percent(misses, queries), int32_t(queries)).GetText(),
          x, y, flags, 1.0f, nullptr, 0);
    Write(fonts.regular,
          nString::Format("Technique: %s\n\n", m_technique == TechniqueDeferred ? "Deferred" : "Forward").GetText(), x,
          y, flags, 1.0f, nullptr, 0);
}
