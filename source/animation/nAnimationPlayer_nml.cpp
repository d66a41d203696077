#include "animation/nAnimationPlayer.h"

#include "animation/nMotion.h"
#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"

#include <memory>
#include <new>

bool nAnimationPlayer::ParseMotionPlayer(nMetaFile* file, const nMetaTag* tag)
{
    nLog& log = nLogHolder::Get();
    if (!tag || tag->GetName() != "MotionPlayer")
    {
        log << "[!] Could not parse motion player. Root tag id is incorrect ("
            << (tag ? tag->GetName().GetText() : "") << ").\n";
        return false;
    }
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag->GetNextChild(iterator))
    {
        if (child->GetName() == "Flag")
            continue;
        if (child->GetName() != "Motions")
        {
            log << "[*] Unknown tag '" << child->GetName() << "' in <MotionPlayer>.\n";
            continue;
        }
        nLinkedListIterator motions;
        while (const nMetaTag* entry = child->GetNextChild(motions))
        {
            if (entry->GetName() != "Motion")
            {
                log << "[*] Unknown tag '" << entry->GetName() << "' in <Motions>.\n";
                continue;
            }
            auto* motion = new (std::nothrow) nMotion("NewMotion");
            if (!motion)
                continue;
            motion->Parse(file, entry);
            if (!AddMotion(motion))
                delete motion;
        }
    }
    return true;
}

nMetaTag* nAnimationPlayer::SerializeMotionPlayer(nMetaFile* file) const
{
    std::unique_ptr<nMetaTag> tag(new nMetaTag("MotionPlayer"));
    nMetaTag* motions = tag ? tag->AddChild("Motions") : nullptr;
    if (!motions)
    {
        nLogHolder::Get() << "[!] Could not create managed root tag to serialize.\n";
        return nullptr;
    }
    for (auto* node = m_motions.GetHead(); node; node = node->next)
    {
        nMetaTag* motion = node->value->Serialize(file);
        if (!motion || !motions->AddChildTag(motion))
        {
            delete motion;
            return nullptr;
        }
    }
    return tag.release();
}
