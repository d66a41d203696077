#include "api/ScriptApiGroups.h"

void RegisterGeometryApi(HSQUIRRELVM)
{
}
