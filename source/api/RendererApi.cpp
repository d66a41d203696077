#include "api/ScriptApiGroups.h"

void RegisterRendererApi(HSQUIRRELVM)
{
}
