#include "api/GeometryTemplateApi.h"
#include "api/ScriptApiGroups.h"
#include "core/base/nLog.h"
#include "core/math/nMinMax.h"
#include "engine/Quenvar.h"
#include "engine/items/nMObject.h"
#include "engine/scene/nScene.h"
#include "geometry/nGeometry.h"
#include "geometry/nIsosurface.h"
#include "geometry/nMaterial.h"
#include "render/nRenderer.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/binding/nScriptValuePush.h"
#include "script/classes/ScriptVector.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"

#include <vector>

namespace
{
// The grid the isosurface native samples along each axis of the balls' box.
constexpr uint32_t IsoSurfaceCells = 90;

nGeometry* GeometryArg(HSQUIRRELVM vm)
{
    return GetObjectArg<nGeometry>(vm, 2, ObjectTypeGeometry);
}

SQInteger PushMaterial(HSQUIRRELVM vm, nMaterial* material)
{
    return PushCObject(vm, material, ObjectTypeMaterial) ? 1 : SQ_ERROR;
}

SQInteger GeometryGetName(HSQUIRRELVM vm)
{
    nGeometry* geometry = GeometryArg(vm);
    if (!geometry)
        return SQ_ERROR;
    return ScriptArgs(vm).PushString(geometry->GetNameText());
}

SQInteger GeometrySetHidden(HSQUIRRELVM vm)
{
    nGeometry* geometry = GeometryArg(vm);
    if (!geometry)
        return SQ_ERROR;
    if (ScriptArgs(vm).GetBool(3))
        geometry->flags |= nGeometry::FlagHidden;
    else
        geometry->flags &= ~uint32_t(nGeometry::FlagHidden);
    return 0;
}

nRenderer* RendererOf(const nGeometry& geometry)
{
    return geometry.engine ? geometry.engine->GetRenderer() : nullptr;
}

SQInteger GeometryOptimize(HSQUIRRELVM vm)
{
    nGeometry* geometry = GeometryArg(vm);
    if (!geometry)
        return SQ_ERROR;
    nRenderer* renderer = RendererOf(*geometry);
    const uint32_t batch = renderer ? renderer->GetMaxBatchVertexCount() : 0;
    if (batch && uint64_t(geometry->polygons.GetCount()) > uint64_t(batch) * 4)
        geometry->Optimize(batch);
    return 0;
}

// A render object from the renderer replaces the geometry's; none leaves it as it was.
void SetupOnRenderer(nGeometry& geometry)
{
    if (nRenderer* renderer = RendererOf(geometry))
        if (nRenderGeometry* data = renderer->SetupGeometry(&geometry))
            geometry.renderData = data;
}

SQInteger GeometrySetup(HSQUIRRELVM vm)
{
    nGeometry* geometry = GeometryArg(vm);
    if (!geometry)
        return SQ_ERROR;
    SetupOnRenderer(*geometry);
    return 0;
}

// Reads count balls from the two arrays at 4 and 5 before anything changes: "Invalid instance
// type" for a position that is no Vector, an error for a radius that is no number.
bool ReadBalls(HSQUIRRELVM vm, SQInteger count, std::vector<nVector>& centres, std::vector<float>& radii)
{
    centres.resize(size_t(count));
    radii.resize(size_t(count));
    const SQInteger top = sq_gettop(vm);
    for (SQInteger i = 0; i < count; ++i)
    {
        sq_pushinteger(vm, i);
        if (SQ_FAILED(sq_get(vm, 4)) || !GetVectorArg(vm, -1, centres[size_t(i)]))
        {
            sq_settop(vm, top);
            return false;
        }
        sq_settop(vm, top);
        sq_pushinteger(vm, i);
        SQFloat radius = 0.0f;
        const bool number = SQ_SUCCEEDED(sq_get(vm, 5)) &&
                            (sq_gettype(vm, -1) == OT_FLOAT || sq_gettype(vm, -1) == OT_INTEGER) &&
                            SQ_SUCCEEDED(sq_getfloat(vm, -1, &radius));
        sq_settop(vm, top);
        if (!number)
        {
            sq_throwerror(vm, "A radius is not a number");
            return false;
        }
        radii[size_t(i)] = radius;
    }
    return true;
}

SQInteger GeometryComputeIsoSurface(HSQUIRRELVM vm)
{
    auto* item = GetObjectArg<nMItem>(vm, 2, ObjectTypeItem);
    if (!item)
        return SQ_ERROR;
    const SQInteger count = ScriptArgs(vm).GetInt(3);
    if (count < 1 || item->GetKind() != ItemTypeObject)
        return 0;
    if (sq_getsize(vm, 4) < count || sq_getsize(vm, 5) < count)
    {
        nLogHolder::Get()
            << nString::Format(
                   "[!] Cannot compute an isosurface of %d balls from %d positions and %d radii.\n",
                   int(count), int(sq_getsize(vm, 4)), int(sq_getsize(vm, 5)))
                   .GetText();
        return 0;
    }
    std::vector<nVector> centres;
    std::vector<float> radii;
    if (!ReadBalls(vm, count, centres, radii))
        return SQ_ERROR;
    nLogHolder::Get() << "[*] Incorrect binding argument count.\n";

    // Balls that add nothing to the field do not widen the box either.
    nMinMax box(nVector(1e7f, 1e7f, 1e7f), nVector(-1e7f, -1e7f, -1e7f));
    for (size_t i = 0; i < centres.size(); ++i)
    {
        const nVector& centre = centres[i];
        const float radius = radii[i];
        if (!nIsosurface::IsUsableBall(centre, radius))
            continue;
        box.min = box.min.Min(nVector(centre.x - radius, centre.y - radius, centre.z - radius));
        box.max = box.max.Max(nVector(centre.x + radius, centre.y + radius, centre.z + radius));
    }

    nObject& object = static_cast<nMObject*>(item)->GetObject();
    nGeometry* geometry = object.GetGeometry();
    if (!geometry)
    {
        geometry = new nGeometry(item->GetScene() ? item->GetScene()->GetEngine() : nullptr);
        if (!geometry)
        {
            nLogHolder::Get() << "[!] Geometry allocation error.\n";
            return 0;
        }
        object.SetGeometry(geometry);
    }
    nIsosurface isosurface;
    isosurface.SetVolume(box.min, box.max, IsoSurfaceCells, IsoSurfaceCells, IsoSurfaceCells);
    isosurface.BuildGeometry(*geometry, uint32_t(count), centres.data(), radii.data());
    if (geometry->AllocateMaterials(1, true))
        if (nMaterial* material = geometry->GetMaterial(0))
            material->renderFlags |= MaterialSmoothing;
    geometry->Check();
    SetupOnRenderer(*geometry);
    return 0;
}

SQInteger GeometryGetMinMax(HSQUIRRELVM vm)
{
    nGeometry* geometry = GeometryArg(vm);
    if (!geometry)
        return SQ_ERROR;
    return PushMinMax(vm, geometry->box) ? 1 : SQ_ERROR;
}

SQInteger GeometryGetMaterialList(HSQUIRRELVM vm)
{
    nGeometry* geometry = GeometryArg(vm);
    if (!geometry)
        return SQ_ERROR;
    sq_newarray(vm, 0);
    for (uint32_t slot = 0; slot < geometry->materials.GetCount(); ++slot)
    {
        if (!PushCObject(vm, geometry->materials.At(slot)->Get(), ObjectTypeMaterial))
            return SQ_ERROR;
        sq_arrayappend(vm, -2);
    }
    return 1;
}

SQInteger GeometryGetMaterialCount(HSQUIRRELVM vm)
{
    nGeometry* geometry = GeometryArg(vm);
    if (!geometry)
        return SQ_ERROR;
    return ScriptArgs(vm).PushInt(int32_t(geometry->materials.GetCount()));
}

SQInteger GeometryGetMaterial(HSQUIRRELVM vm)
{
    nGeometry* geometry = GeometryArg(vm);
    if (!geometry)
        return SQ_ERROR;
    const char* name = ScriptArgs(vm).GetString(3);
    for (uint32_t slot = 0; slot < geometry->materials.GetCount(); ++slot)
        if (nMaterial* material = geometry->materials.At(slot)->Get(); material && material->name == name)
            return PushMaterial(vm, material);
    return PushMaterial(vm, nullptr);
}

// An index out of range gives slot 0, as the geometry's own lookup does.
SQInteger GeometryGetMaterialFromIndex(HSQUIRRELVM vm)
{
    nGeometry* geometry = GeometryArg(vm);
    if (!geometry)
        return SQ_ERROR;
    return PushMaterial(vm, geometry->GetMaterial(uint32_t(ScriptArgs(vm).GetInt(3))));
}

const nNativeEntry GeometryNatives[] = {
    {"GeometryGetName", GuardedNative<GeometryGetName>, ".x"},
    {"GeometrySetHidden", GuardedNative<GeometrySetHidden>, ".xb"},
    {"GeometryOptimize", GuardedNative<GeometryOptimize>, ".x"},
    {"GeometryComputeIsoSurface", GuardedNative<GeometryComputeIsoSurface>, ".xiaa"},
    {"GeometrySetup", GuardedNative<GeometrySetup>, ".x"},
    {"GeometryGetMinMax", GuardedNative<GeometryGetMinMax>, ".x"},
    {"GeometryGetMaterialList", GuardedNative<GeometryGetMaterialList>, ".x"},
    {"GeometryGetMaterialCount", GuardedNative<GeometryGetMaterialCount>, ".x"},
    {"GeometryGetMaterial", GuardedNative<GeometryGetMaterial>, ".xs"},
    {"GeometryGetMaterialFromIndex", GuardedNative<GeometryGetMaterialFromIndex>, ".xi"},
};
} // namespace

void RegisterGeometryApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, GeometryNatives);
    RegisterGeometryTemplateMethods(vm);
}
