#pragma once

#include "core/math/nVector.h"

class nMaterial;
class nPhysicItem;
class nPhysicShape;

// The closest hit of a ray: world normal and position, the shape whose compound child was hit
// and the hit item. The material is not known to the simulation and stays null.
struct nPhysicRayHit
{
    nVector normal;
    nVector position;
    nPhysicShape* shape = nullptr;
    nMaterial* material = nullptr;
    nPhysicItem* item = nullptr;
};
