#include "animation/nMotion.h"

#include "animation/nMotionChannel.h"
#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"

#include <memory>

namespace
{
// "LoopMode" texts by mode; mode 1 is the default and is never written.
const char* const kLoopModeTexts[] = {"Reset", nullptr, "Repeat", "Oscillate", "OffsetAndRepeat"};
constexpr uint32_t kLoopModeCount = 5;

void LogSerializeFailure()
{
    nLogHolder::Get() << "[!] Could not create managed root tag to serialize.\n";
}
} // namespace

bool nMotion::Parse(nMetaFile* file, const nMetaTag* tag)
{
    nLog& log = nLogHolder::Get();
    if (!tag || tag->GetName() != "Motion")
    {
        log << "[!] Could not parse motion, root tag id is incorrect (" << (tag ? tag->GetName().GetText() : "")
            << ").\n";
        return false;
    }
    m_useQuaternion = false;
    m_loopMode = CurveConstant;
    bool loopModeRead = false;
    bool keysRead = true;

    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag->GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        if (name == "Id")
            child->GetValue().GetString(m_name);
        else if (name == "UseQuaternion")
            m_useQuaternion = child->GetBool();
        else if (name == "QChannel")
            keysRead = m_quaternionChannel.Parse(file, child) && keysRead;
        else if (name == "LoopMode")
        {
            loopModeRead = true;
            nString text;
            child->GetValue().GetString(text);
            for (uint32_t mode = 0; mode < kLoopModeCount; ++mode)
                if (kLoopModeTexts[mode] && text == kLoopModeTexts[mode])
                    m_loopMode = mode;
        }
        else if (name == "Channel")
        {
            if (nMotionChannel* channel = AddChannel(MotionChannelNone))
                channel->Parse(file, child);
        }
        else
            log << "[*] Unknown tag '" << name << "' in <Motion>.\n";
    }

    // Motions saved before loop modes existed loop the way their first looping curve does.
    if (!loopModeRead)
    {
        for (auto* node = m_channels.GetHead(); node; node = node->next)
        {
            if (node->value->GetOutOfRangeMode() != CurveConstant)
            {
                m_loopMode = node->value->GetOutOfRangeMode();
                break;
            }
        }
    }
    return keysRead;
}

nMetaTag* nMotion::Serialize(nMetaFile* file) const
{
    std::unique_ptr<nMetaTag> tag(new nMetaTag("Motion"));
    if (!tag || !tag->AddChildString("Id", m_name.GetText()))
    {
        LogSerializeFailure();
        return nullptr;
    }
    if (m_loopMode < kLoopModeCount && kLoopModeTexts[m_loopMode] &&
        !tag->AddChildString("LoopMode", kLoopModeTexts[m_loopMode]))
    {
        LogSerializeFailure();
        return nullptr;
    }
    nMetaTag* keys = nullptr;
    if (!tag->AddChildBool("UseQuaternion", m_useQuaternion) ||
        !(keys = m_quaternionChannel.Serialize(file)) || !tag->AddChildTag(keys))
    {
        delete keys;
        LogSerializeFailure();
        return nullptr;
    }
    for (auto* node = m_channels.GetHead(); node; node = node->next)
    {
        nMetaTag* channel = node->value->Serialize(file);
        if (!channel)
            return nullptr;
        if (!tag->AddChildTag(channel))
        {
            delete channel;
            LogSerializeFailure();
            return nullptr;
        }
    }
    return tag.release();
}
