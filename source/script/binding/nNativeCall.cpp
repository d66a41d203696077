#include "script/binding/nNativeCall.h"

#include "script/binding/nNativeArgs.h"
#include "script/binding/nScriptRegistrar.h"

void RegisterNatives(HSQUIRRELVM vm, const nNativeEntry* natives, size_t count)
{
    for (size_t index = 0; index < count; ++index)
        RegisterNative(vm, natives[index].function, natives[index].name, natives[index].typeMask);
}

void RegisterIntegerConstants(HSQUIRRELVM vm, const nIntegerConstantEntry* constants, size_t count)
{
    for (size_t index = 0; index < count; ++index)
        RegisterIntegerConstant(vm, constants[index].name, constants[index].value);
}
