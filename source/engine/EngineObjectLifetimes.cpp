#include "engine/EngineObjectLifetimes.h"

#include "animation/nAnimationSourceList.h"
#include "script/nObjectType.h"
#include "script/nObjectTypeLifetime.h"

namespace
{
void DestroyAnimationSourceList(void* object)
{
    delete static_cast<nAnimationSourceList*>(object);
}
} // namespace

void RegisterEngineObjectLifetimes()
{
    nObjectTypeLifetime sourceList;
    sourceList.destroy = DestroyAnimationSourceList;
    SetObjectTypeLifetime(ObjectTypeAnimationSource, sourceList);
}
