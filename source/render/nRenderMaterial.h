#pragma once

#include "render/nRenderData.h"

// The renderer's object for one material; back ends derive their own.
class nRenderMaterial : public nRenderData
{
public:
    using nRenderData::nRenderData;
};
