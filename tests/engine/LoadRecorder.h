#pragma once

#include "engine/Quenvar.h"
#include "render/nCoreEventData.h"

#include <string>
#include <vector>

// Listens to an engine's core messages and stands as its load-event sink, writing both down in
// one sequence: "begin", "progress <text>", "end", "message <n>".
class LoadRecorder : public nCoreListener, public QuenvarEventInterface
{
public:
    explicit LoadRecorder(Quenvar& engine) : m_engine(engine)
    {
        engine.PushBack(this);
        engine.SetEventSink(this);
    }
    ~LoadRecorder() override
    {
        m_engine.Remove(this);
        m_engine.SetEventSink(nullptr);
    }

    void OnMessage(nCoreMessage message, const nCoreEventData* data) override
    {
        events.push_back("message " + std::to_string(message));
        payloads.push_back(data ? *data : nCoreEventData());
    }
    void OnLoadBegin() override { events.push_back("begin"); }
    void OnLoadProgress(const char* text, float fraction) override
    {
        events.push_back("progress " + std::string(text));
        fractions.push_back(fraction);
    }
    void OnLoadEnd() override { events.push_back("end"); }

    std::vector<std::string> events;
    std::vector<nCoreEventData> payloads;
    std::vector<float> fractions;

private:
    Quenvar& m_engine;
};
