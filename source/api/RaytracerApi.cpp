#include "api/ScriptApiGroups.h"

void RegisterRaytracerApi(HSQUIRRELVM)
{
}
