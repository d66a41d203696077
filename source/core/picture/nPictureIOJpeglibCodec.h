#pragma once

#include "core/picture/nPictureIOCodec.h"

// JPEG reading (as RGBA8) and writing (quality 98, progressive).
class nPictureIOJpeglibCodec : public nPictureIOCodec
{
public:
    static constexpr const char* Name = "Jpeglib";
    static constexpr size_t EncodeCapacity = 5000000;
    static constexpr int Quality = 98;

    nPictureIOJpeglibCodec();

    bool Load(nIOHandle* handle, nPicture& picture) override;
    bool Save(nIOHandle* handle, const nPicture& picture) override;
};
