#include "api/ScriptApi.h"

#include "api/ScriptApiGroups.h"
#include "platform/nPlatform.h"
#include "platform/nstring/nString.h"
#include "script/binding/nNativeArgs.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/nObjectType.h"

namespace
{
using GroupRegister = void (*)(HSQUIRRELVM);

// A later group replaces the names of an earlier one, so the order is part of the API. The third
// slot stays empty.
const GroupRegister ApiGroups[] = {
    RegisterMatrixApi,   RegisterAnimationSourceApi, nullptr,           RegisterSystemApi,
    RegisterEngineApi,   RegisterRendererApi,        RegisterMixerApi,  RegisterSceneApi,
    RegisterInstanceApi, RegisterGroupApi,           RegisterCameraApi, RegisterObjectApi,
    RegisterMaterialApi, RegisterLightApi,           RegisterItemApi,   RegisterMotionApi,
    RegisterShapeApi,    RegisterConstraintApi,      RegisterPictureApi, RegisterTextureApi,
    RegisterSoundApi,    RegisterGeometryApi,        RegisterDeviceApi, RegisterUIApi,
    RegisterThreadedLoadApi, RegisterMetafileApi,    RegisterRaytracerApi, RegisterProjectApi,
    RegisterTriggerApi,  RegisterEmitterApi,
};

nString EngineTypeConstantName(int32_t type)
{
    char description[64];
    size_t length = 0;
    for (const char* letter = GetObjectTypeDescription(type); *letter && length + 1 < sizeof(description); ++letter)
        if (*letter != ' ')
            description[length++] = *letter;
    description[length] = '\0';
    return nString::Format("EngineType%s", description);
}
} // namespace

void RegisterScriptApi(HSQUIRRELVM vm)
{
    sq_pushroottable(vm);
    RegisterCoreApi(vm);
    RegisterIntegerConstant(vm, "SystemClockFrequency", static_cast<int32_t>(nPlatform::Get().GetClockFrequency()));
    for (int32_t type = 0; type < ObjectTypeCount; ++type)
        RegisterIntegerConstant(vm, EngineTypeConstantName(type).GetText(), type);
    for (GroupRegister group : ApiGroups)
        if (group)
            group(vm);
    DeclareScriptClasses(vm);
    RegisterCObjectMethods(vm);
    sq_pop(vm, 1);
}
