#pragma once

#include "api/ItemApi.h"
#include "core/math/nVector.h"

class nPhysicItem;
class nPhysicWorld;

// The physics item of the item handle (type 24) at the index: the call frame's errors, then "Item
// has no physics component." for an item without one (a scene without a physics world makes its
// items without).
nPhysicItem* GetPhysicItemArg(HSQUIRRELVM vm, SQInteger index);

// The same, and the item must belong to the world: a joint between two worlds would hold a body that
// the other world's solver knows nothing of.
nPhysicItem* GetPhysicItemArgOf(HSQUIRRELVM vm, SQInteger index, const nPhysicWorld* world);

// Two "Vector" arguments in a row, taken as points (w 1): a ray's origin and direction, a point and
// the force there. "Invalid instance type" for either.
inline bool GetPointArgs(HSQUIRRELVM vm, SQInteger index, nVector& first, nVector& second)
{
    return GetPointArg(vm, index, first) && GetPointArg(vm, index + 1, second);
}

// Natives on an item's body read their first handle as its physics item.
template <> struct nHandleArg<nPhysicItem>
{
    static nPhysicItem* Get(HSQUIRRELVM vm, SQInteger index) { return GetPhysicItemArg(vm, index); }
};
