#include "script/api/ScriptApiGroups.h"

void RegisterEngineApi(HSQUIRRELVM)
{
}
