#pragma once

#include "squirrel/squirrel.h"

#include <cstdint>

class nPicture;
struct nRect;

// The largest side a script may ask of a picture or a texture: larger ones would only fail later,
// after minutes of allocation or in the renderer.
constexpr int32_t MaxScriptPictureSide = 16384;

// Reads a width and a height that a native got as numbers or integers: true with both truncated
// when each lies from 1 to MaxScriptPictureSide, else false after one "[*]" line naming the native
// (NaN and infinities are refused too).
bool ReadPictureSize(const char* native, float width, float height, uint32_t& outWidth, uint32_t& outHeight);

// A new Picture handle that owns the picture: the handle holds one reference more than it takes,
// which the destruction of its owned object gives back (see the picture lifetime).
SQInteger PushOwnedPicture(HSQUIRRELVM vm, nPicture* picture);

// The "Rect" at the index, its members truncated to integers; "Invalid instance type" otherwise.
bool ReadRectArg(HSQUIRRELVM vm, SQInteger index, nRect& rect);
