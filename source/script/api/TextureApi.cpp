#include "script/api/ScriptApiGroups.h"

void RegisterTextureApi(HSQUIRRELVM)
{
}
