#include "api/ItemApi.h"
#include "api/ScriptApiGroups.h"
#include "core/math/nFrustum.h"
#include "core/math/nMinMax.h"
#include "core/nml/nMetaTagValue.h"
#include "engine/items/nCamera.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMObject.h"
#include "geometry/nGeometry.h"
#include "script/classes/ScriptVector.h"

template <> struct nHandleArg<nMCamera> : nItemViewArg<nMCamera, ObjectTypeCamera, ItemTypeCamera>
{
};

namespace
{
constexpr char CannotCastToCamera[] = "Item cannot be cast to camera";

SQInteger GetItem(const ScriptArgs& args, nMCamera& camera)
{
    return PushItem(args.GetVM(), &camera);
}

template <float (nCamera::*Get)() const> SQInteger GetCameraFloat(const ScriptArgs& args, nMCamera& camera)
{
    return args.PushFloat((camera.GetCamera().*Get)());
}

// The field of view is clamped to what a projection can show; a ratio of 0 or below means the
// viewport's own.
template <void (nCamera::*Set)(float)> SQInteger SetCameraFloat(const ScriptArgs& args, nMCamera& camera)
{
    float value = 0.0f;
    if (GetFloatArg(args, 3, AnyFinite, value))
        (camera.GetCamera().*Set)(value);
    return 0;
}

// The renderer reads the depth-of-field keys from the view camera's own registry.
template <const char* Key> SQInteger SetRegistryReal(const ScriptArgs& args, nMCamera& camera)
{
    nMetaTagValue value;
    float number = 0.0f;
    if (!GetFloatArg(args, 3, AnyFinite, number))
        return 0;
    value.SetFloat(number);
    camera.GetCamera().GetRegistry().SetKey(Key, &value);
    return 0;
}

constexpr char FStopKey[] = "PostProcess:Dof:FStop";
constexpr char FocalDistanceKey[] = "PostProcess:Dof:FDist";

SQInteger SetAspectRatioRefAxis(const ScriptArgs& args, nMCamera& camera)
{
    camera.GetCamera().SetAspectRatioFromYAxis(args.GetBool(3));
    return 0;
}

// The projection divides by the depth between the planes, and by the near distance: the near plane
// lies ahead of the camera and the far plane beyond it. Either refused keeps both.
SQInteger SetClipping(const ScriptArgs& args, nMCamera& camera)
{
    float zNear = 0.0f, zFar = 0.0f;
    if (!GetFloatArg(args, 3, Positive, zNear) ||
        !GetFloatArg(args, 4, nFloatRule{zNear, std::numeric_limits<float>::infinity(), true}, zFar))
        return 0;
    camera.GetCamera().SetZNear(zNear);
    camera.GetCamera().SetZFar(zFar);
    return 0;
}

// Classifications use a frustum built now from the camera's current place and settings.
nFrustum CurrentFrustum(nMCamera& camera)
{
    nFrustum frustum;
    camera.GetCamera().ComputeFrustum(&frustum);
    return frustum;
}

SQInteger CullPosition(const ScriptArgs& args, nMCamera& camera)
{
    nVector point;
    if (!GetPointArg(args.GetVM(), 3, point))
        return SQ_ERROR;
    return args.PushInt(CurrentFrustum(camera).TestPoints(1, &point, 0.0f));
}

SQInteger CullObject(const ScriptArgs& args, nMCamera& camera)
{
    nMItem* object = GetItemViewArg(args.GetVM(), 3, ObjectTypeObject, ItemTypeObject);
    if (!object)
        return SQ_ERROR;
    const nGeometry* geometry = static_cast<nMObject*>(object)->GetObject().GetGeometry();
    if (!geometry)
        return args.PushInt(nFrustum::Outside);
    return args.PushInt(
        CurrentFrustum(camera).TestMinMax(geometry->box, &object->GetItem()->GetWorldMatrix()));
}

// A point behind the camera has no place on the screen: it answers (0, 0, 0).
SQInteger WorldToScreen(const ScriptArgs& args, nMCamera& camera)
{
    nVector point;
    if (!GetPointArg(args.GetVM(), 3, point))
        return SQ_ERROR;
    nVector screen(0.0f, 0.0f, 0.0f, 1.0f);
    camera.GetCamera().WorldToScreen(point, screen, true);
    return PushVectorResult(args.GetVM(), screen);
}

SQInteger ScreenToWorldAt(const ScriptArgs& args, nMCamera& camera, float depth)
{
    nVector world;
    camera.GetCamera().ScreenToWorld(nVector(args.GetFloat(3), args.GetFloat(4), 0.0f), depth, world);
    return PushVectorResult(args.GetVM(), world);
}

SQInteger ScreenToWorld(const ScriptArgs& args, nMCamera& camera)
{
    return ScreenToWorldAt(args, camera, 1.0f);
}

SQInteger ScreenToWorldPlane(const ScriptArgs& args, nMCamera& camera)
{
    return ScreenToWorldAt(args, camera, args.GetFloat(5));
}

const nNativeEntry CameraNatives[] = {
    {"CameraGetItem", Native<GetItem>, ".x"},
    {"ItemCastToCamera", Native<ItemCast<ItemTypeCamera, ObjectTypeCamera, CannotCastToCamera>>, ".x"},
    {"CameraGetFov", Native<GetCameraFloat<&nCamera::GetFov>>, ".x"},
    {"CameraSetFov", Native<SetCameraFloat<&nCamera::SetFov>>, ".xn"},
    {"CameraSetFStop", Native<SetRegistryReal<FStopKey>>, ".xn"},
    {"CameraSetFocalDistance", Native<SetRegistryReal<FocalDistanceKey>>, ".xn"},
    {"CameraGetAspectRatio", Native<GetCameraFloat<&nCamera::GetAspectRatio>>, ".x"},
    {"CameraSetAspectRatio", Native<SetCameraFloat<&nCamera::SetAspectRatio>>, ".xn"},
    {"CameraSetAspectRatioRefAxis", Native<SetAspectRatioRefAxis>, ".xb"},
    {"CameraSetClipping", Native<SetClipping>, ".xnn"},
    {"CameraCullPosition", Native<CullPosition>, ".xx"},
    {"CameraCullObject", Native<CullObject>, ".xx"},
    {"CameraWorldToScreen", Native<WorldToScreen>, ".xx"},
    {"CameraScreenToWorld", Native<ScreenToWorld>, ".xnn"},
    {"CameraScreenToWorldPlane", Native<ScreenToWorldPlane>, ".xnnn"},
};

const nIntegerConstantEntry CameraConstants[] = {
    {"VisibilityOutside", nFrustum::Outside},
    {"VisibilityInside", nFrustum::Inside},
    {"VisibilityClipped", nFrustum::Crossing},
};
} // namespace

void RegisterCameraApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, CameraNatives);
    RegisterIntegerConstants(vm, CameraConstants);
}
