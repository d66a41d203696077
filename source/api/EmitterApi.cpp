#include "api/ScriptApiGroups.h"

void RegisterEmitterApi(HSQUIRRELVM)
{
}
