#include "animation/nAnimationPlayer.h"
#include "animation/nMotion.h"
#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace
{
class SilentLog : public nLog
{
public:
    void Output(const char*, uint8_t) override {}
};

// Every channel reads and writes, so every blending path runs.
class RecordingPlayer : public nAnimationPlayer
{
public:
    bool GetChannelValue(int32_t id, float& value) override
    {
        value = m_channels[id];
        return true;
    }
    bool SetChannelValue(int32_t id, float value) override
    {
        m_channels[id] = value;
        return true;
    }

private:
    float m_channels[MotionChannelCount] = {};
};
} // namespace

// NML text as an item's "MotionPlayer" block: read, written, read again, then every motion played
// in several loop modes with forward, backward and oversized steps.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentLog log;
    nLogHolder::Set(&log);
    nMetaFile file;
    if (!file.Parse(reinterpret_cast<const char*>(data), size))
        return 0;
    nLinkedListIterator roots;
    const nMetaTag* root = file.GetNextRoot(roots);
    RecordingPlayer player;
    player.ParseMotionPlayer(&file, root);

    std::unique_ptr<nMetaTag> written(player.SerializeMotionPlayer(&file));
    RecordingPlayer again;
    if (written)
        again.ParseMotionPlayer(&file, written.get());

    nAnimationSourceList sources;
    uint32_t mode = 0;
    for (auto* node = player.GetMotionList().GetHead(); node; node = node->next)
    {
        node->value->SetUseQuaternion(true);
        player.SetMotion(node->value, &sources, 0.5f, (mode & 1) != 0, 1.0f);
        sources.SetLoopMode(mode++ % 5);
    }
    const float steps[] = {0.1f, 0.7f, -3.0f, 40.0f, 1e30f};
    for (float step : steps)
    {
        sources.SetClockScale(step < 0.0f ? -1.0f : 1.0f);
        player.Update(step < 0.0f ? -step : step);
    }
    nLogHolder::Set(nullptr);
    return 0;
}
