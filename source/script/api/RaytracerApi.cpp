#include "script/api/ScriptApiGroups.h"

void RegisterRaytracerApi(HSQUIRRELVM)
{
}
