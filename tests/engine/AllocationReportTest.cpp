#include "core/base/nMemory.h"
#include "engine/resources/nAllocationReport.h"
#include "support/RecordingRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

TEST(AllocationReport, OneRowPerCategoryAndATotal)
{
    RecordingRenderer renderer(nullptr);
    float x = 10.0f, y = 20.0f;
    DrawAllocationReport(renderer, {}, x, y);
    ASSERT_GE(renderer.texts.size(), 6u);
    EXPECT_EQ(renderer.texts[0].text, "Allocation System\n\n");
    EXPECT_EQ(renderer.texts[1].text, "System");
    EXPECT_EQ(renderer.texts[5].text, "| Alloc Peak");
    auto count = [&](const std::string& text)
    {
        return std::count_if(renderer.texts.begin(), renderer.texts.end(),
                             [&](const RecordingRenderer::Text& piece) { return piece.text == text; });
    };
    EXPECT_EQ(count("Maths"), 1); // a group is named once for its run of categories
    EXPECT_EQ(count("Resource"), 1);
    EXPECT_EQ(count("Picture"), 1);
    EXPECT_EQ(count("Total"), 1);
    // Title (one Write that advances y by 16 here), header 24, 16 rows, gap 8, total row.
    EXPECT_FLOAT_EQ(y, 20.0f + 16.0f + 24.0f + float(MemCategoryCount) * 16.0f + 8.0f + 16.0f);
}
