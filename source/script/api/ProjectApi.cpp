#include "script/api/ScriptApiGroups.h"

void RegisterProjectApi(HSQUIRRELVM)
{
}
