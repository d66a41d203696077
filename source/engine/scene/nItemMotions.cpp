#include "engine/scene/nItemMotions.h"

#include "animation/nAnimationSourceList.h"
#include "engine/items/nMItem.h"

#include <new>

void StartItemMotions(const nList<nMItem*>& items, const char* name, nAnimationSourceList** outSources,
                      float fadeTime, bool add, float weight)
{
    nAnimationSourceList* sources = nullptr;
    if (outSources)
        *outSources = sources = new (std::nothrow) nAnimationSourceList;
    for (const nList<nMItem*>::Node* node = items.GetHead(); node; node = node->next)
        if (nMotion* motion = node->value->GetMotion(name))
            node->value->nAnimationPlayer::SetMotion(motion, sources, fadeTime, add, weight);
}
