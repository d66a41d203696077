#pragma once

#include "render/nRenderData.h"

// The renderer's object for one light; back ends derive their own.
class nRenderLight : public nRenderData
{
public:
    using nRenderData::nRenderData;
};
