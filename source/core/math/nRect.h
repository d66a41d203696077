#pragma once

#include <algorithm>
#include <cstdint>

// Integer rectangle; x1 and y1 are exclusive.
struct nRect
{
    int32_t x0 = 0;
    int32_t y0 = 0;
    int32_t x1 = 0;
    int32_t y1 = 0;

    int32_t Width() const { return x1 - x0; }
    int32_t Height() const { return y1 - y0; }
    bool IsEmpty() const { return x0 >= x1 || y0 >= y1; }
};

struct nRectF
{
    float x0 = 0.0f;
    float y0 = 0.0f;
    float x1 = 0.0f;
    float y1 = 0.0f;

    float Width() const { return x1 - x0; }
    float Height() const { return y1 - y0; }
    nRectF Intersect(const nRectF& other) const
    {
        return {std::max(x0, other.x0), std::max(y0, other.y0), std::min(x1, other.x1),
                std::min(y1, other.y1)};
    }
};
