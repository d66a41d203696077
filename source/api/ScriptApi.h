#pragma once

#include "squirrel/squirrel.h"

// The whole script API in the machine's root table: the core natives, "SystemClockFrequency",
// the "EngineType%s" constants, every group of natives, then the native script classes.
void RegisterScriptApi(HSQUIRRELVM vm);

// The core natives alone, as the master registration binds them first.
void RegisterCoreApi(HSQUIRRELVM vm);
// The methods of the script class "CObject", declaring the class first when it is not yet.
void RegisterCObjectMethods(HSQUIRRELVM vm);
