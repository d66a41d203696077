#include "api/ScriptApiGroups.h"

void RegisterTextureApi(HSQUIRRELVM)
{
}
