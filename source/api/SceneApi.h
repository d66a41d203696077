#pragma once

#include "engine/scene/nScene.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nNativeCall.h"
#include "script/nObjectType.h"

template <> struct nHandleArg<nScene>
{
    static nScene* Get(HSQUIRRELVM vm, SQInteger index)
    {
        return GetObjectArg<nScene>(vm, index, ObjectTypeScene);
    }
};

// The physics, ray and merge natives of the Scene group (SceneApi_physics.cpp), registered after
// the others.
void RegisterScenePhysicsNatives(HSQUIRRELVM vm);
