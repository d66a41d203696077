#include "raytracer/RaytracerObjectLifetime.h"

#include "raytracer/nRaytracer.h"
#include "script/nObjectType.h"
#include "script/nObjectTypeLifetime.h"

namespace
{
void DestroyRaytracer(void* object)
{
    delete static_cast<nRaytracer*>(object);
}
} // namespace

void RegisterRaytracerObjectLifetime()
{
    nObjectTypeLifetime lifetime;
    lifetime.destroy = DestroyRaytracer;
    SetObjectTypeLifetime(ObjectTypeRaytracer, lifetime);
}
