#pragma once

#include "squirrel/squirrel.h"

// One register function per group of script natives: it binds its natives in a fixed order and
// then sets its constants. RegisterScriptApi calls them in the order that decides which of two
// equal names wins.
void RegisterMatrixApi(HSQUIRRELVM vm);
void RegisterAnimationSourceApi(HSQUIRRELVM vm);
void RegisterSystemApi(HSQUIRRELVM vm);
void RegisterEngineApi(HSQUIRRELVM vm);
void RegisterRendererApi(HSQUIRRELVM vm);
void RegisterMixerApi(HSQUIRRELVM vm);
void RegisterSceneApi(HSQUIRRELVM vm);
void RegisterInstanceApi(HSQUIRRELVM vm);
void RegisterGroupApi(HSQUIRRELVM vm);
void RegisterCameraApi(HSQUIRRELVM vm);
void RegisterObjectApi(HSQUIRRELVM vm);
void RegisterMaterialApi(HSQUIRRELVM vm);
void RegisterLightApi(HSQUIRRELVM vm);
void RegisterItemApi(HSQUIRRELVM vm);
void RegisterMotionApi(HSQUIRRELVM vm);
void RegisterShapeApi(HSQUIRRELVM vm);
void RegisterConstraintApi(HSQUIRRELVM vm);
void RegisterPictureApi(HSQUIRRELVM vm);
void RegisterTextureApi(HSQUIRRELVM vm);
void RegisterSoundApi(HSQUIRRELVM vm);
void RegisterGeometryApi(HSQUIRRELVM vm);
void RegisterDeviceApi(HSQUIRRELVM vm);
void RegisterUIApi(HSQUIRRELVM vm);
void RegisterThreadedLoadApi(HSQUIRRELVM vm);
void RegisterMetafileApi(HSQUIRRELVM vm);
void RegisterRaytracerApi(HSQUIRRELVM vm);
void RegisterProjectApi(HSQUIRRELVM vm);
void RegisterTriggerApi(HSQUIRRELVM vm);
void RegisterEmitterApi(HSQUIRRELVM vm);
