#include "api/ScriptApiGroups.h"

void RegisterShapeApi(HSQUIRRELVM)
{
}
