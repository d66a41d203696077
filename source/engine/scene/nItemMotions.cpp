#include "engine/scene/nItemMotions.h"

#include "animation/nAnimationSourceList.h"
#include "engine/items/nMItem.h"

#include <new>

namespace
{
template <typename List>
void StartMotions(const List& items, const char* name, nAnimationSourceList** outSources, float fadeTime,
                  bool add, float weight)
{
    nAnimationSourceList* sources = nullptr;
    if (outSources)
        *outSources = sources = new (std::nothrow) nAnimationSourceList;
    items.ForEach(
        [&](nMItem* item)
        {
            if (nMotion* motion = item->GetMotion(name))
                item->nAnimationPlayer::SetMotion(motion, sources, fadeTime, add, weight);
            return true;
        });
}
} // namespace

void StartItemMotions(const nList<nMItem*>& items, const char* name, nAnimationSourceList** outSources,
                      float fadeTime, bool add, float weight)
{
    StartMotions(items, name, outSources, fadeTime, add, weight);
}

void StartItemMotions(const nWalkList<nMItem*>& items, const char* name, nAnimationSourceList** outSources,
                      float fadeTime, bool add, float weight)
{
    StartMotions(items, name, outSources, fadeTime, add, weight);
}
