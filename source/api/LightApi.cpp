#include "api/ScriptApiGroups.h"

void RegisterLightApi(HSQUIRRELVM)
{
}
