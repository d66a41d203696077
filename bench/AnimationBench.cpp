#include "animation/nAnimationPlayer.h"
#include "animation/nMotion.h"
#include "animation/nMotionChannel.h"
#include "core/math/nCurvePoint.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

// Item updates per second: 10,000 players, each blending two looping motions of nine channels
// (position, rotation, scale) of eight knots, as a scene update steps its managed items.

namespace
{
constexpr int kItems = 10000;

class ItemPlayer : public nAnimationPlayer
{
public:
    bool GetChannelValue(int32_t id, float& value) override
    {
        if (id < 1 || id > 9)
            return false;
        value = m_channels[id];
        return true;
    }
    bool SetChannelValue(int32_t id, float value) override
    {
        if (id < 1 || id > 9)
            return false;
        m_channels[id] = value;
        return true;
    }

private:
    float m_channels[10] = {};
};

nMotion* NineChannelMotion(float phase)
{
    auto* motion = new nMotion("loop");
    motion->SetLoopMode(CurveRepeat);
    for (int32_t id = 1; id <= 9; ++id)
    {
        nMotionChannel* channel = motion->AddChannel(id);
        for (int knot = 0; knot < 8; ++knot)
            channel->AddKnot(new nCurvePoint(static_cast<float>(knot) * 0.25f, phase + static_cast<float>(knot * id)));
    }
    return motion;
}

void PlayerUpdate(benchmark::State& state)
{
    std::vector<std::unique_ptr<ItemPlayer>> players;
    players.reserve(kItems);
    for (int i = 0; i < kItems; ++i)
    {
        auto player = std::make_unique<ItemPlayer>();
        nMotion* walk = NineChannelMotion(0.0f);
        nMotion* run = NineChannelMotion(1.0f);
        player->AddMotion(walk);
        player->AddMotion(run);
        nAnimationSource* walking = player->SetMotion(walk, nullptr, 0.0f, true, 1.0f);
        nAnimationSource* running = player->SetMotion(run, nullptr, 0.0f, true, 0.5f);
        // Items started at different times, most of them laps past their motions' range, so
        // the loop wrapping is measured along with the segments of every part of the curves.
        walking->SetClock(static_cast<float>(i % 97) * 0.37f);
        running->SetClock(static_cast<float>(i % 89) * 0.29f);
        players.push_back(std::move(player));
    }
    for (auto _ : state)
        for (auto& player : players)
            player->Update(1.0f / 60.0f);
    state.SetItemsProcessed(state.iterations() * kItems);
}
BENCHMARK(PlayerUpdate)->Unit(benchmark::kMillisecond);
} // namespace
