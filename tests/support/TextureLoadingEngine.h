#pragma once

#include "core/base/nSharedPtr.h"
#include "core/picture/nPicture.h"
#include "geometry/nTexture.h"
#include "render/nCoreEventData.h"
#include "render/nEngineServices.h"

#include <map>
#include <string>
#include <vector>

// The engine as textures and materials see it: textures load from the mounted file system and
// stay cached by path, and every core message is recorded.
class TextureLoadingEngine : public nEngineServices
{
public:
    struct Message
    {
        nCoreMessage message;
        const nTexture* texture;
    };

    ~TextureLoadingEngine() { textures.clear(); }

    void SendCoreMessage(nCoreMessage message, const nCoreEventData* data) override
    {
        messages.push_back({message, data ? data->texture : nullptr});
    }
    nRenderer* GetRenderer() const override { return nullptr; }
    nMixer* GetMixer() const override { return nullptr; }
    float GetFrameRate() const override { return 0.0f; }
    float GetRenderQueueTime() const override { return 0.0f; }
    float GetCullingTime() const override { return 0.0f; }

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

    std::vector<Message> messages; // before the textures: they report their destruction here
    std::map<std::string, nSharedPtr<nTexture>> textures;
};
