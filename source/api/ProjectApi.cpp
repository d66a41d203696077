#include "api/ScriptApiGroups.h"
#include "engine/project/nProject.h"
#include "engine/project/nProjectLayer.h"
#include "engine/project/nProjectSceneInstance.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/nCObject.h"
#include "script/nObjectType.h"
#include "script/nScriptVM.h"
#include "script/nScriptValue.h"
#include "script/units/nScriptUnit.h"
#include "script/units/nScriptedObject.h"
#include "ui/nScene2D.h"

namespace
{
nProject* ProjectArg(HSQUIRRELVM vm, SQInteger index)
{
    return GetObjectArg<nProject>(vm, index, ObjectTypeProject);
}

nProjectSceneInstance* InstanceArg(HSQUIRRELVM vm, SQInteger index)
{
    return GetObjectArg<nProjectSceneInstance>(vm, index, ObjectTypeProjectScene);
}

nProjectLayer* LayerArg(HSQUIRRELVM vm, SQInteger index)
{
    return GetObjectArg<nProjectLayer>(vm, index, ObjectTypeProjectLayer);
}

SQInteger ProjectGetScriptInstance(HSQUIRRELVM vm)
{
    nProject* project = ProjectArg(vm, 2);
    if (!project)
        return SQ_ERROR;
    return PushScriptInstance(vm, project->GetScriptInstance());
}

SQInteger ProjectUpdateScriptClock(HSQUIRRELVM vm)
{
    nProject* project = ProjectArg(vm, 2);
    if (!project)
        return SQ_ERROR;
    project->UpdateScriptClock();
    return 0;
}

SQInteger ProjectEnd(HSQUIRRELVM vm)
{
    nProject* project = ProjectArg(vm, 2);
    if (!project)
        return SQ_ERROR;
    project->RequestEnd();
    return 0;
}

SQInteger ProjectLayerGetScene(HSQUIRRELVM vm)
{
    nProjectLayer* layer = LayerArg(vm, 2);
    if (!layer)
        return SQ_ERROR;
    return PushHandle(vm, layer->GetInstance(), ObjectTypeProjectScene);
}

SQInteger ProjectAddLayer(HSQUIRRELVM vm)
{
    nProject* project = ProjectArg(vm, 2);
    nProjectSceneInstance* instance = project ? InstanceArg(vm, 3) : nullptr;
    if (!instance)
        return SQ_ERROR;
    // Layers are kept in z order: one that cannot be ordered is not added.
    float zOrder = 0.0f;
    if (!GetFloatArg(ScriptArgs(vm), 4, AnyFinite, zOrder))
        return PushHandle(vm, nullptr, ObjectTypeProjectLayer);
    return PushHandle(vm, project->AddLayer(instance, zOrder), ObjectTypeProjectLayer);
}

SQInteger ProjectLayerSetZOrder(HSQUIRRELVM vm)
{
    nProjectLayer* layer = LayerArg(vm, 2);
    if (!layer)
        return SQ_ERROR;
    float zOrder = 0.0f;
    if (GetFloatArg(ScriptArgs(vm), 3, AnyFinite, zOrder))
        layer->SetZOrder(zOrder);
    return 0;
}

SQInteger ProjectLayerGetZOrder(HSQUIRRELVM vm)
{
    nProjectLayer* layer = LayerArg(vm, 2);
    if (!layer)
        return SQ_ERROR;
    return ScriptArgs(vm).PushFloat(layer->GetZOrder());
}

SQInteger ProjectSetAll2DLayerOffset(HSQUIRRELVM vm)
{
    nProject* project = ProjectArg(vm, 2);
    if (!project)
        return SQ_ERROR;
    float offset[2];
    if (GetFloatArgs(ScriptArgs(vm), 3, 2, AnyFinite, offset))
        project->SetAll2DLayerOffset(offset[0], offset[1]);
    return 0;
}

SQInteger ProjectNewScene(HSQUIRRELVM vm)
{
    nProject* project = ProjectArg(vm, 2);
    if (!project)
        return SQ_ERROR;
    return PushHandle(vm, project->NewScene(), ObjectTypeScene, true);
}

SQInteger ProjectNewScene2D(HSQUIRRELVM vm)
{
    nProject* project = ProjectArg(vm, 2);
    if (!project)
        return SQ_ERROR;
    return PushHandle(vm, project->NewScene2D(), ObjectTypeWindowSystem, true);
}

SQInteger ProjectFindScene(HSQUIRRELVM vm)
{
    nProject* project = ProjectArg(vm, 2);
    if (!project)
        return SQ_ERROR;
    return PushHandle(vm, project->FindScene(ScriptArgs(vm).GetString(3)), ObjectTypeProjectScene);
}

SQInteger ProjectGetSceneLayerList(HSQUIRRELVM vm)
{
    nProject* project = ProjectArg(vm, 2);
    nProjectSceneInstance* instance = project ? InstanceArg(vm, 3) : nullptr;
    if (!instance)
        return SQ_ERROR;
    sq_newarray(vm, 0);
    for (auto* node = project->GetLayers().GetHead(); node; node = node->next)
    {
        if (node->value->GetInstance() != instance)
            continue;
        if (!PushCObject(vm, node->value, ObjectTypeProjectLayer, false))
            return SQ_ERROR;
        sq_arrayappend(vm, -2);
    }
    return 1;
}

SQInteger ProjectSceneIsActive(HSQUIRRELVM vm)
{
    nProjectSceneInstance* instance = ProjectArg(vm, 2) ? InstanceArg(vm, 3) : nullptr;
    if (!instance)
        return SQ_ERROR;
    return ScriptArgs(vm).PushBool(instance->IsActive());
}

SQInteger ProjectSceneActivate(HSQUIRRELVM vm)
{
    nProject* project = ProjectArg(vm, 2);
    nProjectSceneInstance* instance = project ? InstanceArg(vm, 3) : nullptr;
    if (!instance)
        return SQ_ERROR;
    project->ActivateScene(instance, ScriptArgs(vm).GetBool(4));
    return 0;
}

SQInteger ProjectInstantiateScene(HSQUIRRELVM vm)
{
    nProject* project = ProjectArg(vm, 2);
    if (!project)
        return SQ_ERROR;
    return PushHandle(vm, project->Instantiate(ScriptArgs(vm).GetString(3)), ObjectTypeProjectScene);
}

SQInteger ProjectSceneSetGlobal(HSQUIRRELVM vm)
{
    nProjectSceneInstance* instance = InstanceArg(vm, 2);
    if (!instance)
        return SQ_ERROR;
    if (nScriptVM* sceneVM = instance->GetSceneVM())
        sceneVM->SetSlot("g_scene", nScriptValue(ObjectTypeScene, instance->GetScene()), nullptr);
    return 0;
}

SQInteger ProjectUnloadScene(HSQUIRRELVM vm)
{
    nProject* project = ProjectArg(vm, 2);
    nProjectSceneInstance* instance = project ? InstanceArg(vm, 3) : nullptr;
    if (!instance)
        return SQ_ERROR;
    project->Unload(instance);
    return 0;
}

SQInteger ProjectSceneGetType(HSQUIRRELVM vm)
{
    nProjectSceneInstance* instance = InstanceArg(vm, 2);
    if (!instance)
        return SQ_ERROR;
    return ScriptArgs(vm).PushInt(int32_t(instance->GetKind()));
}

SQInteger ProjectSceneGetInstance(HSQUIRRELVM vm)
{
    nProjectSceneInstance* instance = InstanceArg(vm, 2);
    if (!instance)
        return SQ_ERROR;
    if (nScene2D* scene = instance->GetScene2D())
        return PushHandle(vm, scene, ObjectTypeWindowSystem);
    return PushHandle(vm, instance->GetScene(), ObjectTypeScene);
}

nScriptUnit* FindSceneUnit(const nScriptedObject* scene, const char* className)
{
    for (auto* node = scene->GetScriptUnits().GetHead(); node; node = node->next)
        if (!className || node->value->GetClassName() == className)
            return node->value;
    return nullptr;
}

// A 2D scene has one unit, which counts once it names a script class.
nScriptUnit* Scene2DUnit(const nProjectSceneInstance* instance)
{
    nScene2D* scene = instance->GetScene2D();
    return scene && scene->GetScriptUnit().IsDeclared() ? &scene->GetScriptUnit() : nullptr;
}

SQInteger ProjectSceneGetScriptInstance(HSQUIRRELVM vm)
{
    nProjectSceneInstance* instance = InstanceArg(vm, 2);
    if (!instance)
        return SQ_ERROR;
    nScriptUnit* unit = instance->GetScriptedScene() ? FindSceneUnit(instance->GetScriptedScene(), nullptr)
                                                     : Scene2DUnit(instance);
    if (!unit)
        return sq_throwerror(vm, "No script unit");
    return PushScriptInstance(vm, unit->GetInstance());
}

SQInteger ProjectSceneGetScriptInstanceFromClass(HSQUIRRELVM vm)
{
    nProjectSceneInstance* instance = InstanceArg(vm, 2);
    if (!instance)
        return SQ_ERROR;
    const char* className = ScriptArgs(vm).GetString(3);
    nScriptUnit* unit = instance->GetScriptedScene() && className
                            ? FindSceneUnit(instance->GetScriptedScene(), className)
                            : Scene2DUnit(instance);
    if (!unit)
        return sq_throwerror(vm, "Script unit not found");
    return PushScriptInstance(vm, unit->GetInstance());
}

SQInteger ProjectRender(HSQUIRRELVM vm)
{
    nProject* project = ProjectArg(vm, 2);
    if (!project)
        return SQ_ERROR;
    project->RenderOutsideFrame();
    return 0;
}

const nNativeEntry ProjectNatives[] = {
    {"ProjectGetScriptInstance", GuardedNative<ProjectGetScriptInstance>, ".x"},
    {"ProjectUpdateScriptClock", GuardedNative<ProjectUpdateScriptClock>, ".x"},
    {"ProjectEnd", GuardedNative<ProjectEnd>, ".x"},
    {"ProjectLayerGetScene", GuardedNative<ProjectLayerGetScene>, ".x"},
    {"ProjectAddLayer", GuardedNative<ProjectAddLayer>, ".xxn"},
    {"ProjectLayerSetZOrder", GuardedNative<ProjectLayerSetZOrder>, ".xn"},
    {"ProjectLayerGetZOrder", GuardedNative<ProjectLayerGetZOrder>, ".x"},
    {"ProjectSetAll2DLayerOffset", GuardedNative<ProjectSetAll2DLayerOffset>, ".xnn"},
    {"ProjectNewScene", GuardedNative<ProjectNewScene>, ".x"},
    {"ProjectNewScene3D", GuardedNative<ProjectNewScene>, ".x"},
    {"ProjectNewScene2D", GuardedNative<ProjectNewScene2D>, ".x"},
    {"ProjectFindScene", GuardedNative<ProjectFindScene>, ".xs"},
    {"ProjectGetSceneLayerList", GuardedNative<ProjectGetSceneLayerList>, ".xx"},
    {"ProjectSceneIsActive", GuardedNative<ProjectSceneIsActive>, ".xx"},
    {"ProjectIsSceneActive", GuardedNative<ProjectSceneIsActive>, ".xx"},
    {"ProjectSceneActivate", GuardedNative<ProjectSceneActivate>, ".xxb"},
    {"ProjectActivateScene", GuardedNative<ProjectSceneActivate>, ".xxb"},
    {"ProjectInstantiateScene", GuardedNative<ProjectInstantiateScene>, ".xs"},
    {"ProjectSceneSetGlobal", GuardedNative<ProjectSceneSetGlobal>, ".x"},
    {"ProjectUnloadScene", GuardedNative<ProjectUnloadScene>, ".xx"},
    {"ProjectSceneGetType", GuardedNative<ProjectSceneGetType>, ".x"},
    {"ProjectSceneGetInstance", GuardedNative<ProjectSceneGetInstance>, ".x"},
    {"ProjectSceneGetScriptInstance", GuardedNative<ProjectSceneGetScriptInstance>, ".x"},
    {"ProjectSceneGetScriptInstanceFromClass", GuardedNative<ProjectSceneGetScriptInstanceFromClass>, ".xs"},
    {"ProjectRender", GuardedNative<ProjectRender>, ".x"},
};
} // namespace

void RegisterProjectApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, ProjectNatives);
    RegisterIntegerConstant(vm, "ProjectSceneTypeNone", ProjectSceneNone);
    RegisterIntegerConstant(vm, "ProjectSceneTypeScene3d", ProjectSceneScene3D);
    RegisterIntegerConstant(vm, "ProjectSceneTypeScene2d", ProjectSceneScene2D);
    RegisterNullHandleConstant(vm, "NullItem", ObjectTypeItem);
}
