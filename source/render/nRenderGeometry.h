#pragma once

#include "render/nRenderData.h"

// The renderer's object for one geometry; back ends derive their own.
class nRenderGeometry : public nRenderData
{
public:
    using nRenderData::nRenderData;
};
