#include "render/nStatisticValue.h"

nString& FormatStatisticValue(nString& out, float value, int32_t mode)
{
    const bool small = value < 1000.0f;
    const bool large = value >= 1000000.0f;
    const float scaled = small ? value : large ? value * 0.000001f : value * 0.001f;
    const char* const unit = small ? "" : large ? "M" : "K";
    switch (mode)
    {
    case StatisticCount:
        out =
            small ? nString::Format("%d", int32_t(value)) : nString::Format("%.01f%s", double(scaled), unit);
        break;
    case StatisticBytes:
        out = small ? nString::Format("%dB", int32_t(value))
                    : nString::Format("%.01f%sB", double(scaled), unit);
        break;
    default:
        out = nString::Format("%.01f", double(value));
        break;
    }
    return out;
}
