#pragma once

#include "render/nRenderData.h"

// The renderer's object for one shader; back ends derive their own.
class nRenderShader : public nRenderData
{
public:
    using nRenderData::nRenderData;
};
