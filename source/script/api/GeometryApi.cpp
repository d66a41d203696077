#include "script/api/ScriptApiGroups.h"

void RegisterGeometryApi(HSQUIRRELVM)
{
}
