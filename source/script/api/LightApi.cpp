#include "script/api/ScriptApiGroups.h"

void RegisterLightApi(HSQUIRRELVM)
{
}
