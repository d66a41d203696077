#include "api/ScriptApiGroups.h"
#include "core/base/nLog.h"
#include "engine/Quenvar.h"
#include "engine/scene/nScene.h"
#include "render/nEngineServices.h"
#include "script/binding/ScriptArgs.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/nObjectType.h"
#include "ui/nScene2D.h"

// Scripts written for background loading keep working: each load is done when its native returns,
// so the thread handle it answers holds nothing, and every thread is done.
namespace
{
constexpr int32_t SceneOctreeLimit = 1024;

SQInteger PushFinishedThread(HSQUIRRELVM vm)
{
    return PushHandle(vm, nullptr, ObjectTypeCThread);
}

SQInteger WindowSystemLoadBitmapThreaded(HSQUIRRELVM vm)
{
    nScene2D* windows = GetObjectArg<nScene2D>(vm, 2, ObjectTypeWindowSystem);
    if (!windows)
        return SQ_ERROR;
    if (nEngineServices* engine = windows->GetEngine())
        engine->LoadPicture(ScriptArgs(vm).GetString(3), false);
    return PushFinishedThread(vm);
}

SQInteger SceneFromNMLThreaded(HSQUIRRELVM vm)
{
    nScene* scene = GetObjectArg<nScene>(vm, 2, ObjectTypeScene);
    if (!scene)
        return SQ_ERROR;
    scene->LoadFromFile(ScriptArgs(vm).GetString(3), nullptr, ImportFlagAll, 0);
    scene->OptimizeGeometries(SceneOctreeLimit);
    return PushFinishedThread(vm);
}

// The geometry stays on the CPU side: nothing is set up on the renderer.
SQInteger EngineLoadGeometryThreaded(HSQUIRRELVM vm)
{
    Quenvar* engine = GetObjectArg<Quenvar>(vm, 2, ObjectTypeEngine);
    if (!engine)
        return SQ_ERROR;
    engine->LoadGeometry(ScriptArgs(vm).GetString(3), true, false);
    return PushFinishedThread(vm);
}

// Any handle will do, one on nothing included.
SQInteger LoadThreadIsDone(HSQUIRRELVM vm)
{
    void* thread = nullptr;
    if (!GetCObject(vm, 2, thread, 0))
        return SQ_ERROR;
    nLogHolder::Get() << "[*] threaded binding is only available on the Windows platform.\n";
    return ScriptArgs(vm).PushBool(true);
}

const nNativeEntry ThreadedLoadNatives[] = {
    {"WindowSystemLoadBitmapThreaded", GuardedNative<WindowSystemLoadBitmapThreaded>, ".xs"},
    {"SceneFromNMLThreaded", GuardedNative<SceneFromNMLThreaded>, ".xs"},
    {"EngineLoadGeometryThreaded", GuardedNative<EngineLoadGeometryThreaded>, ".xs"},
    {"LoadThreadIsDone", GuardedNative<LoadThreadIsDone>, ".x"},
};
} // namespace

void RegisterThreadedLoadApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, ThreadedLoadNatives);
}
