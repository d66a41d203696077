#pragma once

#include "render/nEngineServices.h"

// The engine as a resource sees it, answering nothing: tests override what they need.
class StubEngineServices : public nEngineServices
{
public:
    void SendCoreMessage(nCoreMessage, const nCoreEventData*) override {}
    nRenderer* GetRenderer() const override { return nullptr; }
    nMixer* GetMixer() const override { return nullptr; }
    float GetFrameRate() const override { return 0.0f; }
    float GetRenderQueueTime() const override { return 0.0f; }
    float GetCullingTime() const override { return 0.0f; }
    nTexture* LoadTexture(const char*, bool, bool) override { return nullptr; }
};
