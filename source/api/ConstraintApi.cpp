#include "api/PhysicApi.h"
#include "api/SceneApi.h"
#include "api/ScriptApiGroups.h"

#include "core/math/nMatrix4.h"
#include "engine/items/nMConstraint.h"
#include "physics/nPhysicConstraint.h"
#include "script/classes/ScriptVector.h"

// A "Physic Constraint" handle holds the managed constraint item (its nMItem address, as every item
// handle does), so it dies with the item.
template <> struct nHandleArg<nMConstraint>
{
    static nMConstraint* Get(HSQUIRRELVM vm, SQInteger index)
    {
        nMItem* item = GetItemArg(vm, index, ObjectTypePhysicConstraint);
        return item ? static_cast<nMConstraint*>(item) : nullptr;
    }
};

namespace
{
nMatrix4 PivotMatrix(const nVector& point)
{
    return nMatrix4::FromTranslation(point.x, point.y, point.z);
}

// Both items and both pivots are read before the constraint item is made: a failed call leaves the
// scene as it was.
SQInteger AddPointConstraint(const ScriptArgs& args, nScene& scene)
{
    HSQUIRRELVM vm = args.GetVM();
    const nPhysicWorld* world = scene.GetPhysicWorld();
    nPhysicItem* itemA = GetPhysicItemArgOf(vm, 4, world);
    nPhysicItem* itemB = itemA ? GetPhysicItemArgOf(vm, 5, world) : nullptr;
    nVector pivotA;
    nVector pivotB;
    if (!itemB || !GetPointArg(vm, 6, pivotA) || !GetPointArg(vm, 7, pivotB))
        return SQ_ERROR;
    nMConstraint* item = scene.NewConstraint(args.GetString(3));
    nPhysicConstraint* constraint = item ? item->GetPhysicConstraint() : nullptr;
    if (!constraint)
        return sq_throwerror(vm, "Failed to crate constraint.");
    constraint->SetItemA(itemA);
    constraint->SetItemB(itemB);
    constraint->SetPivotA(PivotMatrix(pivotA));
    constraint->SetPivotB(PivotMatrix(pivotB));
    constraint->Setup();
    return PushHandle(vm, static_cast<nMItem*>(item), ObjectTypePhysicConstraint);
}

// A constraint item always holds its physics constraint: the scene makes none without one.
nPhysicConstraint& Joint(nMConstraint& item)
{
    return *item.GetPhysicConstraint();
}

SQInteger Setup(const ScriptArgs&, nMConstraint& item)
{
    Joint(item).Setup();
    return 0;
}

template <const nMatrix4& (nPhysicConstraint::*Get)() const>
SQInteger GetPivot(const ScriptArgs& args, nMConstraint& item)
{
    return PushVectorResult(args.GetVM(), (Joint(item).*Get)().GetTranslation());
}

template <void (nPhysicConstraint::*Set)(const nMatrix4&)>
SQInteger SetPivot(const ScriptArgs& args, nMConstraint& item)
{
    nVector point;
    if (!GetPointArg(args.GetVM(), 3, point))
        return SQ_ERROR;
    if (IsFiniteVector(args, point))
        (Joint(item).*Set)(PivotMatrix(point));
    return 0;
}

template <void (nPhysicConstraint::*Set)(nPhysicItem*)>
SQInteger SetItem(const ScriptArgs& args, nMConstraint& item)
{
    nPhysicItem* body = GetPhysicItemArgOf(args.GetVM(), 3, Joint(item).GetWorld());
    if (!body)
        return SQ_ERROR;
    (Joint(item).*Set)(body);
    return 0;
}

const nNativeEntry ConstraintNatives[] = {
    {"SceneAddPointConstraint", Native<AddPointConstraint>, ".xsxxxx"},
    // The joint has no switch and no strength of its own.
    {"ConstraintEnable", Native<Ignored<nMConstraint>>, ".xb"},
    {"ConstraintSetStrength", Native<Ignored<nMConstraint>>, ".xn"},
    {"ConstraintSetup", Native<Setup>, ".xb"},
    {"ConstraintGetPivotA", Native<GetPivot<&nPhysicConstraint::GetPivotA>>, ".x"},
    {"ConstraintGetPivotB", Native<GetPivot<&nPhysicConstraint::GetPivotB>>, ".x"},
    {"ConstraintSetPivotA", Native<SetPivot<&nPhysicConstraint::SetPivotA>>, ".xx"},
    {"ConstraintSetPivotB", Native<SetPivot<&nPhysicConstraint::SetPivotB>>, ".xx"},
    {"ConstraintSetItemA", Native<SetItem<&nPhysicConstraint::SetItemA>>, ".xx"},
    {"ConstraintSetItemB", Native<SetItem<&nPhysicConstraint::SetItemB>>, ".xx"},
};
} // namespace

void RegisterConstraintApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, ConstraintNatives);
}
