#pragma once

#include "core/base/nSharedPtr.h"
#include "core/math/nMatrix3.h"
#include "core/math/nMatrix4.h"
#include "geometry/nGeometry.h"

class nGeometryTree;
class nMObject;

// One object as the raytracer grabbed it: the geometry it traces (its own, a shadow proxy or a
// skinned copy) held by reference, and the placement taken at the grab, so that a frame reads
// nothing of the scene's items from its workers.
struct nRaytracerObject
{
    nMObject* item = nullptr; // who it was; never read by a frame
    nSharedPtr<nGeometry> geometry;
    nSharedPtr<nGeometry> traced;
    const nGeometryTree* tree = nullptr; // the traced geometry's, as the last frame found it
    nMatrix4 world;
    nMatrix4 inverse;
    nMatrix3 rotation;      // the item's rotation matrix
    nMatrix3 normalToWorld; // inverse transpose of the world matrix's 3 x 3 part
    float fade = 1.0f;
};
