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

// The reports the scene writes to the log: its item lists, its audit.
template <void (nScene::*Report)() const> SQInteger SceneReport(HSQUIRRELVM vm)
{
    const nScene* scene = GetObjectArg<nScene>(vm, 2, ObjectTypeScene);
    if (!scene)
        return SQ_ERROR;
    (scene->*Report)();
    return 0;
}
} // namespace

void RegisterSceneApi(HSQUIRRELVM vm)
{
    RegisterNative(vm, SceneEnd, "SceneEnd", ".x");
    RegisterNative(vm, SceneReport<&nScene::Dump>, "ScenePrintItemList", ".x");
    RegisterNative(vm, SceneReport<&nScene::Audit>, "SceneAudit", ".x");
}
