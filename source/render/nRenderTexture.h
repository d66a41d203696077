#pragma once

#include "render/nRenderData.h"

// The renderer's object for one texture; back ends derive their own.
class nRenderTexture : public nRenderData
{
public:
    using nRenderData::nRenderData;
};
