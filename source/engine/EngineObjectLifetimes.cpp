#include "engine/EngineObjectLifetimes.h"

#include "animation/nAnimationSourceList.h"
#include "geometry/nGeometry.h"
#include "geometry/nMaterial.h"
#include "geometry/nTexture.h"
#include "render/nRasterFont.h"
#include "script/nObjectType.h"
#include "script/nObjectTypeLifetime.h"

namespace
{
void DestroyAnimationSourceList(void* object)
{
    delete static_cast<nAnimationSourceList*>(object);
}

void DestroyRasterFont(void* object)
{
    delete static_cast<nRasterFont*>(object);
}

template <typename T> void AddReference(void* object)
{
    static_cast<T*>(object)->AddRef();
}

template <typename T> void ReleaseReference(void* object)
{
    static_cast<T*>(object)->Release();
}
} // namespace

void RegisterEngineObjectLifetimes()
{
    nObjectTypeLifetime sourceList;
    sourceList.destroy = DestroyAnimationSourceList;
    SetObjectTypeLifetime(ObjectTypeAnimationSource, sourceList);
    // A writer font belongs to the script handle that loaded it; the renderer only borrows it.
    nObjectTypeLifetime rasterFont;
    rasterFont.destroy = DestroyRasterFont;
    SetObjectTypeLifetime(ObjectTypeRasterFont, rasterFont);
    // Geometries, materials and textures are shared resources: a handle holds a reference, so the resource
    // outlives the object that showed it and a geometry a script built lives while the script keeps it.
    nObjectTypeLifetime geometry;
    geometry.addReference = AddReference<nGeometry>;
    geometry.releaseReference = ReleaseReference<nGeometry>;
    SetObjectTypeLifetime(ObjectTypeGeometry, geometry);
    nObjectTypeLifetime material;
    material.addReference = AddReference<nMaterial>;
    material.releaseReference = ReleaseReference<nMaterial>;
    SetObjectTypeLifetime(ObjectTypeMaterial, material);
    nObjectTypeLifetime texture;
    texture.addReference = AddReference<nTexture>;
    texture.releaseReference = ReleaseReference<nTexture>;
    SetObjectTypeLifetime(ObjectTypeTexture, texture);
}
