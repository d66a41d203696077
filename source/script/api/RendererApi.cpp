#include "script/api/ScriptApiGroups.h"

void RegisterRendererApi(HSQUIRRELVM)
{
}
