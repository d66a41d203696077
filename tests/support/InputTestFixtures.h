#pragma once

#include "core/base/nLog.h"
#include "platform/nHIDDescriptor.h"
#include "platform/nHIDGameSource.h"
#include "platform/nHIDSource.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

// A log that keeps its lines, installed for the fixture's lifetime.
class InputTestLog : public nLog
{
public:
    InputTestLog() { nLogHolder::Set(this); }
    ~InputTestLog() override { nLogHolder::Set(nullptr); }

    void Output(const char* line, uint8_t) override { lines.emplace_back(line); }

    std::vector<std::string> lines;
};

// A game device as a scripted source describes it, and what its device did to it.
struct InputTestGame
{
    std::string name;
    bool forceFeedback = false;
    bool opens = true;
    bool autoCentreOff = true;
    bool effect = true;
    bool readable = true;
    nHIDGameState state;

    bool started = false;
    std::vector<int> forces;
};

class InputTestGameSource : public nHIDGameSource
{
public:
    explicit InputTestGameSource(InputTestGame& game) : m_game(game) {}

    bool Read(nHIDGameState& state) override
    {
        if (m_game.readable)
            state = m_game.state;
        return m_game.readable;
    }
    bool DisableAutoCentre() override { return m_game.autoCentreOff; }
    bool CreateConstantForce() override { return m_game.effect; }
    void StartConstantForce() override { m_game.started = true; }
    void SetConstantForce(int magnitude) override { m_game.forces.push_back(magnitude); }

private:
    InputTestGame& m_game;
};

// Hardware state set by the test: held keys, the pointer and the attached game devices
// (identified by their index in the first identifier byte).
class InputTestSource : public nHIDSource
{
public:
    bool Open(void* window) override
    {
        openedWith = window;
        return opens;
    }
    void Update() override { ++updates; }
    bool IsKeyDown(nHIDSourceKey key) const override { return key < SourceKeyCount && down[key]; }
    nHIDPointerState ReadPointer() const override { return pointer; }
    int GetGameDeviceCount() const override { return int(games.size()); }
    bool DescribeGameDevice(int index, nHIDDescriptor& descriptor) const override
    {
        const InputTestGame& game = *games.at(index);
        descriptor.name = game.name.c_str();
        descriptor.flags = game.forceFeedback ? nHIDDescriptor::FlagForceFeedback : 0;
        descriptor.identifier[0] = uint8_t(index);
        return true;
    }
    std::unique_ptr<nHIDGameSource> OpenGameDevice(const nHIDDescriptor& descriptor) override
    {
        const size_t index = descriptor.identifier[0];
        if (index >= games.size() || !games[index]->opens)
            return nullptr;
        return std::make_unique<InputTestGameSource>(*games[index]);
    }

    void Hold(std::initializer_list<nHIDSourceKey> keys, bool held = true)
    {
        for (nHIDSourceKey key : keys)
            down[key] = held;
    }
    void ReleaseAll() { std::memset(down, 0, sizeof(down)); }
    InputTestGame& AddGame(const char* name)
    {
        games.push_back(std::make_unique<InputTestGame>());
        games.back()->name = name;
        return *games.back();
    }

    bool down[SourceKeyCount] = {};
    nHIDPointerState pointer;
    std::vector<std::unique_ptr<InputTestGame>> games;
    bool opens = true;
    void* openedWith = nullptr;
    int updates = 0;
};
