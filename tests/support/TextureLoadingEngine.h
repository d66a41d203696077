#pragma once

#include "core/base/nSharedPtr.h"
#include "core/picture/nPicture.h"
#include "geometry/nTexture.h"
#include "render/nCoreEventData.h"
#include "support/StubEngineServices.h"

#include <map>
#include <string>
#include <vector>

// The engine as textures, materials and 2D scenes see it: textures and pictures load from the
// mounted file system and stay cached by path (textures report their destruction to the base's
// message record); pictures come in the engine's BGRA8 layout.
class TextureLoadingEngine : public StubEngineServices
{
public:
    ~TextureLoadingEngine()
    {
        textures.clear();
        pictures.clear();
    }

    nPicture* LoadPicture(const char* path, bool) override
    {
        auto cached = pictures.find(path);
        if (cached != pictures.end())
            return cached->second.Get();
        nSharedPtr<nPicture> picture(new nPicture());
        if (!nPicture::Load(*picture, path) || !picture->Convert(PixelFormatBGRA8))
            return nullptr;
        pictures[path] = picture;
        return picture.Get();
    }
    bool UnloadBitmap(const char* path) override { return pictures.erase(path) != 0; }

    nTexture* LoadTexture(const char* path, bool, bool) override
    {
        auto cached = textures.find(path);
        if (cached != textures.end())
            return cached->second.Get();
        nSharedPtr<nTexture> texture(new nTexture(this, 0, 0));
        if (!nPicture::Load(*texture, path))
            return nullptr;
        textures[path] = texture;
        return texture.Get();
    }

    std::map<std::string, nSharedPtr<nTexture>> textures;
    std::map<std::string, nSharedPtr<nPicture>> pictures;
};
