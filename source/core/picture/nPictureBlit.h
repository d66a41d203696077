#pragma once

#include "core/math/nRect.h"

#include <cstdint>

class nPicture;

enum nPictureBlitMode : uint32_t
{
    PictureBlitCopy = 0,
    PictureBlitOver = 1,
    PictureBlitAlphaFromColour = 8,
};

// Copies the source rectangle (default: the whole source) so that its top-left corner falls on
// the destination rectangle's top-left corner (default (0, 0)); both sides are clipped to their
// pictures. False when nothing is left to draw.
bool PictureBlit(nPicture& source, nPicture& destination, const nRect* sourceRect,
                 const nRect* destinationRect, uint32_t mode);
