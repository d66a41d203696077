#pragma once

#include "core/picture/nPictureIOCodec.h"

// Reads every format stb_image decodes, as RGBA8.
class nPictureIOSTBCodec : public nPictureIOCodec
{
public:
    static constexpr const char* Name = "STB";

    nPictureIOSTBCodec();

    bool Load(nIOHandle* handle, nPicture& picture) override;
};
