#include "api/GeometryTemplateApi.h"

#include "engine/Quenvar.h"
#include "geometry/nGeometry.h"
#include "geometry/nGeometryTemplate.h"
#include "geometry/nMaterial.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nNumberArgs.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/classes/ScriptClassValue.h"
#include "script/classes/ScriptUV.h"
#include "script/classes/ScriptVector.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"

#include <new>

// The methods of "GeometryTemplate". "this" that is no template raises "Invalid instance type"
// (and "Internal failure" for an instance whose constructor never ran), a Vector or UV argument of
// another class "Invalid instance type"; a handle argument has its own three messages.
namespace
{
SQInteger ReleaseTemplate(SQUserPointer value, SQInteger)
{
    delete static_cast<nGeometryTemplate*>(value);
    return 1;
}

nGeometryTemplate* This(HSQUIRRELVM vm)
{
    return GetThis<nGeometryTemplate>(vm, GeometryTemplateClass);
}

// The object of a handle of the type: "Internal failure" for a value that is no handle or holds
// no record, "Invalid type" for another type, "Object is null" for a handle on nothing.
template <typename T> T* HandleArg(HSQUIRRELVM vm, SQInteger index, int32_t type)
{
    int32_t actual = ObjectTypeUndefined;
    void* object = nullptr;
    if (!GetCObjectType(vm, index, actual) || !GetCObject(vm, index, object, 0))
        sq_throwerror(vm, "Internal failure");
    else if (actual != type)
        sq_throwerror(vm, "Invalid type");
    else if (!object)
        sq_throwerror(vm, "Object is null");
    else
        return static_cast<T*>(object);
    return nullptr;
}

// A second constructor call starts the template afresh.
SQInteger Constructor(HSQUIRRELVM vm)
{
    if (!IsClassInstance(vm, 1, GeometryTemplateClass))
        return sq_throwerror(vm, "Invalid instance type");
    auto* created = new (std::nothrow) nGeometryTemplate;
    if (!created)
        return sq_throwerror(vm, "Internal failure");
    SQUserPointer previous = nullptr;
    sq_getinstanceup(vm, 1, &previous, nullptr, SQFalse);
    sq_setinstanceup(vm, 1, created);
    sq_setreleasehook(vm, 1, ReleaseTemplate);
    ReleaseTemplate(previous, 0);
    return 0;
}

template <void (nGeometryTemplate::*Call)()> SQInteger CallWithoutArguments(HSQUIRRELVM vm)
{
    nGeometryTemplate* self = This(vm);
    if (!self)
        return SQ_ERROR;
    (self->*Call)();
    return 0;
}

template <bool (nGeometryTemplate::*Push)(const nVector&)> SQInteger PushVector(HSQUIRRELVM vm)
{
    nGeometryTemplate* self = This(vm);
    nVector value;
    if (!self || !GetVectorArg(vm, 2, value))
        return SQ_ERROR;
    if (IsFiniteVector(ScriptArgs(vm), value))
        (self->*Push)(value);
    return 0;
}

SQInteger PushColor(HSQUIRRELVM vm)
{
    nGeometryTemplate* self = This(vm);
    nVector value;
    if (!self || !GetVectorArg(vm, 2, value))
        return SQ_ERROR;
    if (IsFiniteVector(ScriptArgs(vm), value))
        self->PushColor(nColor(value.x, value.y, value.z, value.w));
    return 0;
}

SQInteger PushUV(HSQUIRRELVM vm)
{
    nGeometryTemplate* self = This(vm);
    if (!self)
        return SQ_ERROR;
    const ScriptArgs args(vm);
    nUV value;
    if (args.GetCount() < 3)
        return sq_throwerror(vm, "Invalid instance type");
    if (!GetUVArg(vm, 3, value))
        return SQ_ERROR;
    self->PushUV(args.GetInt(2), value);
    return 0;
}

SQInteger EndPolygon(HSQUIRRELVM vm)
{
    nGeometryTemplate* self = This(vm);
    if (!self)
        return SQ_ERROR;
    self->EndPolygon(uint32_t(ScriptArgs(vm).GetInt(2)));
    return 0;
}

// Every failure answers a Geometry handle on nothing, so scripts test it with ObjectIsValid.
SQInteger Instantiate(HSQUIRRELVM vm)
{
    nGeometryTemplate* self = This(vm);
    if (!self)
        return SQ_ERROR;
    auto* engine = HandleArg<Quenvar>(vm, 2, ObjectTypeEngine);
    if (!engine)
        return SQ_ERROR;
    nGeometry* geometry = self->Instantiate(engine, ScriptArgs(vm).GetString(3));
    if (PushCObject(vm, geometry, ObjectTypeGeometry))
        return 1;
    if (geometry)
    {
        geometry->AddRef(); // no handle took it: the release deletes it
        geometry->Release();
    }
    return SQ_ERROR;
}

SQInteger PushMaterial(HSQUIRRELVM vm)
{
    nGeometryTemplate* self = This(vm);
    if (!self)
        return SQ_ERROR;
    auto* material = HandleArg<nMaterial>(vm, 2, ObjectTypeMaterial);
    if (!material)
        return SQ_ERROR;
    self->PushMaterial(material);
    return 0;
}

SQInteger SetVertexMergeThreshold(HSQUIRRELVM vm)
{
    nGeometryTemplate* self = This(vm);
    if (!self)
        return SQ_ERROR;
    float threshold = 0.0f;
    if (GetFloatArg(ScriptArgs(vm), 2, NotNegative, threshold))
        self->SetVertexMergeThreshold(threshold);
    return 0;
}

// A parameter count of -n takes n values or more ("this" included): the arguments the
// table reads as 0 when absent may be left out.
const nScriptClassMethod TemplateMethods[] = {
    {"constructor", Constructor, 1, "."},
    {"beginPolygon", CallWithoutArguments<&nGeometryTemplate::BeginPolygon>, 1, "."},
    {"pushVertex", PushVector<&nGeometryTemplate::PushVertex>, 2, ".x"},
    {"pushNormal", PushVector<&nGeometryTemplate::PushNormal>, 2, ".x"},
    {"pushColor", PushColor, 2, ".x"},
    {"pushUV", PushUV, -1, ".ix"},
    {"endPolygon", EndPolygon, -1, ".i"},
    {"clear", CallWithoutArguments<&nGeometryTemplate::Clear>, 1, "."},
    {"instantiate", Instantiate, 3, ".xs"},
    {"clearMaterial", CallWithoutArguments<&nGeometryTemplate::ClearMaterials>, 1, "."},
    {"pushMaterial", PushMaterial, 2, ".x"},
    {"setVertexMergeThreshold", SetVertexMergeThreshold, -1, ".n"},
    {nullptr, nullptr, 0, nullptr},
};
} // namespace

void RegisterGeometryTemplateMethods(HSQUIRRELVM vm)
{
    DeclareScriptClass(vm, GeometryTemplateClass);
    AddScriptClassMethods(vm, GeometryTemplateClass, TemplateMethods);
}
