#include "api/ScriptApiGroups.h"

void RegisterMaterialApi(HSQUIRRELVM)
{
}
