#pragma once

#include "core/base/nSharedPtr.h"
#include "core/picture/nPicture.h"
#include "geometry/nTexture.h"
#include "render/nCoreEventData.h"
#include "support/StubEngineServices.h"

#include <map>
#include <string>
#include <vector>

// The engine as textures and materials see it: textures load from the mounted file system and
// stay cached by path (they report their destruction to the base's message record).
class TextureLoadingEngine : public StubEngineServices
{
public:
    ~TextureLoadingEngine() { textures.clear(); }

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
};
