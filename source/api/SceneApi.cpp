#include "api/ScriptApiGroups.h"
#include "engine/scene/nScene.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/nObjectType.h"

namespace
{
// Only asks: the frame that runs finishes, and the frame step ends the loop after it.
SQInteger SceneEnd(HSQUIRRELVM vm)
{
    nScene* scene = GetObjectArg<nScene>(vm, 2, ObjectTypeScene);
    if (!scene)
        return SQ_ERROR;
    scene->SetRenderFlag(SceneRenderFlagEnded, true);
    return 0;
}

SQInteger ScenePrintItemList(HSQUIRRELVM vm)
{
    nScene* scene = GetObjectArg<nScene>(vm, 2, ObjectTypeScene);
    if (!scene)
        return SQ_ERROR;
    scene->Dump();
    return 0;
}

SQInteger SceneAudit(HSQUIRRELVM vm)
{
    nScene* scene = GetObjectArg<nScene>(vm, 2, ObjectTypeScene);
    if (!scene)
        return SQ_ERROR;
    scene->Audit();
    return 0;
}
} // namespace

void RegisterSceneApi(HSQUIRRELVM vm)
{
    RegisterNative(vm, SceneEnd, "SceneEnd", ".x");
    RegisterNative(vm, ScenePrintItemList, "ScenePrintItemList", ".x");
    RegisterNative(vm, SceneAudit, "SceneAudit", ".x");
}
