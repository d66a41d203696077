#include "script/api/ScriptApiGroups.h"

void RegisterEmitterApi(HSQUIRRELVM)
{
}
