#include "engine/resources/nAllocationReport.h"

#include "core/base/nMemory.h"
#include "render/nRenderer.h"
#include "render/nStatisticValue.h"

#include <cstring>

namespace
{
const nColor TitleColour(1.0f, 0.9f, 0.0f, 1.0f);
const float ColumnOffsets[5] = {0.0f, 120.0f, 210.0f, 300.0f, 390.0f};
const float NameOffset = 64.0f; // the category's name, after its group

void WriteAt(nRenderer& renderer, nRasterFont* font, const char* text, float x, float y, const nColor* colour)
{
    renderer.Write(font, text, x, y, nTextFlags(), 1.0f, colour, 0);
}

void WriteCounters(nRenderer& renderer, nRasterFont* font, float x, float y, const nMemCounters& counters)
{
    nString live, peak;
    FormatStatisticValue(live, float(counters.liveBytes), StatisticBytes);
    FormatStatisticValue(peak, float(counters.peakBytes), StatisticBytes);
    const nString cells[4] = {
        nString::Format("| %s", live.GetText()), nString::Format("| %s", peak.GetText()),
        nString::Format("| %d", int(counters.liveCount)), nString::Format("| %d", int(counters.peakCount))};
    for (int column = 0; column < 4; ++column)
        WriteAt(renderer, font, cells[column].GetText(), x + ColumnOffsets[column + 1], y, nullptr);
}
} // namespace

void DrawAllocationReport(nRenderer& renderer, const nFontPair& fonts, float& x, float& y)
{
    renderer.Write(fonts.bold, "Allocation System\n\n", x, y, nTextFlags(), 1.0f, &TitleColour, 0);
    const char* const headers[5] = {"System", "| Commit", "| Commit Peak", "| Alloc", "| Alloc Peak"};
    for (int column = 0; column < 5; ++column)
        WriteAt(renderer, fonts.bold, headers[column], x + ColumnOffsets[column], y, &TitleColour);
    y += 24.0f;

    nMemCounters total{};
    const char* previousGroup = nullptr;
    for (uint32_t category = 0; category < MemCategoryCount; ++category)
    {
        const nMemCategoryName& name = nMemCategoryNames[category];
        if (!previousGroup || std::strcmp(previousGroup, name.group) != 0)
            WriteAt(renderer, fonts.regular, name.group, x, y, nullptr);
        previousGroup = name.group;
        WriteAt(renderer, fonts.regular, name.name, x + NameOffset, y, nullptr);
        const nMemCounters counters = MemGetCounters(category);
        WriteCounters(renderer, fonts.regular, x, y, counters);
        total.liveBytes += counters.liveBytes;
        total.peakBytes += counters.peakBytes;
        total.liveCount += counters.liveCount;
        total.peakCount += counters.peakCount;
        y += 16.0f;
    }
    y += 8.0f;
    WriteAt(renderer, fonts.regular, "Total", x, y, nullptr);
    WriteCounters(renderer, fonts.regular, x, y, total);
    y += 16.0f;
}
