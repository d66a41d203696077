#include "script/api/ScriptApiGroups.h"

void RegisterMaterialApi(HSQUIRRELVM)
{
}
