#pragma once

#include "render/nCoreEventData.h"
#include "render/nEngineServices.h"

#include <string>
#include <vector>

// The engine as renderers, mixers and resources see it, for tests of those libraries alone: it
// answers the renderer and mixer it is given and the timings set on it, loads no texture or
// picture, draws no statistics, and keeps every core message it is sent.
class StubEngineServices : public nEngineServices
{
public:
    struct Message
    {
        nCoreMessage message;
        nCoreEventData data;
    };

    void SendCoreMessage(nCoreMessage message, const nCoreEventData* data) override
    {
        messages.push_back({message, data ? *data : nCoreEventData()});
    }
    nRenderer* GetRenderer() const override { return renderer; }
    nMixer* GetMixer() const override { return mixer; }
    float GetFrameRate() const override { return frameRate; }
    float GetRenderQueueTime() const override { return renderQueueTime; }
    float GetCullingTime() const override { return cullingTime; }
    float GetClock() const override { return clock; }
    float GetDeltaFrame() const override { return deltaFrame; }
    float GetRawDeltaFrame() const override { return rawDeltaFrame; }
    nPicture* LoadPicture(const char*, bool) override { return nullptr; }
    bool UnloadBitmap(const char*) override { return false; }
    void DrawProfile(const nFontPair&, float&, float&) override {}
    nTexture* LoadTexture(const char*, bool, bool) override { return nullptr; }
    nMaterial* LoadMaterial(const char*, bool) override { return nullptr; }
    nGeometry* LoadGeometry(const char*, bool, bool) override { return nullptr; }
    bool GetKeepGeometryData() const override { return keepGeometryData; }
    void BeginProgress() override { progress.push_back("begin"); }
    void ShowProgress(const char* text, float fraction) override
    {
        progress.push_back(std::string(text) + " " + std::to_string(fraction));
    }
    void EndProgress() override { progress.push_back("end"); }

    nRenderer* renderer = nullptr;
    nMixer* mixer = nullptr;
    float frameRate = 0.0f;
    float renderQueueTime = 0.0f;
    float cullingTime = 0.0f;
    float clock = 0.0f;
    float deltaFrame = 0.0f;
    float rawDeltaFrame = 0.0f;
    bool keepGeometryData = false;
    std::vector<Message> messages;
    std::vector<std::string> progress; // "begin", "<caption> <fraction>", "end"
};
