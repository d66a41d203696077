#include "script/api/ScriptApiGroups.h"

void RegisterShapeApi(HSQUIRRELVM)
{
}
