#include "render/gl/nGPURenderer.h"

#include <algorithm>
#include <cmath>

namespace
{
// The logarithmic term divides by the near distance.
constexpr float MinPSSMNear = 0.001f;
} // namespace

// Blends logarithmic split ends (even resolution per depth) with uniform ones (even spacing) by
// the weight, so near splits stay short without the far ones growing out of reach.
void nGPURenderer::ComputePSSMSplits(float zNear, float zFar, float weight, uint32_t count, float* ends)
{
    if (count == 0 || !ends)
        return;
    const float nearEnd = std::max(zNear, MinPSSMNear);
    const float farEnd = std::max(zFar, nearEnd);
    for (uint32_t index = 1; index <= count; ++index)
    {
        const float fraction = static_cast<float>(index) / static_cast<float>(count);
        const float logarithmic = nearEnd * std::pow(farEnd / nearEnd, fraction);
        const float uniform = nearEnd + (farEnd - nearEnd) * fraction;
        ends[index - 1] = weight * logarithmic + (1.0f - weight) * uniform;
    }
    ends[count - 1] = farEnd;
}
