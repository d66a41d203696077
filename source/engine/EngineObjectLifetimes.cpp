#include "engine/EngineObjectLifetimes.h"

#include "animation/nAnimationSourceList.h"
#include "geometry/nGeometry.h"
#include "script/nObjectType.h"
#include "script/nObjectTypeLifetime.h"

namespace
{
void DestroyAnimationSourceList(void* object)
{
    delete static_cast<nAnimationSourceList*>(object);
}

void AddGeometryReference(void* object)
{
    static_cast<nGeometry*>(object)->AddRef();
}

void ReleaseGeometryReference(void* object)
{
    static_cast<nGeometry*>(object)->Release();
}
} // namespace

void RegisterEngineObjectLifetimes()
{
    nObjectTypeLifetime sourceList;
    sourceList.destroy = DestroyAnimationSourceList;
    SetObjectTypeLifetime(ObjectTypeAnimationSource, sourceList);
    // A geometry handle holds a reference, so the geometry outlives the object that showed it.
    nObjectTypeLifetime geometry;
    geometry.addReference = AddGeometryReference;
    geometry.releaseReference = ReleaseGeometryReference;
    SetObjectTypeLifetime(ObjectTypeGeometry, geometry);
}
